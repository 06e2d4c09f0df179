// Runs the built program without a display, as cron or a server would: command-line errors, an
// unattended run whose task list does not exist, and what is written beside the executable.

#include "app/Ini.h"
#include "app/Lang.h"
#include "app/ProgramDir.h"
#include "model/RsTaskList.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Every entry below dir, as relative paths.
QStringList listing(const QString& dir)
{
    QStringList entries;
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << QDir(dir).relativeFilePath(it.next());
    entries.sort();
    return entries;
}

struct RunResult
{
    int exitCode = -1;
    QString stdErr;
};

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir* m_dir = nullptr;
    QStringList m_installed;

    QString programDir() const { return m_dir->path() + u'/'; }

    RunResult run(const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& name : {u"QT_QPA_PLATFORM"_s, u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s})
            env.remove(name);
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_dir->path());
        process.start(programDir() + u"tsumiki"_s, arguments);
        RunResult result;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.stdErr = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(testsupport::distDirectory() + u"/tsumiki"_s),
                 qPrintable(u"the program has not been built: "_s + testsupport::distDirectory() + u"/tsumiki"_s));
    }

    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(testsupport::copyProgramFolder(m_dir->path()));
        m_installed = listing(m_dir->path());
        QVERIFY(m_installed.contains(u"tsumiki"_s));
        QVERIFY(m_installed.contains(u"Lang/English.lang"_s));
    }

    void cleanup()
    {
        SetProgramDirectory(QString());
        delete m_dir;
        m_dir = nullptr;
    }

    void commandLineErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const QString invalid = u"A command line option is invalid."_s;
        const QString tooMany = u"There are too many options in a command line."_s;
        const QString empty = u"A TaskListName is empty."_s;
        QTest::newRow("switch alone") << QStringList{u"/s"_s} << invalid;
        QTest::newRow("two switches") << QStringList{u"/s"_s, u"/S"_s} << invalid;
        QTest::newRow("prefix not at start") << QStringList{u"x/t=Daily"_s} << invalid;
        QTest::newRow("empty name") << QStringList{u"/t="_s} << empty;
        QTest::newRow("empty name, unattended") << QStringList{u"/s"_s, u"/T="_s} << empty;
        QTest::newRow("three") << QStringList{u"/t=a"_s, u"/s"_s, u"/s"_s} << tooMany;
        // The toolkit's own options are no options of this program, not something to drop unseen.
        QTest::newRow("toolkit style") << QStringList{u"-style"_s, u"fusion"_s} << invalid;
        QTest::newRow("toolkit reverse") << QStringList{u"-reverse"_s} << invalid;
        QTest::newRow("toolkit platform") << QStringList{u"/t=a"_s, u"-platform"_s, u"offscreen"_s} << tooMany;
    }

    void commandLineErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const RunResult r = run(arguments);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.stdErr.contains(u"Tsumiki! [Information]\n"_s + message + u'\n'), qPrintable(r.stdErr));
        QCOMPARE(listing(m_dir->path()), m_installed); // nothing read or written
    }

    void unattendedRunOfMissingList()
    {
        const RunResult r = run({u"/t=Missing"_s, u"/s"_s});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.stdErr.contains(u"つみき！ [おしらせ]\nタスク リスト [missing] が ありません\n\nバックアップを ちゅーし します\n"_s),
                 qPrintable(r.stdErr));

        const QString langFile = programDir() + u"Lang/Tmk日本語_かな.lang"_s;
        QCOMPARE(testsupport::readBytes(langFile), DefaultLangFileBytes());

        const TIniFile ini(programDir() + u"tsumiki.ini"_s);
        QCOMPARE(ini.ReadSections(), (QStringList{u"Language"_s, u"MainForm"_s, u"TaskListManager"_s}));
        QCOMPARE(ini.ReadString(u"Language"_s, u"LangFileName"_s, QString()), langFile);
        QCOMPARE(ini.ReadInteger(u"TaskListManager"_s, u"TaskListCount"_s, -1), 0);
        // The window was never shown: no selected row is invented.
        QVERIFY(!ini.ValueExists(u"MainForm"_s, u"Grid101.Row"_s));
    }

    void unattendedRunOfExistingList()
    {
        // One list "Daily" known to the settings, with a selected row from an earlier session.
        SetProgramDirectory(m_dir->path());
        TRsTaskList daily;
        daily.SetTaskListName(u"Daily"_s);
        QVERIFY(daily.SaveToFile(daily.GetTaskListFileName()));
        QVERIFY(testsupport::writeBytes(
            programDir() + u"tsumiki.ini"_s,
            testsupport::utf16leWithBom(u"[MainForm]\r\nGrid101.Row=1\r\nLeft=5\r\n[TaskListManager]\r\nTaskListCount=1\r\nTaskList0="_s +
                                        daily.GetTaskListFileName() + u"\r\n"_s)));

        const RunResult r = run({u"/s"_s, u"/T=DAILY"_s});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(!r.stdErr.contains(u"ありません"_s), qPrintable(r.stdErr));
        const TIniFile ini(programDir() + u"tsumiki.ini"_s);
        QCOMPARE(ini.ReadInteger(u"MainForm"_s, u"Grid101.Row"_s, -1), 1);
        QCOMPARE(ini.ReadInteger(u"MainForm"_s, u"Left"_s, -1), 5);
        QCOMPARE(ini.ReadString(u"TaskListManager"_s, u"TaskList0"_s, QString()), daily.GetTaskListFileName());
        QVERIFY(QFile::exists(programDir() + u"Lang/Tmk日本語_かな.lang"_s));
    }

    void interactiveStartNeedsDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no arguments") << QStringList{};
        QTest::newRow("start-up run") << QStringList{u"/t=daily"_s};
    }

    void interactiveStartNeedsDisplay()
    {
        QFETCH(QStringList, arguments);
        const RunResult r = run(arguments);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.stdErr.contains(u"needs a display"_s), qPrintable(r.stdErr));
        QVERIFY2(r.stdErr.contains(u"/s"_s), qPrintable(r.stdErr));
        QCOMPARE(listing(m_dir->path()), m_installed);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
