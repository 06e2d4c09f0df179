#include "ui/ProgramVersion.h"

#include "RsUnits/RsVersionInfo.h"
#include "TsumikiVersion.h"

using namespace Qt::StringLiterals;

const TRsVersionData& ProgramVersionData()
{
    static const TRsVersionData data = [] {
        TRsVersionData d;
        d.HasVersionInfo = true;
        constexpr quint32 ms = (quint32(TSUMIKI_VERSION_MAJOR) << 16) | quint32(TSUMIKI_VERSION_MINOR);
        constexpr quint32 ls = (quint32(TSUMIKI_VERSION_PATCH) << 16) | quint32(TSUMIKI_VERSION_TWEAK);
        d.FixedFileInfo.dwFileVersionMS = ms;
        d.FixedFileInfo.dwFileVersionLS = ls;
        d.FixedFileInfo.dwProductVersionMS = ms;
        d.FixedFileInfo.dwProductVersionLS = ls;
        d.Translations.append({0x0411, 0x04B0});
        const QString numbers = u"%1.%2.%3.%4"_s.arg(TSUMIKI_VERSION_MAJOR)
                                    .arg(TSUMIKI_VERSION_MINOR)
                                    .arg(TSUMIKI_VERSION_PATCH)
                                    .arg(TSUMIKI_VERSION_TWEAK);
        const QString translation = u"041104b0"_s;
        d.SetStringValue(translation, u"ProductName"_s, u"つみき！"_s);
        d.SetStringValue(translation, u"FileDescription"_s, u"ファイル バックアップ ソフト"_s);
        d.SetStringValue(translation, u"FileVersion"_s, numbers);
        d.SetStringValue(translation, u"ProductVersion"_s,
                         numbers + u" ("_s + QString::fromUtf16(TSUMIKI_BUILD_DATE) + u')');
        d.SetStringValue(translation, u"OriginalFilename"_s, u"tsumiki"_s);
        return d;
    }();
    return data;
}

QString ZlibVersionText()
{
    return QString::fromUtf16(TSUMIKI_ZLIB_VERSION);
}

QString LibpngVersionText()
{
    return QString::fromUtf16(TSUMIKI_LIBPNG_VERSION);
}
