#include "app/Lang.h"
#include "app/ProgramDir.h"
#include "app/TmkLib.h"
#include "engine/RunLogFile.h"
#include "model/RsTaskList.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

// The run log's own text: time format, header and footer, the log file's bytes.
class TestRunLogFile : public QObject
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
    void taskListLogWrittenAsItIsRead();

private:
    QTemporaryDir m_dir;
};

void TestRunLogFile::initTestCase()
{
    QVERIFY(m_dir.isValid());
    SetProgramDirectory(m_dir.path());
    PrepareLanguage(ProgramDirectory(), QString());
    LoadMainFormTexts();
    QCOMPARE(TaskLabel, u"タスク"_s);
}

void TestRunLogFile::cleanup()
{
    SetCurrentDateTimeFunction({});
    SetLogTimeSeparator(QString());
}

void TestRunLogFile::formatLogTime_data()
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

void TestRunLogFile::formatLogTime()
{
    QFETCH(QDateTime, time);
    QFETCH(QString, separator);
    QFETCH(QString, text);
    QCOMPARE(FormatLogTime(time, separator), text);
}

void TestRunLogFile::localeSeparatorIsUsedUnlessFixed()
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

void TestRunLogFile::headerAndFooterAsInTheExample()
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

    QStringList lines = RunHeaderLines(u"タスク リストの じっこー(&R)"_s, list, 0);
    now = now.addSecs(3);
    lines += RunFooterLines();

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
    QCOMPARE(lines, expected);
}

void TestRunLogFile::headerDropsFourCharactersWhateverTheyAre_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("line");
    QTest::newRow("accelerator") << u"Run task list(&R)"_s << u"Run task list"_s;
    QTest::newRow("no accelerator") << u"Run task list"_s << u"Run task "_s;
    QTest::newRow("short") << u"Go"_s << QString();
}

void TestRunLogFile::headerDropsFourCharactersWhateverTheyAre()
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

void TestRunLogFile::logFileBytes_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QStringList() << QString();
    QTest::newRow("last line terminated") << QStringList{u"a"_s, QString(), u"かいし: x"_s}
                                          << u"a\r\n\r\nかいし: x\r\n"_s;
    QTest::newRow("outside the basic plane") << QStringList{u"\U0001F600 file"_s} << u"\U0001F600 file\r\n"_s;
}

void TestRunLogFile::logFileBytes()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, text);
    const QString file = m_dir.filePath(u"bytes.log"_s);
    QString error;
    QVERIFY2(WriteLogFile(file, lines, &error), qPrintable(error));
    QCOMPARE(testsupport::readBytes(file), testsupport::utf16leWithBom(text));
}

void TestRunLogFile::logFileReplacesWholeFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"Daily.log"_s);
    QVERIFY(testsupport::writeBytes(file, QByteArray(10000, 'x')));
    QVERIFY(WriteLogFile(file, {u"one"_s}));
    QCOMPARE(testsupport::readBytes(file), testsupport::utf16leWithBom(u"one\r\n"_s));
    // Nothing but the log itself is left in the directory.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"Daily.log"_s});
}

void TestRunLogFile::logFileFailureReported()
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

// A task list's log is written from its compact store in pieces; the file is the same, byte for
// byte, as the one written from a plain list of the same lines, also past the piece size.
void TestRunLogFile::taskListLogWrittenAsItIsRead()
{
    TRsTaskList list;
    list.SetTaskListName(u"Big"_s);
    QStringList lines = list.LogList.toStringList();
    for (int i = 0; i < 60000; ++i) {
        const QString line = u"F さくせー: dir%1/ファイル%2.txt"_s.arg(i / 100).arg(i);
        list.LogList.append(line);
        lines.append(line);
    }
    lines.append(QString());
    list.LogList.append(QString());
    QCOMPARE(list.LogList.size(), lines.size());
    const QString fromStore = m_dir.filePath(u"store.log"_s);
    const QString fromList = m_dir.filePath(u"list.log"_s);
    QString error;
    QVERIFY2(WriteLogFile(fromStore, list.LogList, &error), qPrintable(error));
    QVERIFY2(WriteLogFile(fromList, lines, &error), qPrintable(error));
    const QByteArray bytes = testsupport::readBytes(fromStore);
    QVERIFY(bytes.size() > (2 << 20));
    QCOMPARE(bytes, testsupport::readBytes(fromList));
}

QTEST_GUILESS_MAIN(TestRunLogFile)
#include "tst_runlogfile.moc"
