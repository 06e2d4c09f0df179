// Runs one task through the run driver, as the program does: both trees scanned side by side, then
// the collection, then the execution (which, in a run, ends with the destination flushed to its
// disk). Prints the time of each step and the peak resident memory.
//
//   engine_bench SRC DST [--mirror] [--verify] [--test]

#include "app/Lang.h"
#include "app/LangExtra.h"
#include "engine/BackupIndexLists.h"
#include "engine/RsBackupList.h"
#include "engine/RsFileUtils.h"
#include "engine/RunDriver.h"
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

    // The run driver takes the task through its steps exactly as the program does; only the log
    // file is left out (no program folder here).
    taskList.SaveLog = false;
    std::atomic<bool> stopFlag{false};
    TRunDriver driver(&stopFlag);
    qint64 paneLines = 0;
    qint64 phaseMs[3] = {0, 0, 0};
    QElapsedTimer total;
    QElapsedTimer step;
    int phase = -1;
    auto endPhase = [&] {
        if (phase >= 0)
            phaseMs[phase] = step.restart();
    };
    QObject::connect(&driver, &TRunDriver::phaseStarted, &driver, [&](TRunPhase next) {
        endPhase();
        step.restart();
        phase = int(next);
    });
    QObject::connect(&driver, &TRunDriver::linesReady, &driver, [&paneLines](const QStringList& l) { paneLines += l.size(); });
    QObject::connect(&driver, &TRunDriver::finished, &app, [&] {
        endPhase();
        QCoreApplication::quit();
    });
    total.start();
    step.start();
    driver.Start({&taskList, {0}, testing, u"Run (&R)"_s});
    if (driver.IsRunning())
        app.exec();
    const qint64 scanMs = phaseMs[int(TRunPhase::Scan)];
    const qint64 collectMs = phaseMs[int(TRunPhase::Collect)];
    const qint64 executeMs = phaseMs[int(TRunPhase::Execute)];
    const TRsBackupList& src = *driver.SrcList();
    const TRsBackupList& dst = *driver.DstList();
    const TBackupIndexLists& lists = driver.IndexLists();

    const qint64 errors = taskList.LogList.filter(u"Error"_s).size();
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
