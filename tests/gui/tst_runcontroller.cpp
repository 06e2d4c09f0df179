#include "app/Lang.h"
#include "app/LangExtra.h"
#include "app/ProgramDir.h"
#include "app/TmkLib.h"
#include "engine/CollectBackupInfoThread.h"
#include "engine/DoBackupThread.h"
#include "engine/RsBackupList.h"
#include "engine/RunDriver.h"
#include "engine/RunLogFile.h"
#include "RsUnits/RsGrid.h"
#include "RsUnits/RsImageList.h"
#include "RsUnits/RsTimer.h"
#include "support/MsgDialogRecorder.h"
#include "support/TestSupport.h"
#include "ui/Main.h"
#include "ui/RunLog.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct TaskSpec
{
    QString src;
    QString dst;
    bool enabled = true;
    bool mirroring = false;
};

const QStringList SixteenActions{
    u"ActTaskListAddTaskList"_s,        u"ActTaskListDeleteTaskList"_s,     u"ActTaskListConfigTaskList"_s,
    u"ActTaskListTestTaskList"_s,       u"ActTaskListRunTaskList"_s,        u"ActTaskListStopTaskList"_s,
    u"ActTaskListMoveTaskListUpward"_s, u"ActTaskListMoveTaskListDownward"_s, u"ActTaskAddTask"_s,
    u"ActTaskDeleteTask"_s,             u"ActTaskConfigTask"_s,             u"ActTaskTestTask"_s,
    u"ActTaskRunTask"_s,                u"ActTaskStopTask"_s,               u"ActTaskMoveTaskUpward"_s,
    u"ActTaskMoveTaskDownward"_s,
};

bool writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).path());
    return testsupport::writeBytes(path, content);
}

// The log file's lines (UTF-16 LE with a byte order mark, CR LF after every line).
QStringList logFileLines(const QString& path)
{
    const QByteArray bytes = testsupport::readBytes(path);
    if (!bytes.startsWith("\xFF\xFE"))
        return {u"<no log file>"_s};
    QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
    if (!text.endsWith(u"\r\n"_s))
        return {u"<last line not terminated>"_s};
    text.chop(2);
    return text.split(u"\r\n"_s);
}

QString taskLine(const QString& key, int index)
{
    return FormatLangText(key, TaskLabel + QString::number(index));
}

} // namespace

// The run controller driven through the real main window, on real temporary trees.
class TestRunController : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void listTestSkipsDisabledTask();
    void cancelStartsNothing_data();
    void cancelStartsNothing();
    void confirmationTexts_data();
    void confirmationTexts();
    void stopDuringScanEndsTheList();
    void missingDestinationGoesOn();
    void runControlsAndAnimation_data();
    void runControlsAndAnimation();
    void disabledTaskRunsOnItsOwn();
    void logLinesAsInTheExample_data();
    void logLinesAsInTheExample();
    void twoRunsAccumulate();
    void saveLogOffWritesNoFile();
    void unwritableLogEndsTheList();
    void animationFrames_data();
    void animationFrames();
    void commandLineRunExitStatus_data();
    void commandLineRunExitStatus();
    void closeDuringRunQuits();
    void emptySourceDoesNotEmptyTheBackup_data();
    void emptySourceDoesNotEmptyTheBackup();
    void clashingDirectoriesAreNotRun_data();
    void clashingDirectoriesAreNotRun();

private:
    QString prog(const QString& name = QString()) const { return m_prog->path() + u'/' + name; }
    QString tree(const QString& name) const { return m_trees->path() + u'/' + name; }
    void writeTaskList(const QString& name, const QList<TaskSpec>& tasks, bool saveLog = true);
    void writeSettings(const QStringList& names);
    TMainForm* makeForm();
    // Triggers a command and, when it started a run, waits for the run's end.
    void runCommand(const QString& name);
    // The silent run of the list named on the command line, without a display, to its end.
    TMainForm* makeSilentRun(const QString& name);
    QStringList paneLines() const;
    QStringList stored(TRsTaskList* list) const { return list->LogList.mid(m_headingLines); }

    std::unique_ptr<QTemporaryDir> m_prog;
    std::unique_ptr<QTemporaryDir> m_trees;
    std::unique_ptr<MsgDialogRecorder> m_boxes;
    std::unique_ptr<TMainForm> m_form;
    qsizetype m_headingLines = 2;
};

void TestRunController::initTestCase()
{
    SetExecutableBaseName(u"tsumiki"_s);
}

void TestRunController::init()
{
    m_prog = std::make_unique<QTemporaryDir>();
    m_trees = std::make_unique<QTemporaryDir>();
    QVERIFY(m_prog->isValid() && m_trees->isValid());
    SetProgramDirectory(m_prog->path());
    // The button strip, so the animation has its frames.
    const QString strip = QStringLiteral(QT_TESTCASE_SOURCEDIR) + u"/../resources/dist/Image/Tmk24.png"_s;
    QDir().mkpath(prog(u"Image"_s));
    QVERIFY(QFile::copy(strip, prog(u"Image/Tmk24.png"_s)));
    m_boxes = std::make_unique<MsgDialogRecorder>();
    SetLogTimeSeparator(u":"_s);
}

void TestRunController::cleanup()
{
    m_form.reset();
    m_boxes.reset();
    SetCurrentDateTimeFunction({});
    SetLogTimeSeparator(QString());
    ClearCommandLineRunRequest();
    CommandLineTaskListIndex = -1;
    SetProgramDirectory(QString());
    m_trees.reset();
    m_prog.reset();
}

void TestRunController::writeTaskList(const QString& name, const QList<TaskSpec>& tasks, bool saveLog)
{
    QString text = u"[General]\r\nTaskListName=%1\r\nSaveLog=%2\r\nAddDateStr=0\r\nTaskCount=%3\r\n\r\n"_s.arg(name)
                       .arg(saveLog ? 1 : 0)
                       .arg(tasks.size());
    for (int i = 0; i < tasks.size(); ++i) {
        text += u"[Task%1]\r\nSrcPath=%2\r\nDstPath=%3\r\nIncludingSubDirs=1\r\nMirroring=%5\r\nVerifying=0\r\n"
                "Enabled=%4\r\nExcludedItemCount=0\r\n\r\n"_s.arg(i)
                    .arg(tasks[i].src, tasks[i].dst)
                    .arg(tasks[i].enabled ? 1 : 0)
                    .arg(tasks[i].mirroring ? 1 : 0);
    }
    QVERIFY(writeFile(prog(name + u".ini"_s), testsupport::utf16leWithBom(text)));
}

void TestRunController::writeSettings(const QStringList& names)
{
    QString text = u"[TaskListManager]\r\nTaskListCount=%1\r\n"_s.arg(names.size());
    for (int i = 0; i < names.size(); ++i)
        text += u"TaskList%1=%2\r\n"_s.arg(i).arg(prog(names[i] + u".ini"_s));
    QVERIFY(writeFile(prog(u"tsumiki.ini"_s), testsupport::utf16leWithBom(text + u"\r\n"_s)));
}

TMainForm* TestRunController::makeForm()
{
    m_form = std::make_unique<TMainForm>();
    m_form->show();
    if (!QTest::qWaitForWindowExposed(m_form.get()))
        return nullptr;
    QCoreApplication::processEvents();
    m_boxes->clear();
    m_headingLines = m_form->AManager.Count() ? m_form->AManager.Items(0)->LogList.size() : 2;
    return m_form.get();
}

void TestRunController::runCommand(const QString& name)
{
    QSignalSpy finished(m_form.get(), &TMainForm::runFinished);
    m_form->Action(name)->trigger();
    if (finished.isEmpty() && !m_form->FIsBackupRunning)
        return; // cancelled: nothing started
    QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1, 60000);
}

TMainForm* TestRunController::makeSilentRun(const QString& name)
{
    SetCommandLineRunRequest({true, true, name});
    m_form = std::make_unique<TMainForm>(true);
    if (m_form->EndAtStart())
        return nullptr;
    // The run starts once the event loop runs; the window is never shown.
    QSignalSpy finished(m_form.get(), &TMainForm::runFinished);
    if (!QTest::qWaitFor([&finished] { return finished.count() == 1; }, 60000))
        return nullptr;
    return m_form.get();
}

QStringList TestRunController::paneLines() const
{
    const QString text = m_form->Memo301->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

void TestRunController::listTestSkipsDisabledTask()
{
    for (const char* t : {"s0", "s1", "s2", "d0", "d1", "d2"})
        QVERIFY(QDir().mkpath(tree(QString::fromLatin1(t))));
    QVERIFY(writeFile(tree(u"s0/a.txt"_s), "a"));
    QVERIFY(writeFile(tree(u"s2/c.txt"_s), "c"));
    writeTaskList(u"Three"_s, {{tree(u"s0"_s), tree(u"d0"_s)},
                               {tree(u"s1"_s), tree(u"d1"_s), false},
                               {tree(u"s2"_s), tree(u"d2"_s)}});
    writeSettings({u"Three"_s});
    TMainForm* form = makeForm();
    QVERIFY(form);
    TRsTaskList* list = form->AManager.Items(0);

    // The task grid's row while each task scans.
    QList<int> rows;
    connect(form->FSrcList, &TRsBackupList::searchFilesDone, this, [&] { rows << form->Grid201->Row(); });
    runCommand(u"ActTaskListTestTaskList"_s);

    QCOMPARE(m_boxes->count(), 1);
    QCOMPARE(rows, (QList<int>{1, 3}));
    const QStringList log = stored(list);
    QVERIFY(log.contains(u"Three: タスク0"_s));
    QVERIFY(!log.contains(u"Three: タスク1"_s));
    QVERIFY(log.contains(u"Three: タスク2"_s));
    // A test reports what a run would do and changes nothing.
    QVERIFY(log.contains(LogFileNew + u" a.txt"_s));
    QVERIFY(log.contains(LogFileNew + u" c.txt"_s));
    QVERIFY(!QFile::exists(tree(u"d0/a.txt"_s)));
    QVERIFY(!QFile::exists(tree(u"d2/c.txt"_s)));
    QCOMPARE(list->LastRow, 3);
    QVERIFY(!form->FIsBackupRunning);
}

void TestRunController::cancelStartsNothing_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("list test") << u"ActTaskListTestTaskList"_s;
    QTest::newRow("list run") << u"ActTaskListRunTaskList"_s;
    QTest::newRow("task test") << u"ActTaskTestTask"_s;
    QTest::newRow("task run") << u"ActTaskRunTask"_s;
}

void TestRunController::cancelStartsNothing()
{
    QFETCH(QString, command);
    QVERIFY(QDir().mkpath(tree(u"s"_s)) && QDir().mkpath(tree(u"d"_s)));
    QVERIFY(writeFile(tree(u"s/a.txt"_s), "a"));
    writeTaskList(u"L"_s, {{tree(u"s"_s), tree(u"d"_s)}});
    writeSettings({u"L"_s});
    TMainForm* form = makeForm();
    QVERIFY(form);
    TRsTaskList* list = form->AManager.Items(0);
    const qsizetype logLines = list->LogList.size();
    QMap<QString, bool> before;
    for (const QString& name : SixteenActions)
        before[name] = form->Action(name)->isEnabled();

    m_boxes->enqueueAnswer(TMsgDlgResult::Cancel);
    runCommand(command);

    QCOMPARE(m_boxes->count(), 1);
    QCOMPARE(m_boxes->last().type, TMsgDlgType::Confirmation);
    QCOMPARE(m_boxes->last().buttons, TMsgDlgButtons::OKCancel);
    QCOMPARE(m_boxes->last().owner, form);
    for (const QString& name : SixteenActions)
        QCOMPARE(form->Action(name)->isEnabled(), before[name]);
    QVERIFY(form->TopPanel->isEnabled());
    QVERIFY(!form->Timer1->Enabled());
    QVERIFY(!form->RunDriver()->CollectWorker() && !form->RunDriver()->ExecuteWorker());
    QCOMPARE(list->LogList.size(), logLines);
    QCOMPARE(paneLines(), QStringList());
    QVERIFY(!QFile::exists(list->GetLogFileName(false)));
    QVERIFY(!QFile::exists(tree(u"d/a.txt"_s)));
}

void TestRunController::confirmationTexts_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("taskText");
    QTest::newRow("list test") << u"ActTaskListTestTaskList"_s << u"MsgConfirmTestItem"_s << false;
    QTest::newRow("list run") << u"ActTaskListRunTaskList"_s << u"MsgConfirmRunItem"_s << false;
    QTest::newRow("task test") << u"ActTaskTestTask"_s << u"MsgConfirmTestItem"_s << true;
    QTest::newRow("task run") << u"ActTaskRunTask"_s << u"MsgConfirmRunItem"_s << true;
}

void TestRunController::confirmationTexts()
{
    QFETCH(QString, command);
    QFETCH(QString, key);
    QFETCH(bool, taskText);
    writeTaskList(u"Daily"_s, {{tree(u"a"_s), tree(u"b"_s)}, {tree(u"src"_s), tree(u"dst"_s)}});
    writeSettings({u"Daily"_s});
    TMainForm* form = makeForm();
    QVERIFY(form);
    form->Grid201->SetRow(2);
    m_boxes->enqueueAnswer(TMsgDlgResult::Cancel);
    runCommand(command);
    QCOMPARE(m_boxes->count(), 1);
    const QString item = taskText ? u"オリジナル: "_s + tree(u"src"_s) + u"\n バックアップ: "_s + tree(u"dst"_s)
                                  : u"Daily"_s;
    const QString text = FormatLangText(DefaultLangText(u"Lang: Msg"_s, key), item);
    // The box adds one empty line and the question, once.
    QCOMPARE(m_boxes->last().text, text + u"\n\nよろしーですか？"_s);
}

void TestRunController::stopDuringScanEndsTheList()
{
    for (const char* t : {"s0", "s1", "s2", "d0", "d1", "d2"})
        QVERIFY(QDir().mkpath(tree(QString::fromLatin1(t))));
    for (int i = 0; i < 300; ++i)
        QVERIFY(writeFile(tree(u"s0/sub%1/f%2.txt"_s.arg(i % 10).arg(i)), "x"));
    QVERIFY(writeFile(tree(u"s1/b.txt"_s), "b"));
    QVERIFY(writeFile(tree(u"s2/c.txt"_s), "c"));
    writeTaskList(u"Three"_s,
                  {{tree(u"s0"_s), tree(u"d0"_s)}, {tree(u"s1"_s), tree(u"d1"_s)}, {tree(u"s2"_s), tree(u"d2"_s)}});
    writeSettings({u"Three"_s});
    TMainForm* form = makeForm();
    QVERIFY(form);
    TRsTaskList* list = form->AManager.Items(0);

    bool stoppedWhileScanning = false;
    int stopBoxes = 0;
    // Runs once the run has started: during the scan of the first task (queued before anything the
    // scans report).
    QMetaObject::invokeMethod(form, [&] {
        stoppedWhileScanning = form->FIsBackupRunning && !form->RunDriver()->CollectWorker();
        const int before = m_boxes->count();
        form->Action(u"ActTaskListStopTaskList"_s)->trigger();
        stopBoxes = m_boxes->count() - before;
    }, Qt::QueuedConnection);
    runCommand(u"ActTaskListRunTaskList"_s);

    QVERIFY(stoppedWhileScanning);
    QCOMPARE(stopBoxes, 1);
    QCOMPARE(m_boxes->boxes().at(1).text, u"[Three] を てーし します\n\nよろしーですか？"_s);
    const QStringList log = stored(list);
    QCOMPARE(log.size(), 8 + 1 + 2);
    QCOMPARE(log.at(2), u"Three: タスク0"_s);
    QCOMPARE(log.at(8), taskLine(MsgInfoStoppedItem, 0));
    QCOMPARE(log.at(9), QString());
    QVERIFY(log.at(10).startsWith(LogFinishTime + u' '));
    const QStringList pane = paneLines();
    QVERIFY(!pane.contains(taskLine(MsgInfoFinishedItem, 0)));
    QVERIFY(!pane.contains(taskLine(MsgInfoStartItem, 0)));
    QVERIFY(!pane.contains(u"Three: タスク1"_s));
    // The log file holds the heading and this one task, and nothing was copied.
    QCOMPARE(logFileLines(list->GetLogFileName(false)), list->LogList.toStringList());
    QVERIFY(!QFile::exists(tree(u"d1/b.txt"_s)));
    QVERIFY(!QFile::exists(tree(u"d2/c.txt"_s)));
    QVERIFY(form->Action(u"ActTaskListRunTaskList"_s)->isEnabled());
}

void TestRunController::missingDestinationGoesOn()
{
    QVERIFY(QDir().mkpath(tree(u"s0"_s)) && QDir().mkpath(tree(u"s1"_s)) && QDir().mkpath(tree(u"d1"_s)));
    QVERIFY(writeFile(tree(u"s1/b.txt"_s), "b"));
    writeTaskList(u"Two"_s, {{tree(u"s0"_s), tree(u"missing"_s)}, {tree(u"s1"_s), tree(u"d1"_s)}});
    writeSettings({u"Two"_s});
    TMainForm* form = makeForm();
    QVERIFY(form);
    TRsTaskList* list = form->AManager.Items(0);
    runCommand(u"ActTaskListRunTaskList"_s);

    const QStringList log = stored(list);
    QCOMPARE(log.mid(8, 2), (QStringList{FormatLangText(MsgErrorPathNotFound, DstLabel), taskLine(MsgInfoStoppedItem, 0)}));
    QCOMPARE(log.at(10), QString());
    QVERIFY(log.at(11).startsWith(LogFinishTime));
    QCOMPARE(log.at(14), u"Two: タスク1"_s);
    QVERIFY(log.contains(LogFileNew + u" b.txt"_s));
    QCOMPARE(testsupport::readBytes(tree(u"d1/b.txt"_s)), QByteArray("b"));

    // The pane shows the stopped line after an empty line, then the finished line.
    const QStringList pane = paneLines();
    const qsizetype at = pane.indexOf(FormatLangText(MsgErrorPathNotFound, DstLabel));
    QVERIFY(at > 0);
    QCOMPARE(pane.mid(at + 1, 4),
             (QStringList{QString(), taskLine(MsgInfoStoppedItem, 0), QString(), taskLine(MsgInfoFinishedItem, 0)}));
    QVERIFY(!pane.contains(taskLine(MsgInfoCollectItemInfo, 0)));
    QCOMPARE(logFileLines(list->GetLogFileName(false)), list->LogList.toStringList());
}

void TestRunController::runControlsAndAnimation_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("stop");
    QTest::addColumn<int>("firstFrame");
    QTest::newRow("list test") << u"ActTaskListTestTaskList"_s << u"ActTaskListStopTaskList"_s << 16;
    QTest::newRow("list run") << u"ActTaskListRunTaskList"_s << u"ActTaskListStopTaskList"_s << 16;
    QTest::newRow("task test") << u"ActTaskTestTask"_s << u"ActTaskStopTask"_s << 24;
    QTest::newRow("task run") << u"ActTaskRunTask"_s << u"ActTaskStopTask"_s << 24;
}

void TestRunController::runControlsAndAnimation()
{
    QFETCH(QString, command);
    QFETCH(QString, stop);
    QFETCH(int, firstFrame);
    QVERIFY(QDir().mkpath(tree(u"s"_s)) && QDir().mkpath(tree(u"d"_s)));
    QVERIFY(writeFile(tree(u"s/a.txt"_s), "a"));
    writeTaskList(u"L"_s, {{tree(u"s"_s), tree(u"d"_s)}});
    writeSettings({u"L"_s});
    TMainForm* form = makeForm();
    QVERIFY(form);

    QStringList enabledDuring;
    bool topPanelDuring = true;
    bool timerDuring = false;
    int frameIndexDuring = -1;
    QMetaObject::invokeMethod(form, [&] {
        for (const QString& name : SixteenActions)
            if (form->Action(name)->isEnabled())
                enabledDuring << name;
        topPanelDuring = form->TopPanel->isEnabled();
        timerDuring = form->Timer1->Enabled();
        frameIndexDuring = form->FFrameIndex;
    }, Qt::QueuedConnection);
    runCommand(command);

    QCOMPARE(enabledDuring, QStringList{stop});
    QVERIFY(!topPanelDuring);
    QVERIFY(timerDuring);
    QCOMPARE(frameIndexDuring, firstFrame);
    // Afterwards everything is back and the picture is cleared.
    for (const QString& name : SixteenActions)
        QVERIFY2(form->Action(name)->isEnabled(), qPrintable(name));
    QVERIFY(form->TopPanel->isEnabled());
    QVERIFY(!form->Timer1->Enabled());
    QVERIFY(form->Image001->pixmap().isNull());
    // The other actions are never touched.
    QVERIFY(form->Action(u"ActFileQuit"_s)->isEnabled());
}

void TestRunController::disabledTaskRunsOnItsOwn()
{
    QVERIFY(QDir().mkpath(tree(u"s"_s)) && QDir().mkpath(tree(u"d"_s)));
    QVERIFY(writeFile(tree(u"s/a.txt"_s), "a"));
    writeTaskList(u"L"_s, {{tree(u"x"_s), tree(u"y"_s)}, {tree(u"s"_s), tree(u"d"_s), false}});
    writeSettings({u"L"_s});
    TMainForm* form = makeForm();
    QVERIFY(form);
    TRsTaskList* list = form->AManager.Items(0);
    form->Grid201->SetRow(2);
    runCommand(u"ActTaskRunTask"_s);
    QCOMPARE(testsupport::readBytes(tree(u"d/a.txt"_s)), QByteArray("a"));
    const QStringList log = stored(list);
    QCOMPARE(log.at(1), DeleteAccelerator(form->Action(u"ActTaskRunTask"_s)->text()));
    QCOMPARE(log.at(2), u"L: タスク1"_s);
    QVERIFY(!log.contains(u"L: タスク0"_s));
}

void TestRunController::logLinesAsInTheExample_data()
{
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("finish");
    QTest::newRow("colon") << u":"_s << u"2016-04-01 09:00:00"_s << u"2016-04-01 09:00:03"_s;
    QTest::newRow("dot") << u"."_s << u"2016-04-01 09.00.00"_s << u"2016-04-01 09.00.03"_s;
}

void TestRunController::logLinesAsInTheExample()
{
    QFETCH(QString, separator);
    QFETCH(QString, start);
    QFETCH(QString, finish);
    SetLogTimeSeparator(separator);
    int clockCalls = 0;
    SetCurrentDateTimeFunction([&clockCalls] {
        return QDateTime(QDate(2016, 4, 1), QTime(9, 0, 0)).addSecs(clockCalls++ == 0 ? 0 : 3);
    });
    const QString src = tree(u"Data"_s);
    const QString dst = tree(u"Backup/Data"_s);
    QVERIFY(writeFile(src + u"/Photos/a.jpg"_s, "jpeg"));
    QVERIFY(QDir().mkpath(dst));
    writeTaskList(u"Daily"_s, {{src, dst}});
    writeSettings({u"Daily"_s});
    TMainForm* form = makeForm();
    QVERIFY(form);
    TRsTaskList* list = form->AManager.Items(0);
    const QStringList heading = list->LogList.toStringList();
    runCommand(u"ActTaskListRunTaskList"_s);

    const QStringList header{
        QString(78, u'-'),
        u"タスク リストの じっこー"_s,
        u"Daily: タスク0"_s,
        u"オリジナル: "_s + src,
        u"バックアップ: "_s + dst,
        QString(),
        u"かいし: "_s + start,
        QString(),
    };
    const QStringList items{u"D さくせー: Photos"_s, u"F さくせー: Photos/a.jpg"_s};
    const QStringList footer{QString(), u"しゅーりょー: "_s + finish};
    QCOMPARE(stored(list), header + items + footer);
    QCOMPARE(logFileLines(list->GetLogFileName(false)), heading + header + items + footer);

    const QStringList pane = header +
                             QStringList{
                                 u"[タスク0] の じょーほーを あつめます"_s,
                                 u"[オリジナル] の じょーほーを あつめました"_s,
                                 u"[バックアップ] の じょーほーを あつめました"_s,
                                 u"[ディレクトリー (ぞくせー へんこー)] の じょーほーを あつめました"_s,
                                 u"[ディレクトリー (さくせー)] の じょーほーを あつめました"_s,
                                 u"[ファイル (さくせー)] の じょーほーを あつめました"_s,
                                 u"[ファイル (うわがき)] の じょーほーを あつめました"_s,
                                 QString(),
                                 u"[タスク0] の バックアップを はじめます"_s,
                             } +
                             items + QStringList{QString(), u"[タスク0] を しゅーりょー しました"_s} + footer;
    QCOMPARE(paneLines(), pane);
}

void TestRunController::twoRunsAccumulate()
{
    QVERIFY(QDir().mkpath(tree(u"s"_s)) && QDir().mkpath(tree(u"d"_s)));
    QVERIFY(writeFile(tree(u"s/a.txt"_s), "a"));
    writeTaskList(u"L"_s, {{tree(u"s"_s), tree(u"d"_s)}});
    writeSettings({u"L"_s});
    TMainForm* form = makeForm();
    QVERIFY(form);
    TRsTaskList* list = form->AManager.Items(0);
    const QStringList heading = list->LogList.toStringList();
    runCommand(u"ActTaskListRunTaskList"_s);
    const QStringList first = stored(list);
    QVERIFY(first.contains(LogFileNew + u" a.txt"_s));
    runCommand(u"ActTaskListTestTaskList"_s);
    const QStringList both = stored(list);
    QCOMPARE(both.mid(0, first.size()), first);
    QCOMPARE(both.size(), first.size() + 8 + 2); // nothing left to do: header and footer only
    QCOMPARE(logFileLines(list->GetLogFileName(false)), heading + both);
}

void TestRunController::saveLogOffWritesNoFile()
{
    QVERIFY(QDir().mkpath(tree(u"s"_s)) && QDir().mkpath(tree(u"d"_s)));
    QVERIFY(writeFile(tree(u"s/a.txt"_s), "a"));
    writeTaskList(u"L"_s, {{tree(u"s"_s), tree(u"d"_s)}}, false);
    writeSettings({u"L"_s});
    TMainForm* form = makeForm();
    QVERIFY(form);
    TRsTaskList* list = form->AManager.Items(0);
    QVERIFY(!list->SaveLog);
    runCommand(u"ActTaskListRunTaskList"_s);
    QVERIFY(!QFile::exists(list->GetLogFileName(false)));
    QVERIFY(stored(list).contains(LogFileNew + u" a.txt"_s));
    QVERIFY(paneLines().contains(LogFileNew + u" a.txt"_s));
}

void TestRunController::unwritableLogEndsTheList()
{
    QVERIFY(QDir().mkpath(tree(u"s"_s)) && QDir().mkpath(tree(u"d"_s)));
    QVERIFY(writeFile(tree(u"s/a.txt"_s), "a"));
    writeTaskList(u"L"_s, {{tree(u"s"_s), tree(u"d"_s)}, {tree(u"s"_s), tree(u"d"_s)}});
    writeSettings({u"L"_s});
    TMainForm* form = makeForm();
    QVERIFY(form);
    TRsTaskList* list = form->AManager.Items(0);
    // A directory where the log file should be: it cannot be replaced.
    QVERIFY(QDir().mkpath(list->GetLogFileName(false) + u"/x"_s));
    runCommand(u"ActTaskListRunTaskList"_s);

    QCOMPARE(m_boxes->count(), 2);
    QCOMPARE(m_boxes->last().type, TMsgDlgType::Error);
    QVERIFY(m_boxes->last().text.contains(list->GetLogFileName(false)));
    // The second task does not start; the controls are back.
    QVERIFY(!stored(list).contains(u"L: タスク1"_s));
    QVERIFY(form->Action(u"ActTaskListRunTaskList"_s)->isEnabled());
    QVERIFY(!form->FIsBackupRunning);
}

void TestRunController::animationFrames_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("first");
    QTest::newRow("task list") << u"ActTaskListRunTaskList"_s << 16;
    QTest::newRow("task") << u"ActTaskRunTask"_s << 24;
}

void TestRunController::animationFrames()
{
    QFETCH(QString, command);
    QFETCH(int, first);
    writeSettings({});
    TMainForm* form = makeForm();
    QVERIFY(form);
    QCOMPARE(form->PngImageList24->Count(), 32);
    form->StartRunAnimation(form->Action(command));
    QVERIFY(form->Timer1->Enabled());
    form->Timer1->SetEnabled(false); // the ticks are driven by hand below
    QCOMPARE(form->FFrameIndex, first);
    QList<int> counts;
    for (int tick = 0; tick < 10; ++tick) {
        const int shown = form->FFrameIndex + form->FFrameCount;
        form->Timer1Timer();
        QCOMPARE(form->Image001->pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
                 form->PngImageList24->Pixmap(shown, form->Image001->devicePixelRatioF())
                     .toImage()
                     .convertToFormat(QImage::Format_ARGB32));
        counts << form->FFrameCount;
    }
    QCOMPARE(counts, (QList<int>{1, 2, 3, 4, 5, 6, 7, 0, 1, 2}));
    // A second start while the timer runs changes nothing.
    form->Timer1->SetEnabled(true);
    form->StartRunAnimation(form->Action(first == 16 ? u"ActTaskRunTask"_s : u"ActTaskListRunTaskList"_s));
    QCOMPARE(form->FFrameIndex, first);
    form->StopRunAnimation();
    QVERIFY(!form->Timer1->Enabled());
    QVERIFY(form->Image001->pixmap().isNull());
}

void TestRunController::commandLineRunExitStatus_data()
{
    QTest::addColumn<bool>("missingDestination");
    QTest::addColumn<bool>("failingItem");
    QTest::addColumn<int>("status");
    QTest::newRow("clean") << false << false << 0;
    QTest::newRow("missing path") << true << false << 1;
    QTest::newRow("failed item") << false << true << 1;
}

void TestRunController::commandLineRunExitStatus()
{
    QFETCH(bool, missingDestination);
    QFETCH(bool, failingItem);
    QFETCH(int, status);
    QVERIFY(QDir().mkpath(tree(u"s/dir"_s)));
    QVERIFY(writeFile(tree(u"s/a.txt"_s), "a"));
    if (!missingDestination)
        QVERIFY(QDir().mkpath(tree(u"d"_s)));
    if (failingItem)
        QVERIFY(writeFile(tree(u"d/dir"_s), "a file where a directory goes"));
    writeTaskList(u"nightly"_s, {{tree(u"s"_s), tree(u"d"_s)}});
    writeSettings({u"nightly"_s});
    // The run happens once the program's event loop runs; the window is never shown.
    TMainForm* form = makeSilentRun(u"nightly"_s);
    QVERIFY(form);
    QVERIFY(!form->isVisible());
    QCOMPARE(form->ExitStatus(), status);
    QCOMPARE(m_boxes->count(), 0);
    TRsTaskList* list = form->AManager.Items(0);
    QCOMPARE(logFileLines(list->GetLogFileName(false)), list->LogList.toStringList());
    QCOMPARE(QFile::exists(tree(u"d/a.txt"_s)), !missingDestination);
}

void TestRunController::closeDuringRunQuits()
{
    QVERIFY(QDir().mkpath(tree(u"d0"_s)) && QDir().mkpath(tree(u"d1"_s)));
    for (int i = 0; i < 300; ++i)
        QVERIFY(writeFile(tree(u"s0/sub%1/f%2.txt"_s.arg(i % 10).arg(i)), "x"));
    QVERIFY(writeFile(tree(u"s1/b.txt"_s), "b"));
    writeTaskList(u"L"_s, {{tree(u"s0"_s), tree(u"d0"_s)}, {tree(u"s1"_s), tree(u"d1"_s)}});
    writeSettings({u"L"_s});
    TMainForm* form = makeForm();
    QVERIFY(form);
    TRsTaskList* list = form->AManager.Items(0);

    // As in the program: the run starts from the application's event loop, and closing the window
    // during the scan ends that loop.
    bool closedWhileRunning = false;
    QTimer::singleShot(0, form, [&] {
        QTimer::singleShot(0, form, [&] {
            closedWhileRunning = form->FIsBackupRunning;
            form->close();
        });
        runCommand(u"ActTaskListRunTaskList"_s);
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, this, [] { QCoreApplication::exit(99); });
    watchdog.start(60000);
    QCOMPARE(QCoreApplication::exec(), 0);
    watchdog.stop();

    QVERIFY(closedWhileRunning);
    QVERIFY(!m_boxes->boxes().isEmpty());
    QCOMPARE(m_boxes->count(), 1); // the run's confirmation; closing asks nothing
    QVERIFY(!form->FIsBackupRunning);
    QVERIFY(!form->RunDriver()->CollectWorker() && !form->RunDriver()->ExecuteWorker());
    QVERIFY(stored(list).contains(taskLine(MsgInfoStoppedItem, 0)));
    QVERIFY(!stored(list).contains(u"L: タスク1"_s));
    QVERIFY(!QFile::exists(tree(u"d1/b.txt"_s)));
    // Destroying the window frees the scan workers without hanging.
    m_form.reset();
}

void TestRunController::emptySourceDoesNotEmptyTheBackup_data()
{
    QTest::addColumn<bool>("silent");
    QTest::addColumn<bool>("sourceEmpty");
    QTest::addColumn<int>("answer"); // to the question, when one is asked
    QTest::addColumn<bool>("deleted");
    QTest::newRow("asked, confirmed") << false << true << int(TMsgDlgResult::OK) << true;
    QTest::newRow("asked, cancelled") << false << true << int(TMsgDlgResult::Cancel) << false;
    QTest::newRow("unattended") << true << true << 0 << false;
    QTest::newRow("source with an entry: no question") << false << false << 0 << true;
}

void TestRunController::emptySourceDoesNotEmptyTheBackup()
{
    QFETCH(bool, silent);
    QFETCH(bool, sourceEmpty);
    QFETCH(int, answer);
    QFETCH(bool, deleted);
    // An unmounted drive looks like an empty directory.
    QVERIFY(QDir().mkpath(tree(u"s"_s)));
    if (!sourceEmpty)
        QVERIFY(QDir().mkpath(tree(u"s/kept"_s)));
    QVERIFY(writeFile(tree(u"d/photo.jpg"_s), "p") && writeFile(tree(u"d/album/x.jpg"_s), "x"));
    writeTaskList(u"nightly"_s, {{tree(u"s"_s), tree(u"d"_s), true, true}});
    writeSettings({u"nightly"_s});
    const QString line = LogErrorEmptySource + u' ' + tree(u"s"_s);
    TRsTaskList* list = nullptr;
    if (silent) {
        QVERIFY(makeSilentRun(u"nightly"_s));
        QCOMPARE(m_form->ExitStatus(), 1);
        QCOMPARE(m_boxes->count(), 0);
        list = m_form->AManager.Items(0);
    } else {
        TMainForm* form = makeForm();
        QVERIFY(form);
        list = form->AManager.Items(0);
        m_boxes->enqueueAnswer(TMsgDlgResult::OK); // the run itself
        m_boxes->enqueueAnswer(TMsgDlgResult(answer));
        runCommand(u"ActTaskListRunTaskList"_s);
        QCOMPARE(m_boxes->count(), sourceEmpty ? 2 : 1);
        if (sourceEmpty) {
            QVERIFY(m_boxes->last().text.startsWith(FormatLangText(MsgConfirmEmptySource, tree(u"s"_s))));
            QCOMPARE(m_boxes->last().type, TMsgDlgType::Confirmation);
            QCOMPARE(m_boxes->last().buttons, TMsgDlgButtons::OKCancel);
        }
    }
    QCOMPARE(QFile::exists(tree(u"d/photo.jpg"_s)), !deleted);
    QCOMPARE(QFile::exists(tree(u"d/album/x.jpg"_s)), !deleted);
    QCOMPARE(stored(list).contains(line), !deleted);
    QCOMPARE(stored(list).contains(LogFileDelete + u" photo.jpg"_s), deleted);
}

void TestRunController::clashingDirectoriesAreNotRun_data()
{
    QTest::addColumn<QString>("src");
    QTest::addColumn<QString>("dst");
    QTest::addColumn<bool>("mirroring");
    QTest::addColumn<QString>("key"); // empty: the task runs
    QTest::newRow("the same directory") << u"x/data"_s << u"x/./data/"_s << false << u"LogErrorSamePaths"_s;
    QTest::newRow("destination inside the source") << u"x"_s << u"x/data/backup"_s << false
                                                   << u"LogErrorDstInsideSrc"_s;
    QTest::newRow("mirrored source inside the destination") << u"x/data"_s << u"x"_s << true
                                                            << u"LogErrorSrcInsideDst"_s;
    QTest::newRow("copied source inside the destination") << u"x/data"_s << u"x"_s << false << QString();
}

void TestRunController::clashingDirectoriesAreNotRun()
{
    QFETCH(QString, src);
    QFETCH(QString, dst);
    QFETCH(bool, mirroring);
    QFETCH(QString, key);
    QVERIFY(writeFile(tree(u"x/data/a.txt"_s), "a") && QDir().mkpath(tree(u"x/data/backup"_s)));
    QVERIFY(writeFile(tree(u"x/other.txt"_s), "kept"));
    writeTaskList(u"nightly"_s, {{tree(src), tree(dst), true, mirroring}});
    writeSettings({u"nightly"_s});
    QVERIFY(makeSilentRun(u"nightly"_s));
    TRsTaskList* list = m_form->AManager.Items(0);
    const QStringList log = stored(list);
    if (key.isEmpty()) {
        QCOMPARE(m_form->ExitStatus(), 0);
        QVERIFY(QFile::exists(tree(u"x/a.txt"_s)));
        return;
    }
    QCOMPARE(m_form->ExitStatus(), 1);
    const QString* text = key == u"LogErrorSamePaths"_s      ? &LogErrorSamePaths
                          : key == u"LogErrorDstInsideSrc"_s ? &LogErrorDstInsideSrc
                                                             : &LogErrorSrcInsideDst;
    // Both paths as the task has them; the task is not run.
    QVERIFY2(log.contains(FormatLangText(*text, tree(src), tree(dst))), qPrintable(log.join(u'\n')));
    QVERIFY(log.contains(taskLine(MsgInfoStoppedItem, 0)));
    QVERIFY(log.filter(LogFileNew).isEmpty() && log.filter(LogFileDelete).isEmpty());
    QVERIFY(QFile::exists(tree(u"x/other.txt"_s)) && QFile::exists(tree(u"x/data/a.txt"_s)));
    QVERIFY(!QFile::exists(tree(u"x/data/backup/a.txt"_s)) && !QFile::exists(tree(u"x/a.txt"_s)));
}

QTEST_MAIN(TestRunController)
#include "tst_runcontroller.moc"
