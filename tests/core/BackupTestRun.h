#pragma once

// Shared by the engine's tests: real trees on disk (through the platform codec, so any byte string
// can be a name) and one task, run whole by the run driver or step by step (scan, collection,
// execution) on the driver's own lists.

#include "app/Lang.h"
#include "app/LangExtra.h"
#include "engine/BackupIndexLists.h"
#include "engine/CollectBackupInfoThread.h"
#include "engine/DoBackupThread.h"
#include "engine/RsBackupList.h"
#include "engine/RunDriver.h"
#include "engine/SearchFilesThread.h"
#include "engine/platform/Platform.h"
#include "model/RsTaskList.h"

#include "engine/RsThread.h"

#include <QByteArray>
#include <QSignalSpy>
#include <QTest>
#include <QString>
#include <QStringList>

#include <functional>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace enginetest {

inline std::string Native(const QString& path)
{
    return platform::toNative(PathViewOf(path));
}

// A name holding raw bytes (e.g. not UTF-8) as the scan will report it.
inline QString NameFromBytes(const QByteArray& bytes)
{
    const platform::Path p = platform::fromNative(std::string_view(bytes.constData(), size_t(bytes.size())));
    return QString::fromUtf16(p.data(), qsizetype(p.size()));
}

inline bool MakeDirs(const QString& path)
{
    return platform::createDirectories(PathViewOf(path));
}

// Writes content, creating parents; mtimeSeconds > 0 sets the modification time.
inline bool WriteFile(const QString& path, const QByteArray& content, qint64 mtimeSeconds = 0, long nanoseconds = 0)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash > 0 && !MakeDirs(path.left(slash)))
        return false;
    const std::string n = Native(path);
    const int fd = ::open(n.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    ::close(fd);
    if (ok && mtimeSeconds > 0) {
        const struct timespec times[2] = {{mtimeSeconds, nanoseconds}, {mtimeSeconds, nanoseconds}};
        return ::utimensat(AT_FDCWD, n.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
    }
    return ok;
}

inline QByteArray ReadFile(const QString& path)
{
    const int fd = ::open(Native(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QByteArray();
    QByteArray result;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        result.append(buffer, n);
    ::close(fd);
    return result;
}

inline bool Exists(const QString& path)
{
    struct stat st;
    return ::lstat(Native(path).c_str(), &st) == 0;
}

inline mode_t Mode(const QString& path)
{
    struct stat st;
    return ::lstat(Native(path).c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

inline qint64 MTime(const QString& path)
{
    struct stat st;
    return ::lstat(Native(path).c_str(), &st) == 0 ? qint64(st.st_mtim.tv_sec) : -1;
}

inline bool Chmod(const QString& path, mode_t mode)
{
    return ::chmod(Native(path).c_str(), mode) == 0;
}

inline bool Symlink(const QString& target, const QString& link)
{
    return ::symlink(Native(target).c_str(), Native(link).c_str()) == 0;
}

// The user the cases that need an ordinary user run as (we run as root, which ignores permission
// bits): nobody's ids, or false when there is no such user or we are not root.
inline bool NobodyIds(uid_t& uid, gid_t& gid)
{
#if defined(__SANITIZE_THREAD__)
    // The child runs the workers, so it starts threads after a fork of a process that has threads
    // already: ThreadSanitizer cannot follow that and fails the child.
    Q_UNUSED(uid);
    Q_UNUSED(gid);
    return false;
#else
    const struct passwd* pw = ::getpwnam("nobody");
    if (!pw || ::geteuid() != 0)
        return false;
    uid = pw->pw_uid;
    gid = pw->pw_gid;
    return true;
#endif
}

// Gives a whole tree (links themselves, never their targets) to uid:gid.
inline bool ChownTree(const QString& root, uid_t uid, gid_t gid)
{
    if (::lchown(Native(root).c_str(), uid, gid) != 0)
        return false;
    bool ok = true;
    platform::enumerateDirectory(PathViewOf(root), false, [&](const platform::DirEntry& e) {
        const QString path = root + u'/' + QString::fromUtf16(e.name.data(), qsizetype(e.name.size()));
        ok = e.kind == platform::EntryKind::Directory ? ChownTree(path, uid, gid)
                                                       : ::lchown(Native(path).c_str(), uid, gid) == 0;
        return ok;
    });
    return ok;
}

// Runs body in a child process that has dropped to nobody; what body returns comes back. The child
// runs the engine's workers on its own (no other thread runs in the test when it forks). False when
// the child failed to drop its rights or did not end normally.
inline bool RunAsNobody(const std::function<QByteArray()>& body, QByteArray* result)
{
    uid_t uid;
    gid_t gid;
    if (!NobodyIds(uid, gid))
        return false;
    int fds[2];
    if (::pipe(fds) != 0)
        return false;
    const pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        ::close(fds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            ::_exit(3);
        const QByteArray out = body();
        for (qsizetype done = 0; done < out.size();) {
            const ssize_t n = ::write(fds[1], out.constData() + done, size_t(out.size() - done));
            if (n <= 0)
                ::_exit(4);
            done += n;
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray out;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        out.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (result)
        *result = out;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Every entry below root (relative paths, sorted), directories with a trailing "/".
inline QStringList ListTree(const QString& root);

// Language texts with recognisable values, so that a line shows which key produced it.
inline void SetTestLanguageTexts();

// One task of a list of its own.
struct TaskRun
{
    TRsTaskList taskList;
    TRsTaskItem* task = nullptr;
    std::atomic<bool> stopFlag{false};
    TRunDriver driver{&stopFlag};
    TRsBackupList& src = *driver.SrcList();
    TRsBackupList& dst = *driver.DstList();
    TBackupIndexLists& lists = driver.IndexLists();
    // The workers' lines as the log pane shows them (without the driver's own lines around a task).
    QStringList pane;
    // Everything the driver sent to the pane, and how its run ended.
    QStringList runLines;
    TRunOutcome outcome;

    TaskRun(const QString& srcPath, const QString& dstPath, bool mirroring = false, bool verifying = false,
            bool includingSubDirs = true);
    // The workers' lines in the run log (without its two heading lines, nor a whole run's header and
    // footer).
    QStringList Log() const;
    TBreakFunction BreakFunction() { return [this] { return stopFlag.load(); }; }

    // Scans both trees side by side and waits for both.
    void Scan();
    // Collects (after Scan); the worker's lines go to pane.
    void Collect();
    // Executes the collected work.
    void Execute(bool testing);
    // The whole task through the run driver, as the window runs it.
    void RunAll(bool testing = false);

private:
    bool m_wholeRun = false;
};

inline QStringList ListTree(const QString& root)
{
    QStringList out;
    std::function<void(const QString&)> walk = [&](const QString& rel) {
        platform::enumerateDirectory(PathViewOf(root + u'/' + rel), false, [&](const platform::DirEntry& e) {
            const QString name = QString::fromUtf16(e.name.data(), qsizetype(e.name.size()));
            if (e.kind == platform::EntryKind::Directory) {
                out.append(rel + name + u'/');
                walk(rel + name + u'/');
            } else {
                out.append(rel + name);
            }
            return true;
        });
    };
    walk(QString());
    out.sort();
    return out;
}

inline void SetTestLanguageTexts()
{
    MsgInfoCollectedItemInfo = QStringLiteral("collected %s");
    MsgDirAttrib = QStringLiteral("DirAttrib");
    MsgDirNew = QStringLiteral("DirNew");
    MsgDirDelete = QStringLiteral("DirDelete");
    MsgFileNew = QStringLiteral("FileNew");
    MsgFileOverwrite = QStringLiteral("FileOverwrite");
    MsgFileDelete = QStringLiteral("FileDelete");
    MsgFileVerify = QStringLiteral("FileVerify");
    LogDirAttrib = QStringLiteral("LogDirAttrib");
    LogDirNew = QStringLiteral("LogDirNew");
    LogDirDelete = QStringLiteral("LogDirDelete");
    LogDirErrorAttrib = QStringLiteral("LogDirErrorAttrib");
    LogDirErrorNew = QStringLiteral("LogDirErrorNew");
    LogDirErrorDelete = QStringLiteral("LogDirErrorDelete");
    LogFileNew = QStringLiteral("LogFileNew");
    LogFileOverwrite = QStringLiteral("LogFileOverwrite");
    LogFileDelete = QStringLiteral("LogFileDelete");
    LogFileVerify = QStringLiteral("LogFileVerify");
    LogFileErrorNew = QStringLiteral("LogFileErrorNew");
    LogFileErrorOverwrite = QStringLiteral("LogFileErrorOverwrite");
    LogFileErrorDelete = QStringLiteral("LogFileErrorDelete");
    LogFileErrorVerify = QStringLiteral("LogFileErrorVerify");
    LogFileErrorMisc = QStringLiteral("LogFileErrorMisc");
    SrcLabel = QStringLiteral("Src");
    DstLabel = QStringLiteral("Dst");
    TaskLabel = QStringLiteral("Task");
    MsgInfoCollectItemInfo = QStringLiteral("collect %s");
    MsgInfoStartItem = QStringLiteral("start %s");
    MsgInfoFinishedItem = QStringLiteral("finished %s");
    MsgInfoStoppedItem = QStringLiteral("stopped %s");
}

inline TaskRun::TaskRun(const QString& srcPath, const QString& dstPath, bool mirroring, bool verifying,
                        bool includingSubDirs)
{
    // The run controller only scans directories it has found to exist.
    MakeDirs(dstPath);
    task = new TRsTaskItem;
    task->SrcPath = srcPath;
    task->DstPath = dstPath;
    task->Mirroring = mirroring;
    task->Verifying = verifying;
    task->IncludingSubDirs = includingSubDirs;
    taskList.Add(task);
    // The engine's tests look at lines, not at log files (no program folder here).
    taskList.SaveLog = false;
}

inline QStringList TaskRun::Log() const
{
    QStringList log = taskList.LogList.mid(2);
    if (m_wholeRun && log.size() >= 10)
        log = log.mid(8, log.size() - 10); // the header's eight lines and the footer's two
    return log;
}

inline void TaskRun::Scan()
{
    src.LoadFromBasePath(task->SrcPath, task->ExcludedItemList, task->IncludingSubDirs, BreakFunction(), true);
    dst.LoadFromBasePath(task->DstPath, task->ExcludedItemList, task->IncludingSubDirs, BreakFunction(), false);
    QTRY_VERIFY_WITH_TIMEOUT(src.SearchFilesDone && dst.SearchFilesDone, 60000);
}

// Starts a worker and waits for its end, its lines to pane.
template <typename Worker>
inline void RunWorker(Worker* worker, QStringList& pane)
{
    QObject::connect(worker, &TRsThread::linesAdded, worker, [&pane](const QStringList& l) { pane += l; });
    QSignalSpy done(worker, &TRsThread::done);
    worker->start();
    QTRY_VERIFY_WITH_TIMEOUT(done.count() == 1, 60000);
    StopAndFreeThread(worker);
}

inline void TaskRun::Collect()
{
    lists.Clear();
    RunWorker(new TCollectBackupInfoThread(&src, &dst, &taskList, 0, &lists, &taskList.LogList, BreakFunction()), pane);
}

inline void TaskRun::Execute(bool testing)
{
    RunWorker(new TDoBackupThread(&src, &dst, &taskList, 0, &lists, &taskList.LogList, BreakFunction(), &stopFlag,
                                  testing),
              pane);
}

inline void TaskRun::RunAll(bool testing)
{
    m_wholeRun = true;
    QObject::connect(&driver, &TRunDriver::linesReady, &driver, [this](const QStringList& l) { runLines += l; });
    bool finished = false;
    QObject::connect(&driver, &TRunDriver::finished, &driver, [this, &finished](const TRunOutcome& o) {
        outcome = o;
        finished = true;
    });
    driver.Start({&taskList, {0}, testing, QStringLiteral("Run (&R)")});
    QTRY_VERIFY_WITH_TIMEOUT(finished, 120000);
    // The workers' lines: from the scans' report to the start line, and from there to the empty line
    // before the finished line.
    const QString dstCollected = FormatLangText(MsgInfoCollectedItemInfo, DstLabel);
    const QString start = FormatLangText(MsgInfoStartItem, TaskLabel + u'0');
    const QString finishedLine = FormatLangText(MsgInfoFinishedItem, TaskLabel + u'0');
    const qsizetype from = runLines.indexOf(dstCollected);
    const qsizetype startAt = runLines.indexOf(start, from);
    const qsizetype finishedAt = runLines.indexOf(finishedLine, startAt);
    if (from < 0 || startAt < 0 || finishedAt < 0)
        return;
    pane = runLines.mid(from + 1, startAt - from - 2) + runLines.mid(startAt + 1, finishedAt - startAt - 2);
}

} // namespace enginetest
