#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

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
    QVERIFY(QFile::copy(m_program, prog + u"/tsumiki"_s));
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
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
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

QTEST_GUILESS_MAIN(TestUnattended)
#include "tst_unattended.moc"
