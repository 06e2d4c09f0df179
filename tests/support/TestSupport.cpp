#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace testsupport {

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QByteArray utf16leWithBom(const QString& text)
{
    QByteArray out("\xFF\xFE", 2);
    for (QChar c : text) {
        const char16_t u = c.unicode();
        out.append(char(u & 0xFF));
        out.append(char(u >> 8));
    }
    return out;
}

QString distDirectory()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../dist"));
}

bool copyTree(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(source);
        if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(source, target))
            return false;
        QFile::setPermissions(target, QFile(source).permissions());
    }
    return true;
}

bool copyProgramFolder(const QString& to)
{
    if (!copyTree(distDirectory(), to))
        return false;
    const QDir dir(to);
    for (const QString& leftover : dir.entryList({QStringLiteral("*.ini"), QStringLiteral("*.log")}, QDir::Files))
        QFile::remove(dir.filePath(leftover));
    QFile::remove(dir.filePath(QStringLiteral("Lang/Tmk日本語_かな.lang")));
    return true;
}

} // namespace testsupport
