// The one writer of the program's own files: complete files only, failures reported, the old file
// kept on a full disk or past a file size limit.

#include "app/AtomicFileWriter.h"
#include "app/Ini.h"
#include "app/Lang.h"
#include "app/ProgramDir.h"
#include "model/RsTaskList.h"
#include "support/SmallTmpfs.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <functional>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using testsupport::utf16leWithBom;

namespace {

using Writer = std::function<bool(const QString& fileName, QString* error)>;

// Big enough that no small file system or size limit below takes it whole (80 lines are still
// more than the limit of 4096 bytes).
QStringList bigLines()
{
    return QStringList(2000, u"a line of the log that the disk cannot hold any more"_s);
}

// Each writer of the program, replacing fileName by content of about 200 kB.
QMap<QString, Writer> programWriters()
{
    return {
        {u"the writer itself"_s,
         [](const QString& f, QString* e) { return WriteUtf16LeLinesFile(f, bigLines(), e); }},
        // Smaller than a write buffer: only the flush to the disk can tell that it did not fit.
        {u"a small file"_s,
         [](const QString& f, QString* e) { return WriteUtf16LeLinesFile(f, bigLines().mid(0, 80), e); }},
        {u"settings file"_s,
         [](const QString& f, QString* e) {
             TIniFile ini(f);
             ini.WriteString(u"MainForm"_s, u"Big"_s, bigLines().join(u' '));
             const bool ok = ini.UpdateFile();
             *e = ini.errorString();
             return ok;
         }},
        {u"task list file"_s,
         [](const QString& f, QString* e) {
             TRsTaskList list;
             list.SetTaskListName(u"Nightly"_s);
             for (int i = 0; i < 500; ++i) {
                 auto* task = new TRsTaskItem;
                 task->SrcPath = u"/a/long/source/path/number/%1/"_s.arg(i);
                 task->DstPath = u"/a/long/destination/path/number/%1/"_s.arg(i);
                 list.Add(task);
             }
             return list.SaveToFile(f, e);
         }},
        {u"default language file"_s, [](const QString& f, QString* e) { return WriteDefaultLangFile(f, e); }},
    };
}

QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestAtomicFileWriter : public QObject
{
    Q_OBJECT

private slots:
    void linesAreUtf16LeWithCrLf();
    void replacesKeepingModeAndLink();
    void failuresReportedAndOldFileKept();
    void fullDiskKeepsOldFile_data();
    void fullDiskKeepsOldFile();
    void fileSizeLimitKeepsOldFile_data();
    void fileSizeLimitKeepsOldFile();
};

void TestAtomicFileWriter::linesAreUtf16LeWithCrLf()
{
    QCOMPARE(Utf16LeLinesBytes({}), QByteArray("\xFF\xFE", 2));
    QCOMPARE(Utf16LeLinesBytes({u"a"_s, QString(), u"かな \U0001F600"_s}),
             utf16leWithBom(u"a\r\n\r\nかな \U0001F600\r\n"_s));
}

void TestAtomicFileWriter::replacesKeepingModeAndLink()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"tsumiki.ini"_s);
    QVERIFY(testsupport::writeBytes(path, "old content, longer than the new one"));
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    QString error;
    QVERIFY2(WriteFileAtomically(path, "new", &error), qPrintable(error));
    QCOMPARE(testsupport::readBytes(path), QByteArray("new"));
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), 0640);
    QCOMPARE(entries(dir.path()), QStringList{u"tsumiki.ini"_s});

    // A file kept elsewhere through a link stays there, and the link stays a link; a dangling link
    // gets its target made.
    QVERIFY(QDir().mkpath(dir.filePath(u"elsewhere"_s)));
    const QString real = dir.filePath(u"elsewhere/Nightly.ini"_s);
    const QString link = dir.filePath(u"Nightly.ini"_s);
    QVERIFY(QFile::link(real, link));
    QVERIFY2(WriteFileAtomically(link, "through a dangling link", &error), qPrintable(error));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(testsupport::readBytes(real), QByteArray("through a dangling link"));
    QVERIFY2(WriteFileAtomically(link, "again", &error), qPrintable(error));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(testsupport::readBytes(real), QByteArray("again"));
    QCOMPARE(entries(dir.filePath(u"elsewhere"_s)), QStringList{u"Nightly.ini"_s});
}

void TestAtomicFileWriter::failuresReportedAndOldFileKept()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString error;
    // No such directory.
    QVERIFY(!WriteFileAtomically(dir.filePath(u"none/x.ini"_s), "x", &error));
    QVERIFY(!error.isEmpty());
    // A directory in the file's place stays, and nothing else is left behind.
    const QString asDir = dir.filePath(u"Nightly.log"_s);
    QVERIFY(QDir().mkpath(asDir));
    error.clear();
    QVERIFY(!WriteFileAtomically(asDir, "x", &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(QFileInfo(asDir).isDir());
    QCOMPARE(entries(dir.path()), QStringList{u"Nightly.log"_s});
    QVERIFY(!WriteFileAtomically(QString(), "x", &error));
}

void TestAtomicFileWriter::fullDiskKeepsOldFile_data()
{
    QTest::addColumn<QString>("writer");
    for (const QString& name : programWriters().keys())
        QTest::newRow(qPrintable(name)) << name;
}

void TestAtomicFileWriter::fullDiskKeepsOldFile()
{
    QFETCH(QString, writer);
    testsupport::SmallTmpfs disk(256 * 1024);
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.reason()));
    const QString path = disk.path() + u"/state.ini"_s;
    const QByteArray old = utf16leWithBom(u"[General]\r\nTaskListName=Old\r\n\r\n"_s);
    QVERIFY(testsupport::writeBytes(path, old));
    QVERIFY(disk.fillUp());

    QString error;
    QVERIFY2(!programWriters().value(writer)(path, &error), "a write to a full disk was taken for success");
    QVERIFY(!error.isEmpty());
    QCOMPARE(testsupport::readBytes(path), old);
    QCOMPARE(entries(disk.path()), (QStringList{u"filler"_s, u"state.ini"_s}));

    // With room again the same write succeeds.
    disk.makeRoom();
    QVERIFY2(programWriters().value(writer)(path, &error), qPrintable(error));
    QVERIFY(testsupport::readBytes(path).size() > old.size());
    QCOMPARE(entries(disk.path()), QStringList{u"state.ini"_s});
}

void TestAtomicFileWriter::fileSizeLimitKeepsOldFile_data()
{
    fullDiskKeepsOldFile_data();
}

void TestAtomicFileWriter::fileSizeLimitKeepsOldFile()
{
    QFETCH(QString, writer);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"state.ini"_s);
    const QByteArray old = utf16leWithBom(u"[General]\r\nTaskListName=Old\r\n\r\n"_s);
    QVERIFY(testsupport::writeBytes(path, old));
    const Writer write = programWriters().value(writer);

    // The limit holds for the whole process: the write runs in a child of its own.
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            ::_exit(3);
        QString error;
        const bool written = write(path, &error);
        ::_exit(written ? 1 : error.isEmpty() ? 2 : 0);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QVERIFY2(WEXITSTATUS(status) != 1, "a write past the file size limit was taken for success");
    QVERIFY2(WEXITSTATUS(status) != 2, "the failure came without a reason");
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(testsupport::readBytes(path), old);
    QCOMPARE(entries(dir.path()), QStringList{u"state.ini"_s});
}

QTEST_GUILESS_MAIN(TestAtomicFileWriter)
#include "tst_atomicfilewriter.moc"
