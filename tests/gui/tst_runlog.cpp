#include "app/Lang.h"
#include "app/ProgramDir.h"
#include "app/TmkLib.h"
#include "model/RsTaskList.h"
#include "RsUnits/RsLogView.h"
#include "support/TestSupport.h"
#include "ui/RunLog.h"

#include <QDir>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

// The run log: time format, header and footer, the log file's bytes and the batched log pane.
class TestRunLog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void formatLogTime_data();
    void formatLogTime();
    void localeSeparatorIsUsedUnlessFixed();
    void headerAndFooterAsInTheExample();
    void headerDropsFourCharactersWhateverTheyAre_data();
    void headerDropsFourCharactersWhateverTheyAre();
    void logFileBytes_data();
    void logFileBytes();
    void logFileReplacesWholeFile();
    void logFileFailureReported();
    void paneGetsLinesInBatches();
    void sinksKeepOrderAndTargets();
    void paneFollowsOnlyWhenAtEnd();
    void paneTakesManyLines();

private:
    QTemporaryDir m_dir;
};

void TestRunLog::initTestCase()
{
    QVERIFY(m_dir.isValid());
    SetProgramDirectory(m_dir.path());
    PrepareLanguage(ProgramDirectory(), QString());
    LoadMainFormTexts();
    QCOMPARE(TaskLabel, u"タスク"_s);
}

void TestRunLog::cleanup()
{
    SetCurrentDateTimeFunction({});
    SetLogTimeSeparator(QString());
}

void TestRunLog::formatLogTime_data()
{
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("text");
    QTest::newRow("colon") << QDateTime(QDate(2016, 4, 1), QTime(9, 0, 0)) << u":"_s << u"2016-04-01 09:00:00"_s;
    QTest::newRow("dot") << QDateTime(QDate(2016, 4, 1), QTime(9, 0, 0)) << u"."_s << u"2016-04-01 09.00.00"_s;
    QTest::newRow("afternoon, 24 hours") << QDateTime(QDate(2024, 12, 31), QTime(23, 59, 58)) << u":"_s
                                         << u"2024-12-31 23:59:58"_s;
    QTest::newRow("milliseconds dropped") << QDateTime(QDate(2020, 2, 29), QTime(0, 1, 2, 999)) << u":"_s
                                          << u"2020-02-29 00:01:02"_s;
    QTest::newRow("small year padded") << QDateTime(QDate(987, 1, 5), QTime(7, 8, 9)) << u":"_s
                                       << u"0987-01-05 07:08:09"_s;
}

void TestRunLog::formatLogTime()
{
    QFETCH(QDateTime, time);
    QFETCH(QString, separator);
    QFETCH(QString, text);
    QCOMPARE(FormatLogTime(time, separator), text);
}

void TestRunLog::localeSeparatorIsUsedUnlessFixed()
{
    const QString system = LocaleTimeSeparator();
    QVERIFY(!system.isEmpty());
    QCOMPARE(LogTimeSeparator(), system);
    SetLogTimeSeparator(u"."_s);
    QCOMPARE(LogTimeSeparator(), u"."_s);
    SetCurrentDateTimeFunction([] { return QDateTime(QDate(2016, 4, 1), QTime(9, 0, 0)); });
    QCOMPARE(LogTimeNow(), u"2016-04-01 09.00.00"_s);
    SetLogTimeSeparator(QString());
    QCOMPARE(LogTimeSeparator(), system);
}

void TestRunLog::headerAndFooterAsInTheExample()
{
    SetLogTimeSeparator(u":"_s);
    QDateTime now(QDate(2016, 4, 1), QTime(9, 0, 0));
    SetCurrentDateTimeFunction([&now] { return now; });
    TRsTaskList list;
    list.SetTaskListName(u"Daily"_s);
    auto* task = new TRsTaskItem;
    task->SrcPath = u"C:\\Data"_s;
    task->DstPath = u"E:\\Backup\\Data"_s;
    list.Add(task);
    const qsizetype heading = list.LogList.size();

    TRsLogView pane;
    TRunLog log(&pane);
    log.WriteHeader(u"タスク リストの じっこー(&R)"_s, list, 0);
    now = now.addSecs(3);
    log.WriteFooter(list);
    log.Flush();

    const QStringList expected{
        QString(78, u'-'),
        u"タスク リストの じっこー"_s,
        u"Daily: タスク0"_s,
        u"オリジナル: C:\\Data"_s,
        u"バックアップ: E:\\Backup\\Data"_s,
        QString(),
        u"かいし: 2016-04-01 09:00:00"_s,
        QString(),
        QString(),
        u"しゅーりょー: 2016-04-01 09:00:03"_s,
    };
    QCOMPARE(list.LogList.mid(heading), expected);
    QCOMPARE(pane.toPlainText(), expected.join(u'\n'));
}

void TestRunLog::headerDropsFourCharactersWhateverTheyAre_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("line");
    QTest::newRow("accelerator") << u"Run task list(&R)"_s << u"Run task list"_s;
    QTest::newRow("no accelerator") << u"Run task list"_s << u"Run task "_s;
    QTest::newRow("short") << u"Go"_s << QString();
}

void TestRunLog::headerDropsFourCharactersWhateverTheyAre()
{
    QFETCH(QString, caption);
    QFETCH(QString, line);
    TRsTaskList list;
    list.SetTaskListName(u"L"_s);
    list.Add(new TRsTaskItem);
    list.Add(new TRsTaskItem);
    const QStringList header = RunHeaderLines(caption, list, 1);
    QCOMPARE(header.size(), 8);
    QCOMPARE(header.at(1), line);
    QCOMPARE(header.at(2), u"L: タスク1"_s);
}

void TestRunLog::logFileBytes_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QStringList() << QString();
    QTest::newRow("last line terminated") << QStringList{u"a"_s, QString(), u"かいし: x"_s}
                                          << u"a\r\n\r\nかいし: x\r\n"_s;
    QTest::newRow("outside the basic plane") << QStringList{u"\U0001F600 file"_s} << u"\U0001F600 file\r\n"_s;
}

void TestRunLog::logFileBytes()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, text);
    const QString file = m_dir.filePath(u"bytes.log"_s);
    QString error;
    QVERIFY2(WriteLogFile(file, lines, &error), qPrintable(error));
    QCOMPARE(testsupport::readBytes(file), testsupport::utf16leWithBom(text));
}

void TestRunLog::logFileReplacesWholeFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"Daily.log"_s);
    QVERIFY(testsupport::writeBytes(file, QByteArray(10000, 'x')));
    QVERIFY(WriteLogFile(file, {u"one"_s}));
    QCOMPARE(testsupport::readBytes(file), testsupport::utf16leWithBom(u"one\r\n"_s));
    // Nothing but the log itself is left in the directory.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"Daily.log"_s});
}

void TestRunLog::logFileFailureReported()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"missing/Daily.log"_s);
    QString error;
    QVERIFY(!WriteLogFile(file, {u"one"_s}, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(file));

    // A log that cannot be replaced keeps its old content.
    const QString kept = dir.filePath(u"Kept.log"_s);
    QVERIFY(testsupport::writeBytes(kept, "old"));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool written = WriteLogFile(kept, {u"new"_s}, &error);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (written)
        QSKIP("the directory stays writable (running as root)");
    QCOMPARE(testsupport::readBytes(kept), QByteArray("old"));
}

void TestRunLog::paneGetsLinesInBatches()
{
    TRsLogView pane;
    TRunLog log(&pane);
    log.AddPaneLine(u"first"_s);
    log.AddPaneLines({u"second"_s, QString(), u"fourth"_s});
    // Nothing is appended line by line; the block arrives on the short timer.
    QCOMPARE(pane.lineCount(), 0);
    QCOMPARE(log.PendingCount(), 4);
    QTRY_COMPARE(log.PendingCount(), 0);
    QCOMPARE(pane.toPlainText(), u"first\nsecond\n\nfourth"_s);
    QCOMPARE(pane.lineCount(), 4);
    log.AddPaneLine(u"fifth"_s);
    log.Flush();
    QCOMPARE(pane.lineCount(), 5);
    QCOMPARE(pane.line(4), u"fifth"_s);
}

void TestRunLog::sinksKeepOrderAndTargets()
{
    TRsLogView pane;
    TRunLog log(&pane);
    QStringList logList{u"heading"_s};
    log.AddPaneLine(u"pane 1"_s);
    log.AddLine(u"both 2"_s, logList);
    log.AddPaneLines({u"pane 3"_s});
    log.AddLines({u"both 4"_s, u"both 5"_s}, logList);
    log.Flush();
    QCOMPARE(pane.toPlainText(), u"pane 1\nboth 2\npane 3\nboth 4\nboth 5"_s);
    QCOMPARE(logList, (QStringList{u"heading"_s, u"both 2"_s, u"both 4"_s, u"both 5"_s}));
}

void TestRunLog::paneFollowsOnlyWhenAtEnd()
{
    TRsLogView pane;
    pane.resize(300, 120);
    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));
    TRunLog log(&pane);
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << u"line %1"_s.arg(i);
    log.AddPaneLines(lines);
    log.Flush();
    QScrollBar* bar = pane.verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());

    // At the end: new lines keep the view at the end.
    log.AddPaneLines(lines);
    log.Flush();
    QCOMPARE(bar->value(), bar->maximum());

    // Scrolled back: the view stays where the user put it.
    bar->setValue(10);
    log.AddPaneLines(lines);
    log.Flush();
    QCOMPARE(bar->value(), 10);
    QVERIFY(!pane.isAtEnd());
    QCOMPARE(pane.lineCount(), 600);
}

void TestRunLog::paneTakesManyLines()
{
    TRsLogView pane;
    pane.show();
    TRunLog log(&pane);
    QStringList logList;
    for (int i = 0; i < 100000; ++i)
        log.AddLine(u"F さくせー: dir/file%1.txt"_s.arg(i), logList);
    log.Flush();
    // Every line is kept: the pane is never trimmed.
    QCOMPARE(pane.lineCount(), 100000);
    QCOMPARE(pane.line(99999), u"F さくせー: dir/file99999.txt"_s);
    QCOMPARE(logList.size(), 100000);
}

QTEST_MAIN(TestRunLog)
#include "tst_runlog.moc"
