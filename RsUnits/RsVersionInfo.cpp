#include "RsUnits/RsVersionInfo.h"

using namespace Qt::StringLiterals;

namespace {

QString stringPath(const QString& translation, const QString& key)
{
    return u"\\StringFileInfo\\"_s + translation + u'\\' + key;
}

} // namespace

void TRsVersionData::SetStringValue(const QString& translation, const QString& key, const QString& value)
{
    Strings.insert(stringPath(translation, key), value);
}

TRsVersionInfo::TRsVersionInfo(const TRsVersionData& data)
    : FHasVersionInfo(data.HasVersionInfo)
{
    if (!FHasVersionInfo)
        return;
    FFixedFileInfo = data.FixedFileInfo;
    FTranslations = data.Translations;
    FVersionData = data.Strings;
}

QString TRsVersionInfo::GetTranslationString(int index) const
{
    Q_ASSERT(FHasVersionInfo);
    Q_ASSERT(index >= 0 && index < GetTranslationCount());
    const TRsVersionTranslation& t = FTranslations.at(index);
    return u"%1%2"_s.arg(t.Language, 4, 16, QChar(u'0')).arg(t.CodePage, 4, 16, QChar(u'0'));
}

QString TRsVersionInfo::GetStringValue(const QString& translation, const QString& key) const
{
    Q_ASSERT(FHasVersionInfo);
    return FVersionData.value(stringPath(translation, key));
}

QString TRsVersionInfo::GetProductVersionText(int index) const
{
    if (!FHasVersionInfo)
        return u"No Version Information"_s;
    if (GetTranslationCount() > 0 && index >= 0 && index < GetTranslationCount())
        return GetStringValue(GetTranslationString(index), u"ProductVersion"_s);
    const quint32 ms = FFixedFileInfo.dwProductVersionMS;
    const quint32 ls = FFixedFileInfo.dwProductVersionLS;
    return u"%1.%2.%3.%4"_s.arg(ms >> 16).arg(ms & 0xFFFF).arg(ls >> 16).arg(ls & 0xFFFF);
}
