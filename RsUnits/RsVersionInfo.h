#pragma once

#include <QHash>
#include <QList>
#include <QString>

// The version information a program carries: the fixed part (file and product version as two
// 32-bit words each, every word two 16-bit numbers), the translation table and the string values
// of each translation. Here it is compiled into the program rather than read from a file
// resource; a reader of another program's data gets it the same way.
struct TVSFixedFileInfo
{
    quint32 dwSignature = 0xFEEF04BD;
    quint32 dwStrucVersion = 0x00010000;
    quint32 dwFileVersionMS = 0;
    quint32 dwFileVersionLS = 0;
    quint32 dwProductVersionMS = 0;
    quint32 dwProductVersionLS = 0;
    quint32 dwFileFlagsMask = 0;
    quint32 dwFileFlags = 0;
    quint32 dwFileOS = 0;
    quint32 dwFileType = 0;
    quint32 dwFileSubtype = 0;
    quint32 dwFileDateMS = 0;
    quint32 dwFileDateLS = 0;
};
static_assert(sizeof(TVSFixedFileInfo) == 52);

struct TRsVersionTranslation
{
    quint16 Language = 0;
    quint16 CodePage = 0;
};

struct TRsVersionData
{
    // False: the program has no version information at all.
    bool HasVersionInfo = false;
    TVSFixedFileInfo FixedFileInfo;
    QList<TRsVersionTranslation> Translations;
    // Keyed by the full path "\StringFileInfo\<translation>\<key>".
    QHash<QString, QString> Strings;

    // Stores a string value of one translation ("041104b0").
    void SetStringValue(const QString& translation, const QString& key, const QString& value);
};

// Reads version information: the numbers, the translations and the string values.
class TRsVersionInfo
{
public:
    explicit TRsVersionInfo(const TRsVersionData& data);

    bool HasVersionInfo() const { return FHasVersionInfo; }
    const TVSFixedFileInfo& FixedFileInfo() const { return FFixedFileInfo; }
    int GetTranslationCount() const { return int(FTranslations.size()); }
    // Eight lowercase hexadecimal digits, the language first ("041104b0"). Requires version
    // information and an index below the count.
    QString GetTranslationString(int index) const;
    // The string value of a translation; empty when absent. Requires version information.
    QString GetStringValue(const QString& translation, const QString& key) const;
    // "No Version Information" without version information; the "ProductVersion" string of the
    // translation at index when there is a translation table; otherwise the four numbers of the
    // fixed part's product version, dotted.
    QString GetProductVersionText(int index) const;

private:
    TVSFixedFileInfo FFixedFileInfo;
    QList<TRsVersionTranslation> FTranslations;
    bool FHasVersionInfo = false;
    QHash<QString, QString> FVersionData;
};
