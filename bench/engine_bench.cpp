// Drives one task through the engine as the run controller does: both trees scanned side by side,
// then the collection, then the execution (which, in a run, ends with the destination flushed to its
// disk). Prints the time of each step and the peak resident memory.
//
//   engine_bench SRC DST [--mirror] [--verify] [--test]

#include "app/Lang.h"
#include "app/LangExtra.h"
#include "engine/BackupIndexLists.h"
#include "engine/CollectBackupInfoThread.h"
#include "engine/DoBackupThread.h"
#include "engine/RsBackupList.h"
#include "engine/RsFileUtils.h"
#include "engine/platform/Platform.h"
#include "model/RsTaskList.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <atomic>
#include <cstdio>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

long PeakRssKiB()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

template <typename Worker>
void WaitForDone(Worker* worker)
{
    bool done = false;
    QObject::connect(worker, &TRsThread::done, worker, [&done] { done = true; });
    TRsWaitLoop wait([&done] { return done; });
    wait.WakeOn(worker, &TRsThread::done);
    wait.Exec();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: engine_bench SRC DST [--mirror] [--verify] [--test]\n");
        return 2;
    }
    // Short stand-ins for the language texts: the lines are built and kept as in the program.
    LogFileNew = u"LogFileNew"_s;
    LogFileOverwrite = u"LogFileOverwrite"_s;
    LogFileDelete = u"LogFileDelete"_s;
    LogDirNew = u"LogDirNew"_s;
    LogDirDelete = u"LogDirDelete"_s;
    LogFileVerify = u"LogFileVerify"_s;
    // Failures are counted by these words in the lines: every error text needs its stand-in, or a
    // run that copied nothing would pass as clean.
    LogDirErrorAttrib = u"Error LogDirErrorAttrib"_s;
    LogDirErrorNew = u"Error LogDirErrorNew"_s;
    LogDirErrorDelete = u"Error LogDirErrorDelete"_s;
    LogFileErrorNew = u"Error LogFileErrorNew"_s;
    LogFileErrorOverwrite = u"Error LogFileErrorOverwrite"_s;
    LogFileErrorDelete = u"Error LogFileErrorDelete"_s;
    LogFileErrorVerify = u"Error LogFileErrorVerify"_s;
    LogFileErrorMisc = u"Error LogFileErrorMisc"_s;
    LogDstErrorSync = u"Error LogDstErrorSync"_s;
    MsgInfoCollectedItemInfo = u"%s"_s;

    TRsTaskList taskList;
    auto* task = new TRsTaskItem;
    task->SrcPath = args.at(1);
    task->DstPath = args.at(2);
    task->IncludingSubDirs = true;
    task->Mirroring = args.contains(u"--mirror"_s);
    task->Verifying = args.contains(u"--verify"_s);
    const bool testing = args.contains(u"--test"_s);
    taskList.Add(task);

    // As cp and rsync do, make the destination; like the program, scan only directories that exist
    // (a list whose base directory is missing starts no scan and would never report done).
    platform::createDirectories(task->DstPath.toStdU16String());
    for (const QString& dir : {task->SrcPath, task->DstPath}) {
        if (!IsExistingDirectory(dir, true)) {
            std::fprintf(stderr, "engine_bench: not a directory: %s\n", qPrintable(dir));
            return 2;
        }
    }

    std::atomic<bool> stopFlag{false};
    const TBreakFunction stop = [&stopFlag] { return stopFlag.load(std::memory_order_relaxed); };
    TRsBackupList src;
    TRsBackupList dst;
    TBackupIndexLists lists;
    qint64 paneLines = 0;

    QElapsedTimer total;
    total.start();
    QElapsedTimer step;
    step.start();
    src.LoadFromBasePath(task->SrcPath, task->ExcludedItemList, true, stop, true);
    dst.LoadFromBasePath(task->DstPath, task->ExcludedItemList, true, stop, false);
    {
        TRsWaitLoop wait([&] { return src.SearchFilesDone && dst.SearchFilesDone; });
        wait.WakeOn(&src, &TRsBackupList::searchFilesDone);
        wait.WakeOn(&dst, &TRsBackupList::searchFilesDone);
        wait.Exec();
    }
    const qint64 scanMs = step.restart();

    auto* collect = new TCollectBackupInfoThread(&src, &dst, &taskList, 0, &lists, &taskList.LogList, stop);
    QObject::connect(collect, &TRsThread::linesAdded, collect, [&paneLines](const QStringList& l) { paneLines += l.size(); });
    WaitForDone(collect);
    StopAndFreeThread(collect);
    const qint64 collectMs = step.restart();

    auto* execute = new TDoBackupThread(&src, &dst, &taskList, 0, &lists, &taskList.LogList, stop, &stopFlag, testing);
    QObject::connect(execute, &TRsThread::linesAdded, execute, [&paneLines](const QStringList& l) { paneLines += l.size(); });
    WaitForDone(execute);
    StopAndFreeThread(execute);
    const qint64 executeMs = step.restart();

    qint64 errors = 0;
    for (const QString& line : std::as_const(taskList.LogList))
        if (line.contains(u"Error"_s))
            ++errors;
    std::printf("scan_ms=%lld collect_ms=%lld execute_ms=%lld total_ms=%lld src_files=%d src_dirs=%d "
                "dst_files=%d new=%lld overwrite=%lld delete=%lld dirnew=%lld dirdelete=%lld lines=%lld "
                "errors=%lld peak_rss_kib=%ld\n",
                (long long)scanMs, (long long)collectMs, (long long)executeMs, (long long)total.elapsed(),
                src.Count(), src.DirList.Count(), dst.Count(), (long long)lists.FileNewIndexList.size(),
                (long long)lists.FileOverwriteIndexList.size(), (long long)lists.FileDeleteIndexList.size(),
                (long long)lists.DirNewIndexList.size(), (long long)lists.DirDeleteIndexList.size(),
                (long long)paneLines, (long long)errors, PeakRssKiB());
    return errors == 0 ? 0 : 1;
}
