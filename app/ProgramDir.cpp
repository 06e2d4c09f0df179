#include "app/ProgramDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

QString g_programDir;
QString g_baseName;

QString withSlash(const QString& dir)
{
    return dir.endsWith(u'/') ? dir : dir + u'/';
}

} // namespace

QString ProgramDirectory()
{
    if (!g_programDir.isEmpty())
        return g_programDir;
    if (QCoreApplication::instance())
        return withSlash(QCoreApplication::applicationDirPath());
    return withSlash(QDir::currentPath());
}

void SetProgramDirectory(const QString& dir)
{
    g_programDir = dir.isEmpty() ? QString() : withSlash(dir);
}

QString ExecutableBaseName()
{
    if (!g_baseName.isEmpty())
        return g_baseName;
    if (!QCoreApplication::instance())
        return u"tsumiki"_s;
    QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (name.endsWith(u".exe"_s, Qt::CaseInsensitive))
        name.chop(4);
    return name.isEmpty() ? u"tsumiki"_s : name;
}

void SetExecutableBaseName(const QString& baseName)
{
    g_baseName = baseName;
}

QString SettingsFileBaseName()
{
    return ExecutableBaseName();
}

QString ShortcutKeyFileBaseName()
{
    return ExecutableBaseName() + u"Key"_s;
}

QString SettingsFileName()
{
    return ProgramDirectory() + SettingsFileBaseName() + u".ini"_s;
}

QString ShortcutKeyFileName()
{
    return ProgramDirectory() + ShortcutKeyFileBaseName() + u".ini"_s;
}
