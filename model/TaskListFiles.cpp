#include "model/TaskListFiles.h"

#include "app/Lang.h"
#include "app/MsgDialog.h"
#include "app/Settings.h"
#include "app/TmkLib.h"
#include "engine/RsBackupList.h"
#include "engine/platform/Platform.h"

#include <QDir>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace {

QString errorText()
{
    const platform::Error error = platform::lastError();
    return QString::fromUtf16(error.text.data(), qsizetype(error.text.size()));
}

bool isDatedLogBase(QStringView base, QStringView name)
{
    if (base.size() != name.size() + 8 || !base.startsWith(name))
        return false;
    for (QChar c : base.mid(name.size())) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace

QStringList TaskListLogFiles(const QString& dir, const QString& name)
{
    QStringList files;
    if (name.isEmpty())
        return files;
    platform::enumerateDirectory(PathViewOf(dir), true, [&](const platform::DirEntry& entry) {
        if (entry.kind != platform::EntryKind::File)
            return true;
        const QString file = QString::fromUtf16(entry.name.data(), qsizetype(entry.name.size()));
        if (file.size() < 4 || !SameTextAscii(QStringView(file).right(4), u".log"))
            return true;
        const QStringView base = QStringView(file).chopped(4);
        if (SameTextAscii(base, name) || isDatedLogBase(base, name))
            files.append(dir + file);
        return true;
    });
    files.sort();
    return files;
}

bool IsSameExistingFile(const QString& a, const QString& b)
{
    platform::DirEntry first;
    platform::DirEntry second;
    return platform::statPath(PathViewOf(a), false, first) && platform::statPath(PathViewOf(b), false, second)
           && first.device == second.device && first.inode == second.inode;
}

bool DeleteFilesInOrder(const QStringList& paths, QObject* owner, const QString& shownPath)
{
    for (const QString& path : paths) {
        platform::DirEntry entry;
        if (!platform::statPath(PathViewOf(path), false, entry))
            continue;
        if (platform::deleteFile(PathViewOf(path)) || platform::lastError().code == ENOENT)
            continue;
        QString text = FormatLangText(MsgErrorOccurredInItem, MsgFileDelete) + u"\n\n"_s
                       + QDir::toNativeSeparators(shownPath.isEmpty() ? path : shownPath);
        const QString reason = errorText();
        if (!reason.isEmpty())
            text += u" ("_s + reason + u')';
        ShowMsgDialog(text, TMsgDlgType::Error, TMsgDlgButtons::OK, owner);
        return false;
    }
    return true;
}

void ReportWriteFailure(const QString& path, const QString& reason, QObject* owner)
{
    ShowMsgDialog(FileFailureLine(path, reason), TMsgDlgType::Error, TMsgDlgButtons::OK, owner);
}
