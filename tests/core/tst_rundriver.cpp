// The run driver on its own, without a window: whole task lists on real trees, the lines it hands
// out and where they go, the outcome it reports, a stop in each phase, and the refusals.

#include "BackupTestRun.h"

#include "app/ProgramDir.h"
#include "engine/RunLogFile.h"
#include "engine/RunProgressText.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace enginetest;

namespace {

constexpr qint64 kOld = 1500000000;
constexpr qint64 kNew = 1600000000;

// One run of a list through the driver, with everything it reported.
struct DriverRun
{
    std::atomic<bool> stopFlag{false};
    TRunDriver driver{&stopFlag};
    QStringList pane;
    QList<int> started;
    QList<TTaskOutcome> tasks;
    QList<TRunOutcome> finished;

    DriverRun()
    {
        QObject::connect(&driver, &TRunDriver::linesReady, &driver, [this](const QStringList& l) { pane += l; });
        QObject::connect(&driver, &TRunDriver::taskStarted, &driver, [this](int i) { started << i; });
        QObject::connect(&driver, &TRunDriver::taskFinished, &driver, [this](const TTaskOutcome& o) { tasks << o; });
        QObject::connect(&driver, &TRunDriver::finished, &driver, [this](const TRunOutcome& o) { finished << o; });
    }

    // Starts the tasks of list and waits for the end of the run.
    bool Run(TRsTaskList& list, const QList<int>& indices, bool test = false)
    {
        driver.Start({&list, indices, test, u"Run list(&R)"_s});
        return QTest::qWaitFor([this] { return !finished.isEmpty(); }, 60000) && !driver.IsRunning();
    }
};

TRsTaskItem* AddTask(TRsTaskList& list, const QString& src, const QString& dst, bool mirroring = false,
                     bool verifying = false)
{
    auto* task = new TRsTaskItem;
    task->SrcPath = src;
    task->DstPath = dst;
    task->IncludingSubDirs = true;
    task->Mirroring = mirroring;
    task->Verifying = verifying;
    list.Add(task);
    return task;
}

QString TaskLine(const QString& text, int index)
{
    return FormatLangText(text, TaskLabel + QString::number(index));
}

// The log file's lines (UTF-16 LE after a byte order mark, CR LF after every line).
QStringList LogFileLines(const QString& path)
{
    const QByteArray bytes = testsupport::readBytes(path);
    if (!bytes.startsWith("\xFF\xFE"))
        return {u"<no log file>"_s};
    QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
    text.chop(2);
    return text.split(u"\r\n"_s);
}

} // namespace

class TestRunDriver : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void linesAndOutcomeOfAList();
    void failedItemsReachTheOutcome();
    void stopInEachPhase_data();
    void stopInEachPhase();
    void unwritableLogEndsTheRun();
    void progressOfTheExecution();
    void emptySourceMirror_data();
    void emptySourceMirror();
    void stopWhileTheQuestionIsOpen();
    void pathsInTheLogAreOneLineEach();
    void progressTexts_data();
    void progressTexts();

private:
    QString path(const QString& relative) const { return m_dir->path() + u'/' + relative; }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestRunDriver::initTestCase()
{
    SetTestLanguageTexts();
    LogSrcPath = u"LogSrcPath"_s;
    LogDstPath = u"LogDstPath"_s;
    LogStartTime = u"LogStartTime"_s;
    LogFinishTime = u"LogFinishTime"_s;
    MsgErrorPathNotFound = u"not found %s"_s;
    SetLogTimeSeparator(u":"_s);
}

void TestRunDriver::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir().mkpath(path(u"prog"_s)));
    SetProgramDirectory(path(u"prog"_s));
}

void TestRunDriver::cleanup()
{
    SetProgramDirectory(QString());
    m_dir.reset();
}

void TestRunDriver::linesAndOutcomeOfAList()
{
    QVERIFY(WriteFile(path(u"s0/a.txt"_s), "a", kNew));
    QVERIFY(WriteFile(path(u"s0/sub/b.txt"_s), "bb", kNew));
    QVERIFY(MakeDirs(path(u"d0"_s)));
    TRsTaskList list;
    list.SetTaskListName(u"L"_s);
    AddTask(list, path(u"s0"_s), path(u"d0"_s));
    AddTask(list, path(u"s1"_s), path(u"d1"_s)); // not asked for
    AddTask(list, path(u"missing"_s), path(u"d0"_s));
    const QStringList heading = list.LogList.toStringList();

    DriverRun run;
    QVERIFY(run.Run(list, {0, 2}));

    QCOMPARE(run.started, (QList<int>{0, 2}));
    QCOMPARE(run.tasks.size(), 2);
    QCOMPARE(run.finished.size(), 1);
    const QStringList header0 = RunHeaderLines(u"Run list(&R)"_s, list, 0);
    const QStringList header2 = RunHeaderLines(u"Run list(&R)"_s, list, 2);
    const QStringList items{u"LogDirNew sub"_s, u"LogFileNew a.txt"_s, u"LogFileNew sub/b.txt"_s};
    // The times in the headers and footers are those of the run: compare them apart.
    QStringList log = list.LogList.mid(heading.size());
    QCOMPARE(log.size(), 8 + 3 + 2 + 8 + 2 + 2);
    QCOMPARE(log.mid(0, 6), header0.mid(0, 6));
    QCOMPARE(log.mid(8, 3), items);
    QCOMPARE(log.at(11), QString());
    QVERIFY(log.at(12).startsWith(u"LogFinishTime "_s));
    QCOMPARE(log.mid(13, 6), header2.mid(0, 6));
    QCOMPARE(log.mid(21, 2), (QStringList{u"not found Src"_s, TaskLine(MsgInfoStoppedItem, 2)}));

    // The pane has the log's lines and, between them, the progress of each task.
    const QStringList pane = run.pane;
    QCOMPARE(pane.mid(0, 8), log.mid(0, 8));
    const QStringList progress0{TaskLine(MsgInfoCollectItemInfo, 0), u"collected Src"_s, u"collected Dst"_s};
    QCOMPARE(pane.mid(8, 3), progress0);
    const qsizetype start = pane.indexOf(TaskLine(MsgInfoStartItem, 0));
    QVERIFY(start > 11);
    QCOMPARE(pane.at(start - 1), QString());
    QCOMPARE(pane.mid(start + 1, 3), items);
    QCOMPARE(pane.mid(start + 4, 2), (QStringList{QString(), TaskLine(MsgInfoFinishedItem, 0)}));
    // A missing path: the stopped line, then the finished line (the run was not stopped).
    const qsizetype missing = pane.indexOf(u"not found Src"_s);
    QCOMPARE(pane.mid(missing + 1, 4), (QStringList{QString(), TaskLine(MsgInfoStoppedItem, 2), QString(),
                                                    TaskLine(MsgInfoFinishedItem, 2)}));

    const TRunOutcome& outcome = run.finished.first();
    QCOMPARE(outcome.TasksRun, 2);
    QCOMPARE(outcome.PathsMissing, 1);
    QCOMPARE(outcome.Counts.Done, 3);
    QCOMPARE(outcome.Counts.Failed, 0);
    QCOMPARE(outcome.Counts.Skipped, 0);
    QVERIFY(!outcome.Stopped);
    QVERIFY(outcome.Failed()); // a missing directory is a failure of the run
    QVERIFY(run.tasks.at(1).PathMissing && !run.tasks.at(0).PathMissing);
    QCOMPARE(outcome.LogFileName, list.GetLogFileName(false));
    QCOMPARE(LogFileLines(outcome.LogFileName), list.LogList.toStringList());
    QCOMPARE(ReadFile(path(u"d0/sub/b.txt"_s)), QByteArray("bb"));
}

void TestRunDriver::failedItemsReachTheOutcome()
{
    QVERIFY(WriteFile(path(u"s/dir/x.txt"_s), "x", kNew));
    QVERIFY(WriteFile(path(u"s/ok.txt"_s), "ok", kNew));
    QVERIFY(WriteFile(path(u"d/dir"_s), "a file where the directory goes", kOld));
    TRsTaskList list;
    list.SaveLog = false;
    AddTask(list, path(u"s"_s), path(u"d"_s));
    DriverRun run;
    QVERIFY(run.Run(list, {0}));
    const TRunOutcome& outcome = run.finished.first();
    QCOMPARE(outcome.Counts.Failed, 2); // the directory, and the file below it
    QCOMPARE(outcome.Counts.Done, 1);
    QVERIFY(outcome.Failed());
    QVERIFY(outcome.LogFileName.isEmpty());
    QCOMPARE(list.LogList.filter(u"Error"_s).size(), 2);
}

void TestRunDriver::stopInEachPhase_data()
{
    QTest::addColumn<int>("phase");
    QTest::newRow("scan") << int(TRunPhase::Scan);
    QTest::newRow("collection") << int(TRunPhase::Collect);
    QTest::newRow("execution") << int(TRunPhase::Execute);
}

// A stop takes effect at once in whichever phase: the task writes its stopped line, its footer and
// its log file right away, and no further task starts. The workers end at their next item.
void TestRunDriver::stopInEachPhase()
{
    QFETCH(int, phase);
    for (int i = 0; i < 300; ++i)
        QVERIFY(WriteFile(path(u"s/sub%1/f%2.txt"_s.arg(i % 10).arg(i)), QByteArray(4096, 'x'), kNew));
    QVERIFY(WriteFile(path(u"s2/c.txt"_s), "c", kNew));
    QVERIFY(MakeDirs(path(u"d"_s)) && MakeDirs(path(u"d2"_s)));
    TRsTaskList list;
    list.SetTaskListName(u"Stops"_s);
    AddTask(list, path(u"s"_s), path(u"d"_s), false, true);
    AddTask(list, path(u"s2"_s), path(u"d2"_s));
    const qsizetype heading = list.LogList.size();

    DriverRun run;
    bool stoppedInPhase = false;
    QObject::connect(&run.driver, &TRunDriver::phaseStarted, &run.driver, [&](TRunPhase started) {
        if (int(started) != phase)
            return;
        // As the stop command does it: from the event loop, while the phase runs.
        QMetaObject::invokeMethod(&run.driver, [&] {
            stoppedInPhase = run.driver.IsRunning();
            run.driver.Stop();
        }, Qt::QueuedConnection);
    });
    QVERIFY(run.Run(list, {0, 1}));
    QVERIFY(stoppedInPhase);

    QCOMPARE(run.started, QList<int>{0});
    const TRunOutcome& outcome = run.finished.first();
    QVERIFY(outcome.Stopped);
    QVERIFY(outcome.Failed());
    const QStringList log = list.LogList.mid(heading);
    QCOMPARE(log.at(log.size() - 3), TaskLine(MsgInfoStoppedItem, 0));
    QVERIFY(log.last().startsWith(u"LogFinishTime "_s));
    QVERIFY(!run.pane.contains(TaskLine(MsgInfoFinishedItem, 0)));
    QCOMPARE(run.pane.contains(TaskLine(MsgInfoStartItem, 0)), phase == int(TRunPhase::Execute));
    QCOMPARE(LogFileLines(list.GetLogFileName(false)).mid(0, heading + log.size()), list.LogList.mid(0, heading + log.size()));
    QVERIFY(!Exists(path(u"d2/c.txt"_s)));
    // The workers end on their own; freeing them afterwards does not wait for a whole task.
    run.driver.StopAndFreeWorkers();
    QVERIFY(!run.driver.CollectWorker() && !run.driver.ExecuteWorker());
}

void TestRunDriver::unwritableLogEndsTheRun()
{
    QVERIFY(WriteFile(path(u"s/a.txt"_s), "a", kNew));
    QVERIFY(MakeDirs(path(u"d"_s)));
    TRsTaskList list;
    list.SetTaskListName(u"Blocked"_s);
    AddTask(list, path(u"s"_s), path(u"d"_s));
    AddTask(list, path(u"s"_s), path(u"d"_s));
    // A directory where the log file should be: it cannot be replaced.
    QVERIFY(MakeDirs(list.GetLogFileName(false) + u"/x"_s));
    DriverRun run;
    QVERIFY(run.Run(list, {0, 1}));
    QCOMPARE(run.started, QList<int>{0});
    const TRunOutcome& outcome = run.finished.first();
    QCOMPARE(outcome.LogFileName, list.GetLogFileName(false));
    QVERIFY(!outcome.LogFileError.isEmpty());
    QVERIFY(outcome.Failed());
    QVERIFY(RunFailureLine(u"Blocked"_s, outcome).contains(outcome.LogFileName));
}

void TestRunDriver::progressOfTheExecution()
{
    QVERIFY(WriteFile(path(u"s/a.bin"_s), QByteArray(5000, 'a'), kNew));
    QVERIFY(WriteFile(path(u"s/dir/b.bin"_s), QByteArray(7000, 'b'), kNew));
    QVERIFY(WriteFile(path(u"s/c.bin"_s), QByteArray(100, 'c'), kNew));
    QVERIFY(WriteFile(path(u"d/c.bin"_s), "old", kOld));
    QVERIFY(WriteFile(path(u"d/gone.bin"_s), "g", kOld));
    TRsTaskList list;
    list.SaveLog = false;
    AddTask(list, path(u"s"_s), path(u"d"_s), true, true);
    DriverRun run;
    QList<TRunProgress> atStart;
    QObject::connect(&run.driver, &TRunDriver::phaseStarted, &run.driver,
                     [&](TRunPhase) { atStart << run.driver.CurrentProgress(); });
    QVERIFY(run.Run(list, {0}));
    QCOMPARE(atStart.size(), 3);
    QCOMPARE(atStart.at(0).Phase, TRunPhase::Scan);
    QCOMPARE(atStart.at(0).TaskIndex, 0);
    const TRunProgress& execute = atStart.at(2);
    QCOMPARE(execute.Phase, TRunPhase::Execute);
    // A new directory, two new files, one overwrite, one deletion, and three verifications.
    QCOMPARE(execute.ItemsTotal, 1 + 2 + 1 + 1 + 3);
    // Every byte to copy is copied, then read again.
    QCOMPARE(execute.BytesTotal, 2 * (5000 + 7000 + 100));
    QVERIFY(execute.ItemsDone <= execute.ItemsTotal && execute.BytesDone <= execute.BytesTotal);
    QVERIFY(RunProgressText(execute).startsWith(u"[Task0] "_s));
    QCOMPARE(run.finished.first().Counts.Done, 8);
}

void TestRunDriver::emptySourceMirror_data()
{
    QTest::addColumn<int>("answer"); // -1: nobody is asked
    QTest::addColumn<bool>("deleted");
    QTest::newRow("nobody to ask") << -1 << false;
    QTest::newRow("refused") << 0 << false;
    QTest::newRow("confirmed") << 1 << true;
}

void TestRunDriver::emptySourceMirror()
{
    QFETCH(int, answer);
    QFETCH(bool, deleted);
    QVERIFY(MakeDirs(path(u"s"_s)));
    QVERIFY(WriteFile(path(u"d/photo.jpg"_s), "p", kOld) && WriteFile(path(u"d/album/x.jpg"_s), "x", kOld));
    TRsTaskList list;
    list.SaveLog = false;
    AddTask(list, path(u"s"_s), path(u"d"_s), true);
    DriverRun run;
    int asked = 0;
    if (answer >= 0) {
        run.driver.ConfirmEmptySourceDeletions = [&](const TRsTaskItem& task) {
            ++asked;
            return task.SrcPath == path(u"s"_s) && answer == 1;
        };
    }
    QVERIFY(run.Run(list, {0}));
    QCOMPARE(asked, answer >= 0 ? 1 : 0);
    QCOMPARE(Exists(path(u"d/photo.jpg"_s)), !deleted);
    QCOMPARE(Exists(path(u"d/album"_s)), !deleted);
    const TRunOutcome& outcome = run.finished.first();
    QCOMPARE(outcome.Failed(), !deleted);
    QCOMPARE(list.LogList.contains(LogErrorEmptySource + u' ' + path(u"s"_s)), !deleted);
    if (!deleted)
        QCOMPARE(outcome.Counts.Skipped, 3); // a directory and two files kept
}

// A stop that arrives while the question about an empty source is open (a signal, the tray menu)
// wins over a later "yes": nothing is deleted.
void TestRunDriver::stopWhileTheQuestionIsOpen()
{
    QVERIFY(MakeDirs(path(u"s"_s)));
    QVERIFY(WriteFile(path(u"d/photo.jpg"_s), "p", kOld));
    TRsTaskList list;
    list.SaveLog = false;
    AddTask(list, path(u"s"_s), path(u"d"_s), true);
    DriverRun run;
    run.driver.ConfirmEmptySourceDeletions = [&](const TRsTaskItem&) {
        run.driver.Stop();
        return true;
    };
    QVERIFY(run.Run(list, {0}));
    QVERIFY(Exists(path(u"d/photo.jpg"_s)));
    QVERIFY(run.finished.first().Stopped);
    QVERIFY(list.LogList.contains(TaskLine(MsgInfoStoppedItem, 0)));
    QVERIFY(!run.pane.contains(TaskLine(MsgInfoStartItem, 0)));
}

// A task's directories may have any name: in the header and in the refusals they are escaped like
// any name in the log, so a line break in one forges no line.
void TestRunDriver::pathsInTheLogAreOneLineEach()
{
    const QString src = path(u"s\nLogFileDelete forged"_s);
    QVERIFY(MakeDirs(src) && MakeDirs(src + u"/backup"_s));
    TRsTaskList list;
    list.SaveLog = false;
    AddTask(list, src, src + u"/backup"_s); // refused: the backup lies in the original
    const qsizetype heading = list.LogList.size();
    DriverRun run;
    QVERIFY(run.Run(list, {0}));
    const QStringList log = list.LogList.mid(heading);
    QVERIFY(!log.contains(u"LogFileDelete forged"_s));
    const QString shown = path(u"s\\nLogFileDelete forged"_s);
    QCOMPARE(log.at(3), u"LogSrcPath "_s + shown);
    QCOMPARE(log.at(4), u"LogDstPath "_s + shown + u"/backup"_s);
    QCOMPARE(log.at(8), FormatLangText(LogErrorDstInsideSrc, shown, shown + u"/backup"_s));
    QCOMPARE(run.finished.first().TasksRefused, 1);
}

void TestRunDriver::progressTexts_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("text");
    QTest::newRow("number") << GroupedNumber(1234567) << u"1,234,567"_s;
    QTest::newRow("small number") << GroupedNumber(999) << u"999"_s;
    QTest::newRow("bytes") << ByteSizeText(512) << u"512 B"_s;
    QTest::newRow("kilobytes with a decimal") << ByteSizeText(1536) << u"1.5 KB"_s;
    QTest::newRow("megabytes whole") << ByteSizeText(qint64(782) * 1024 * 1024) << u"782 MB"_s;
    QTest::newRow("just below ten") << ByteSizeText(qint64(10188)) << u"9.9 KB"_s;
    QTest::newRow("seconds") << DurationText(5) << u"0:05"_s;
    QTest::newRow("a second started counts") << DurationText(59.2) << u"1:00"_s;
    QTest::newRow("hours") << DurationText(3723) << u"1:02:03"_s;
}

void TestRunDriver::progressTexts()
{
    QFETCH(QString, what);
    QFETCH(QString, text);
    QCOMPARE(what, text);
}

QTEST_GUILESS_MAIN(TestRunDriver)
#include "tst_rundriver.moc"
