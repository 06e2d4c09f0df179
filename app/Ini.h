#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The one reader and writer of every file of the program (settings, shortcut keys, task lists,
// language files): UTF-16 LE with byte order mark, CR LF, whole-file rewrite.
//
// The file is read into an in-memory image when the object is created; reads and writes work on
// that image, and UpdateFile() rewrites the whole file from it. Sections keep the order in which they
// were first created and keys the order in which they were first written.
class TIniFile
{
public:
    // Opens the image from fileName when the file exists (an unreadable or missing file gives an
    // empty image; loadFailed() tells the two apart).
    explicit TIniFile(const QString& fileName);

    // An empty image bound to fileName; the file is not read (for writers that replace the whole file).
    static TIniFile createEmpty(const QString& fileName);

    // Files larger than this are not read (they cannot be ours); the image stays empty and
    // loadFailed() is true.
    static constexpr qint64 MaxFileSize = 256LL * 1024 * 1024;

    // An image parsed from raw file bytes, not bound to a file (UpdateFile() then fails).
    static TIniFile fromBytes(const QByteArray& bytes);

    const QString& fileName() const { return m_fileName; }

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    // Decimal with optional sign, or hexadecimal after "$", "0x" or "0X"; anything else gives defaultValue.
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    // Keys of the first matching section, in file order (lines without "=" are not keys).
    QStringList ReadSection(const QString& section) const;
    // Names of all sections in order.
    QStringList ReadSections() const;
    void EraseSection(const QString& section);
    // Empties the image (the file is untouched until UpdateFile()).
    void Clear();

    // The file's bytes as they would be written.
    QByteArray toBytes() const;
    // Rewrites the whole file through the atomic writer (app/AtomicFileWriter.h); false with
    // errorString() set, and the old file untouched, when it cannot be written.
    bool UpdateFile();
    QString errorString() const { return m_error; }
    // True when the file exists but could not be read (errorString() says why).
    bool loadFailed() const { return m_loadFailed; }

    // Parses one integer by the rules above; ok is false when the text is not an integer.
    static int parseInteger(const QString& text, bool* ok);

private:
    struct Line
    {
        QString key;   // empty for a line without "="
        QString value; // the whole trimmed line for a line without "="
        bool isEntry = false;
    };
    struct Section
    {
        QString name;
        QList<Line> lines;
        // Case-folded key -> position of its first line; keeps lookups linear-free on big files.
        QHash<QString, qsizetype> keyIndex;
    };

    TIniFile() = default;
    void parse(const QByteArray& bytes);
    void addLine(Section& section, Line line);
    void rebuildSectionIndex();
    const Section* findSection(const QString& name) const;
    Section* findSection(const QString& name);
    const Line* findLine(const QString& section, const QString& key) const;

    QString m_fileName;
    QList<Section> m_sections;
    QString m_error;
    bool m_loadFailed = false;
    // Case-folded section name -> position of its first section.
    QHash<QString, qsizetype> m_sectionIndex;
};
