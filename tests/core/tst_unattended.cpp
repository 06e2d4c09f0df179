#include "support/SmallTmpfs.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// The unattended run ("/t=name /s") of the built program, started the way cron would start it: in
// its own program folder, with no display at all.
class TestUnattended : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void run_data();
    void run();
    void refusedTasks_data();
    void refusedTasks();
    void progressOnATerminal();
    void stopSignal_data();
    void stopSignal();
    void windowClosesOnSignal();
    void fullDiskUnderProgramFolder();
    void taskListFileUnwritableAtExit();
    void taskListNameOutsideProgramFolder();
    void unreadableDatedLog();

private:
    QString m_program;
};

namespace {

bool writeUtf16(const QString& path, const QString& text)
{
    return testsupport::writeBytes(path, testsupport::utf16leWithBom(text));
}

QString logText(const QString& path)
{
    const QByteArray bytes = testsupport::readBytes(path);
    if (bytes.size() < 2)
        return {};
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
}

QString taskListText(const QString& name, const QString& src, const QString& dst, bool addDateStr = false)
{
    return u"[General]\r\nTaskListName=%1\r\nSaveLog=1\r\nAddDateStr=%4\r\nTaskCount=1\r\n\r\n"
           "[Task0]\r\nSrcPath=%2\r\nDstPath=%3\r\nIncludingSubDirs=1\r\nMirroring=0\r\nVerifying=0\r\n"
           "Enabled=1\r\nExcludedItemCount=0\r\n\r\n"_s.arg(name, src, dst, addDateStr ? u"1"_s : u"0"_s);
}

// A program folder: the program, its settings naming one task list file, and that file.
bool makeProgramFolder(const QString& program, const QString& prog, const QString& listFile, const QString& listText)
{
    return QDir().mkpath(prog) && QFile::copy(program, prog + u"/tsumiki"_s) &&
           writeUtf16(prog + u'/' + listFile, listText) &&
           writeUtf16(prog + u"/tsumiki.ini"_s,
                      u"[TaskListManager]\r\nTaskListCount=1\r\nTaskList0=%1/%2\r\n\r\n"_s.arg(prog, listFile));
}

QProcessEnvironment noDisplayEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    return env;
}

// Runs "/t=<list> /s" of the program in prog to its end; the exit code, or -1 when it did not end
// normally.
int runUnattended(const QString& prog, const QString& list, QByteArray* err = nullptr)
{
    QProcess process;
    process.setProcessEnvironment(noDisplayEnvironment());
    process.setWorkingDirectory(prog);
    process.start(prog + u"/tsumiki"_s, {u"/t="_s + list, u"/s"_s});
    if (!process.waitForStarted() || !process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    if (err)
        *err = process.readAllStandardError();
    return process.exitCode();
}

QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

void TestUnattended::initTestCase()
{
    m_program = QStringLiteral(TSUMIKI_DIST_DIR) + u"/tsumiki"_s;
    QVERIFY2(QFileInfo(m_program).isExecutable(), qPrintable(m_program));
}

void TestUnattended::run_data()
{
    QTest::addColumn<QString>("listName");
    QTest::addColumn<bool>("destination");
    QTest::addColumn<bool>("blockedDirectory");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("logLine");
    QTest::newRow("copies the tree") << u"nightly"_s << true << false << 0 << u"F さくせー: sub/b.txt"_s;
    QTest::newRow("an item fails") << u"nightly"_s << true << true << 1 << u"D エラー (さくせー): sub ("_s;
    QTest::newRow("destination missing") << u"nightly"_s << false << false << 1
                                         << u"[バックアップ] の パスが みつかりません"_s;
    QTest::newRow("no such task list") << u"weekly"_s << true << false << 2 << QString();
}

void TestUnattended::run()
{
    QFETCH(QString, listName);
    QFETCH(bool, destination);
    QFETCH(bool, blockedDirectory);
    QFETCH(int, status);
    QFETCH(QString, logLine);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString prog = dir.filePath(u"prog"_s);
    const QString src = dir.filePath(u"src"_s);
    const QString dst = dir.filePath(u"dst"_s);
    QVERIFY(QDir().mkpath(prog) && QDir().mkpath(src + u"/sub"_s));
    // A whole installation: the program and its pictures (a missing picture is a message of its own).
    QVERIFY(QFile::copy(m_program, prog + u"/tsumiki"_s));
    QVERIFY(testsupport::copyTree(QStringLiteral(TSUMIKI_DIST_DIR) + u"/Image"_s, prog + u"/Image"_s));
    QVERIFY(testsupport::writeBytes(src + u"/a.txt"_s, "alpha"));
    QVERIFY(testsupport::writeBytes(src + u"/sub/b.txt"_s, "beta"));
    if (destination)
        QVERIFY(QDir().mkpath(dst));
    if (blockedDirectory)
        QVERIFY(testsupport::writeBytes(dst + u"/sub"_s, "a file where the directory goes"));

    QVERIFY(writeUtf16(prog + u"/Nightly.ini"_s,
                       u"[General]\r\nTaskListName=Nightly\r\nSaveLog=1\r\nAddDateStr=0\r\nTaskCount=1\r\n\r\n"
                       "[Task0]\r\nSrcPath=%1\r\nDstPath=%2\r\nIncludingSubDirs=1\r\nMirroring=0\r\nVerifying=0\r\n"
                       "Enabled=1\r\nExcludedItemCount=0\r\n\r\n"_s.arg(src, dst)));
    QVERIFY(writeUtf16(prog + u"/tsumiki.ini"_s,
                       u"[TaskListManager]\r\nTaskListCount=1\r\nTaskList0=%1/Nightly.ini\r\n\r\n"_s.arg(prog)));

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // As cron starts it: no display, no runtime directory.
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "QT_LOGGING_RULES"})
        env.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir.path());
    process.start(prog + u"/tsumiki"_s, {u"/t="_s + listName, u"/s"_s});
    QVERIFY(process.waitForStarted());
    QVERIFY2(process.waitForFinished(60000), "the unattended run did not end");
    const QByteArray err = process.readAllStandardError();
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == status, err.constData());

    const QString log = logText(prog + u"/Nightly.log"_s);
    if (logLine.isEmpty()) {
        // Nothing ran; the message went to standard error instead of a box nobody could click.
        QVERIFY(log.isEmpty());
        QVERIFY(QString::fromLocal8Bit(err).contains(listName));
        return;
    }
    // A run that went well says nothing, so that cron mails nothing; one that failed says so in one
    // line: which list, what failed, where its log is.
    if (status == 0) {
        QVERIFY2(err.isEmpty(), err.constData());
    } else {
        const QStringList said = QString::fromLocal8Bit(err).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(said.size(), 1);
        QVERIFY2(said.first().startsWith(u"つみき！: タスク リスト [Nightly]: "_s), qPrintable(said.first()));
        QVERIFY2(said.first().endsWith(u"/Nightly.log"_s), qPrintable(said.first()));
    }
    const QStringList lines = log.split(u"\r\n"_s);
    QVERIFY2(std::any_of(lines.cbegin(), lines.cend(), [&](const QString& l) { return l.startsWith(logLine); }),
             qPrintable(log));
    QCOMPARE(testsupport::readBytes(dst + u"/a.txt"_s), destination ? QByteArray("alpha") : QByteArray());
    // The program's state stays in its own folder.
    QVERIFY(QFile::exists(prog + u"/tsumiki.ini"_s));
}

void TestUnattended::refusedTasks_data()
{
    // Tasks whose run would destroy what they should keep: each is refused with an error line and
    // the run exits with status 1.
    QTest::addColumn<QString>("srcPath"); // relative to the temporary directory
    QTest::addColumn<QString>("dstPath");
    QTest::addColumn<QString>("logLine"); // the line's beginning
    QTest::newRow("mirror of an empty source") << u"empty"_s << u"x"_s
                                               << u"エラー: オリジナルが からっぽ なので"_s;
    QTest::newRow("mirror whose source lies in its destination") << u"x/data"_s << u"x"_s
                                                                 << u"エラー: ミラーリング する オリジナル"_s;
    QTest::newRow("destination in its source") << u"x"_s << u"x/data/backup"_s << u"エラー: オリジナル"_s;
}

void TestUnattended::refusedTasks()
{
    QFETCH(QString, srcPath);
    QFETCH(QString, dstPath);
    QFETCH(QString, logLine);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString prog = dir.filePath(u"prog"_s);
    QVERIFY(QDir().mkpath(prog) && QDir().mkpath(dir.filePath(u"empty"_s)) && QDir().mkpath(dir.filePath(u"x/data/backup"_s)));
    QVERIFY(QFile::copy(m_program, prog + u"/tsumiki"_s));
    QVERIFY(testsupport::writeBytes(dir.filePath(u"x/data/a.txt"_s), "alpha"));
    QVERIFY(testsupport::writeBytes(dir.filePath(u"x/other.txt"_s), "other"));
    const auto before = [&] {
        QStringList all;
        QDirIterator it(dir.filePath(u"x"_s), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            all.append(it.next());
        all.sort();
        return all;
    };
    const QStringList treeBefore = before();
    QVERIFY(writeUtf16(prog + u"/Nightly.ini"_s,
                       u"[General]\r\nTaskListName=Nightly\r\nSaveLog=1\r\nAddDateStr=0\r\nTaskCount=1\r\n\r\n"
                       "[Task0]\r\nSrcPath=%1\r\nDstPath=%2\r\nIncludingSubDirs=1\r\nMirroring=1\r\nVerifying=0\r\n"
                       "Enabled=1\r\nExcludedItemCount=0\r\n\r\n"_s.arg(dir.filePath(srcPath), dir.filePath(dstPath))));
    QVERIFY(writeUtf16(prog + u"/tsumiki.ini"_s,
                       u"[TaskListManager]\r\nTaskListCount=1\r\nTaskList0=%1/Nightly.ini\r\n\r\n"_s.arg(prog)));
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(env);
    process.start(prog + u"/tsumiki"_s, {u"/t=Nightly"_s, u"/s"_s});
    QVERIFY(process.waitForStarted());
    QVERIFY2(process.waitForFinished(60000), "the unattended run did not end");
    QCOMPARE(process.exitCode(), 1);
    const QStringList lines = logText(prog + u"/Nightly.log"_s).split(u"\r\n"_s);
    QVERIFY2(std::any_of(lines.cbegin(), lines.cend(), [&](const QString& l) { return l.startsWith(logLine); }),
             qPrintable(lines.join(u'\n')));
    QCOMPARE(before(), treeBefore); // nothing deleted, nothing copied
}

// On a terminal the run shows one line of progress, rewritten in place, and leaves the terminal as
// it found it: nothing of the line is left once the run is over.
void TestUnattended::progressOnATerminal()
{
    if (QStandardPaths::findExecutable(u"script"_s).isEmpty())
        QSKIP("needs script(1) from util-linux to give the program a terminal");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString prog = dir.filePath(u"prog"_s);
    const QString src = dir.filePath(u"src"_s);
    const QString dst = dir.filePath(u"dst"_s);
    QVERIFY(QDir().mkpath(dst));
    // Enough files for the run to last several of the line's updates.
    for (int d = 0; d < 100; ++d) {
        QVERIFY(QDir().mkpath(src + u"/d%1"_s.arg(d)));
        for (int f = 0; f < 100; ++f)
            QVERIFY(testsupport::writeBytes(src + u"/d%1/f%2"_s.arg(d).arg(f), "x"));
    }
    QVERIFY(makeProgramFolder(m_program, prog, u"Nightly.ini"_s, taskListText(u"Nightly"_s, src, dst)));

    QProcess process;
    process.setProcessEnvironment(noDisplayEnvironment());
    process.setWorkingDirectory(prog);
    // script runs the program on a terminal of its own; everything the program writes there comes
    // back on script's standard output.
    const QString command = u"'%1/tsumiki' /t=Nightly /s"_s.arg(prog);
    process.start(u"script"_s, {u"-qefc"_s, command, u"/dev/null"_s});
    QVERIFY(process.waitForStarted());
    QVERIFY2(process.waitForFinished(120000), "the unattended run did not end");
    QCOMPARE(process.exitCode(), 0);
    const QString screen = QString::fromLocal8Bit(process.readAllStandardOutput());
    QVERIFY2(screen.contains(u"\r[タスク0] "_s), qPrintable(screen));
    // Each update rewrites the line; at the end it is cleared and nothing else was said.
    QVERIFY2(screen.endsWith(u"\r\x1b[K"_s), qPrintable(screen));
    QVERIFY2(!screen.contains(u'\n'), qPrintable(screen));
    QCOMPARE(testsupport::readBytes(dst + u"/d99/f99"_s), QByteArray("x"));
}

void TestUnattended::stopSignal_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestUnattended::stopSignal()
{
    // A signal stops the run as the stop command does: the log is written and the run fails.
    QFETCH(int, signalNumber);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString prog = dir.filePath(u"prog"_s);
    const QString src = dir.filePath(u"src"_s);
    const QString dst = dir.filePath(u"dst"_s);
    QVERIFY(QDir().mkpath(src) && QDir().mkpath(dst));
    // A tree that takes seconds to copy, without taking room on the disk: many empty files. (A large
    // sparse file no longer does: its copy keeps the holes and takes no time.)
    for (int d = 0; d < 100; ++d) {
        const QString sub = src + u"/d%1"_s.arg(d);
        QVERIFY(QDir().mkpath(sub));
        for (int f = 0; f < 300; ++f) {
            QFile empty(sub + u"/f%1"_s.arg(f));
            QVERIFY(empty.open(QIODevice::WriteOnly));
        }
    }
    QVERIFY(makeProgramFolder(m_program, prog, u"Nightly.ini"_s, taskListText(u"Nightly"_s, src + u'/', dst + u'/')));

    QProcess process;
    process.setProcessEnvironment(noDisplayEnvironment());
    process.start(prog + u"/tsumiki"_s, {u"/t=Nightly"_s, u"/s"_s});
    QVERIFY(process.waitForStarted());
    // The copy has begun once the destination holds anything.
    QTRY_VERIFY_WITH_TIMEOUT(!entries(dst).isEmpty() || process.state() == QProcess::NotRunning, 30000);
    QCOMPARE(process.state(), QProcess::Running);
    QCOMPARE(::kill(pid_t(process.processId()), signalNumber), 0);
    QVERIFY2(process.waitForFinished(60000), "the stopped run did not end");
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    const QString log = logText(prog + u"/Nightly.log"_s);
    QVERIFY2(log.contains(u"[タスク0] を てーし しました"_s), qPrintable(log));
    QVERIFY2(log.contains(u"しゅーりょー: "_s), qPrintable(log));
    // The settings were written at exit as after any run.
    QVERIFY(logText(prog + u"/tsumiki.ini"_s).contains(u"[MainForm]"_s));
}

void TestUnattended::windowClosesOnSignal()
{
    // An interactive window closes as on a close request: the settings are written at exit.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString prog = dir.filePath(u"prog"_s);
    QVERIFY(makeProgramFolder(m_program, prog, u"Nightly.ini"_s, taskListText(u"Nightly"_s, u"/none/"_s, u"/none/"_s)));
    QProcess process;
    QProcessEnvironment env = noDisplayEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    process.setProcessEnvironment(env);
    process.start(prog + u"/tsumiki"_s, {});
    QVERIFY(process.waitForStarted());
    // The default language file is written while the window is made.
    QTRY_VERIFY_WITH_TIMEOUT(!entries(prog + u"/Lang"_s).isEmpty() || process.state() == QProcess::NotRunning, 30000);
    QCOMPARE(process.state(), QProcess::Running);
    QCOMPARE(::kill(pid_t(process.processId()), SIGTERM), 0);
    QVERIFY2(process.waitForFinished(30000), "the window did not close");
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    QVERIFY(logText(prog + u"/tsumiki.ini"_s).contains(u"[MainForm]"_s));
}

void TestUnattended::fullDiskUnderProgramFolder()
{
    // No file of the program is lost or emptied by a full disk, and the run fails.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString src = dir.filePath(u"src"_s);
    const QString dst = dir.filePath(u"dst"_s);
    QVERIFY(QDir().mkpath(src) && QDir().mkpath(dst));
    QVERIFY(testsupport::writeBytes(src + u"/a.txt"_s, "alpha"));
    testsupport::SmallTmpfs disk(QFileInfo(m_program).size() + (1 << 20));
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.reason()));
    const QString prog = disk.path() + u"/prog"_s;
    QVERIFY(makeProgramFolder(m_program, prog, u"Nightly.ini"_s, taskListText(u"Nightly"_s, src + u'/', dst + u'/')));
    QVERIFY(writeUtf16(prog + u"/Nightly.log"_s, u"the log of yesterday\r\n"_s));
    const QStringList files = entries(prog);
    QMap<QString, QByteArray> before;
    for (const QString& f : files)
        before.insert(f, testsupport::readBytes(prog + u'/' + f));
    QVERIFY(disk.fillUp());

    QByteArray err;
    QCOMPARE(runUnattended(prog, u"Nightly"_s, &err), 1);
    QVERIFY2(QString::fromLocal8Bit(err).contains(prog + u"/Nightly.log"_s), err.constData());
    for (const QString& f : files)
        QVERIFY2(testsupport::readBytes(prog + u'/' + f) == before.value(f), qPrintable(f));
    for (const QString& f : entries(prog))
        QVERIFY2(files.contains(f) || f == u"Lang"_s, qPrintable(f)); // no temporary file stays

    // With room again the list is still there and runs.
    disk.makeRoom();
    QCOMPARE(runUnattended(prog, u"Nightly"_s), 0);
    QVERIFY(logText(prog + u"/Nightly.log"_s).contains(u"Nightly: タスク0"_s));
}

void TestUnattended::taskListFileUnwritableAtExit()
{
    // The run itself succeeds, but the list's file cannot be written at exit: the run fails.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString prog = dir.filePath(u"prog"_s);
    const QString src = dir.filePath(u"src"_s);
    const QString dst = dir.filePath(u"dst"_s);
    QVERIFY(QDir().mkpath(src) && QDir().mkpath(dst));
    // The list lives in "Old.ini" but is named "Nightly": at exit it goes to "Nightly.ini", where a
    // directory stands.
    QVERIFY(makeProgramFolder(m_program, prog, u"Old.ini"_s, taskListText(u"Nightly"_s, src + u'/', dst + u'/')));
    QVERIFY(QDir().mkpath(prog + u"/Nightly.ini"_s));
    QByteArray err;
    QCOMPARE(runUnattended(prog, u"Nightly"_s, &err), 1);
    QVERIFY2(QString::fromLocal8Bit(err).contains(prog + u"/Nightly.ini"_s), err.constData());
    QVERIFY(logText(prog + u"/Nightly.log"_s).contains(u"しゅーりょー: "_s));
}

void TestUnattended::taskListNameOutsideProgramFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString prog = dir.filePath(u"prog"_s);
    const QString src = dir.filePath(u"src"_s);
    const QString dst = dir.filePath(u"dst"_s);
    QVERIFY(QDir().mkpath(src) && QDir().mkpath(dst) && QDir().mkpath(dir.filePath(u"elsewhere"_s)));
    QVERIFY(makeProgramFolder(m_program, prog, u"Nightly.ini"_s,
                              taskListText(u"../elsewhere/x"_s, src + u'/', dst + u'/')));
    QByteArray err;
    // The list is known by the name of its file, and says so.
    QCOMPARE(runUnattended(prog, u"Nightly"_s, &err), 0);
    QVERIFY2(QString::fromLocal8Bit(err).contains(u"[../elsewhere/x]"_s), err.constData());
    QCOMPARE(entries(dir.filePath(u"elsewhere"_s)), QStringList());
    QVERIFY(logText(prog + u"/Nightly.log"_s).contains(u"Nightly: タスク0"_s));
    QVERIFY(logText(prog + u"/Nightly.ini"_s).contains(u"TaskListName=Nightly\r\n"_s));
}

void TestUnattended::unreadableDatedLog()
{
    // An ordinary user's dated log that this user may not read: the list still runs, the user is
    // told before the log is replaced, and the list stays in the settings.
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || !nobody)
        QSKIP("needs root to run the program as the user nobody");
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const QString prog = dir.filePath(u"prog"_s);
    const QString src = dir.filePath(u"src"_s);
    const QString dst = dir.filePath(u"dst"_s);
    QVERIFY(QDir().mkpath(src) && QDir().mkpath(dst));
    QVERIFY(testsupport::writeBytes(src + u"/a.txt"_s, "alpha"));
    QVERIFY(makeProgramFolder(m_program, prog, u"Nightly.ini"_s,
                              taskListText(u"Nightly"_s, src + u'/', dst + u'/', true)));
    const QString datedLog = prog + u"/Nightly"_s + QDate::currentDate().toString(u"yyyyMMdd"_s) + u".log"_s;
    QVERIFY(writeUtf16(datedLog, u"this morning's log\r\n"_s));
    const QStringList owned = {prog, dst, prog + u"/tsumiki"_s, prog + u"/tsumiki.ini"_s, prog + u"/Nightly.ini"_s, datedLog};
    for (const QString& path : owned)
        QCOMPARE(::chown(QFile::encodeName(path).constData(), uid, gid), 0);
    QCOMPARE(::chmod(QFile::encodeName(datedLog).constData(), 0), 0);

    QProcess process;
    process.setProcessEnvironment(noDisplayEnvironment());
    process.setChildProcessModifier([uid, gid] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            ::_exit(99);
    });
    process.start(prog + u"/tsumiki"_s, {u"/t=Nightly"_s, u"/s"_s});
    QVERIFY(process.waitForStarted());
    QVERIFY(process.waitForFinished(60000));
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == 0, qPrintable(err));
    QVERIFY2(err.contains(datedLog), qPrintable(err));
    QCOMPARE(testsupport::readBytes(dst + u"/a.txt"_s), QByteArray("alpha"));
    QVERIFY(logText(prog + u"/tsumiki.ini"_s).contains(u"TaskList0="_s + prog + u"/Nightly.ini"_s));
}

QTEST_GUILESS_MAIN(TestUnattended)
#include "tst_unattended.moc"
