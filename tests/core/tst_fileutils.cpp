// Path and file-system helpers: long-path form, directory test, writable-before-overwrite,
// compression and encryption switches' read-only handling, last error text.

#include "engine/RsFileUtils.h"
#include "engine/platform/Platform.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <clocale>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

int modeOf(const QString& path)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}

QString currentDirectory()
{
    const platform::Path cwd = platform::currentDirectory();
    return QString::fromUtf16(cwd.data(), qsizetype(cwd.size()));
}

} // namespace

class TestFileUtils : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void addLongPathPrefix_data();
    void addLongPathPrefix();
    void isExistingDirectory();
    void makeFileWritable_data();
    void makeFileWritable();
    void makeFileWritableFailures_data();
    void makeFileWritableFailures();
    void makeFileWritableLeavesLinkTarget();
    void compressedKeepsReadOnly();
    void compressedOnMissingPathRaises();
    void encryptedKeepsReadOnly();
    void lastErrorText_data();
    void lastErrorText();
};

void TestFileUtils::initTestCase()
{
    // The system's error texts are compared in their untranslated form.
    std::setlocale(LC_MESSAGES, "C");
}

void TestFileUtils::addLongPathPrefix_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected"); // "%cwd%" stands for the current directory

    QTest::newRow("UNC") << u"\\\\fileserver\\share\\dir"_s << u"\\\\?\\UNC\\fileserver\\share\\dir"_s;
    QTest::newRow("UNC file") << u"\\\\server\\share\\a.txt"_s << u"\\\\?\\UNC\\server\\share\\a.txt"_s;
    QTest::newRow("UNC with wildcards") << u"\\\\server\\share\\a*?.txt"_s << u"\\\\?\\UNC\\server\\share\\a*?.txt"_s;
    QTest::newRow("UNC with invalid char") << u"\\\\server\\sh<are"_s << u"\\\\?\\\\\\server\\sh<are"_s;
    QTest::newRow("UNC with control char") << u"\\\\server\\a\tb"_s << u"\\\\?\\\\\\server\\a\tb"_s;
    QTest::newRow("invalid third char") << u"\\\\|x"_s << u"\\\\?\\\\\\|x"_s;
    QTest::newRow("two backslashes only") << u"\\\\"_s << u"\\\\?\\\\\\"_s;
    QTest::newRow("drive") << u"D:\\x"_s << u"\\\\?\\D:\\x"_s;
    QTest::newRow("drive data") << u"C:\\data\\a.txt"_s << u"\\\\?\\C:\\data\\a.txt"_s;
    QTest::newRow("drive-relative") << u"C:x"_s << u"\\\\?\\C:x"_s;
    QTest::newRow("bare name") << u"a.txt"_s << u"\\\\?\\%cwd%\\a.txt"_s;
    QTest::newRow("bare name with space") << u"my file"_s << u"\\\\?\\%cwd%\\my file"_s;
    QTest::newRow("forward slashes") << u"/srv/backup/x"_s << u"\\\\?\\/srv/backup/x"_s;
}

void TestFileUtils::addLongPathPrefix()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    expected.replace(u"%cwd%"_s, currentDirectory());
    QCOMPARE(AddLongPathPrefix(path), expected);
}

void TestFileUtils::isExistingDirectory()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(u"sub"_s));
    QVERIFY(testsupport::writeBytes(dir.filePath(u"file"_s), "x"));
    QVERIFY(QFile::link(dir.filePath(u"sub"_s), dir.filePath(u"link"_s)));
    QVERIFY(IsExistingDirectory(dir.path(), true));
    QVERIFY(IsExistingDirectory(dir.filePath(u"sub"_s), false));
    QVERIFY(IsExistingDirectory(dir.filePath(u"link"_s), true));
    QVERIFY(!IsExistingDirectory(dir.filePath(u"link"_s), false));
    QVERIFY(!IsExistingDirectory(dir.filePath(u"file"_s), true));
    QVERIFY(!IsExistingDirectory(dir.filePath(u"missing"_s), true));
    QCOMPARE(LastErrorText(), u"(No such file or directory)"_s);
    QVERIFY(!IsExistingDirectory(QString(), true));
}

void TestFileUtils::makeFileWritable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::newRow("read-only") << u"f"_s << 0444 << 0644;
    QTest::newRow("read-only hidden") << u".f"_s << 0444 << 0644;
    QTest::newRow("owner read only") << u"f"_s << 0400 << 0600;
    QTest::newRow("no permissions") << u"f"_s << 0 << 0200;
    QTest::newRow("writable untouched") << u"f"_s << 0640 << 0640;
    QTest::newRow("group write only") << u"f"_s << 0464 << 0664;
    QTest::newRow("setuid kept") << u"f"_s << 04555 << 04755;
    QTest::newRow("name with space and hash") << u"a #1"_s << 0444 << 0644;
}

void TestFileUtils::makeFileWritable()
{
    QFETCH(QString, name);
    QFETCH(int, before);
    QFETCH(int, after);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(name);
    QVERIFY(testsupport::writeBytes(file, "x"));
    QCOMPARE(::chmod(QFile::encodeName(file).constData(), mode_t(before)), 0);
    MakeFileWritable(file);
    QCOMPARE(modeOf(file), after);
}

void TestFileUtils::makeFileWritableFailures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << u"missing"_s << u"(No such file or directory)"_s;
    QTest::newRow("missing directory") << u"nodir/file"_s << u"(No such file or directory)"_s;
    QTest::newRow("below a file") << u"file/x"_s << u"(Not a directory)"_s;
    QTest::newRow("empty") << QString() << u"(No such file or directory)"_s;
    QTest::newRow("blank") << u"   "_s << u"(No such file or directory)"_s;
}

void TestFileUtils::makeFileWritableFailures()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(testsupport::writeBytes(dir.filePath(u"file"_s), "x"));
    const QString path = name.trimmed().isEmpty() ? name : dir.filePath(name);
    try {
        MakeFileWritable(path);
        QFAIL("no error raised");
    } catch (const ERsFileError& e) {
        QCOMPARE(u'(' + e.message() + u')', reason);
        QCOMPARE(LastErrorText(), reason);
        QVERIFY(e.code() != 0);
    }
}

void TestFileUtils::makeFileWritableLeavesLinkTarget()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString target = dir.filePath(u"target"_s);
    QVERIFY(testsupport::writeBytes(target, "x"));
    QCOMPARE(::chmod(QFile::encodeName(target).constData(), 0444), 0);
    const QString link = dir.filePath(u"link"_s);
    QVERIFY(QFile::link(target, link));
    MakeFileWritable(link); // the link is replaced or removed on its own; its target is not ours
    QCOMPARE(modeOf(target), 0444);
}

void TestFileUtils::compressedKeepsReadOnly()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString sub = dir.filePath(u"sub"_s);
    QVERIFY(QDir(dir.path()).mkdir(sub));
    QCOMPARE(::chmod(QFile::encodeName(sub).constData(), 0555), 0);
    platform::DirEntry entry;
    QVERIFY(platform::statPath(platform::Path(reinterpret_cast<const char16_t*>(sub.utf16()), size_t(sub.size())),
                               false, entry));
    QVERIFY(entry.attributes & platform::kAttrReadOnly);
    // Most file systems refuse the flag; either way the directory ends read-only as it was.
    try {
        SetCompressedAttribute(sub, entry.attributes, true);
    } catch (const ERsFileError& e) {
        QVERIFY(!e.message().isEmpty());
        QVERIFY(LastErrorText().size() > 2);
    }
    QCOMPARE(modeOf(sub), 0555);
    try {
        SetCompressedAttribute(sub, entry.attributes, false);
    } catch (const ERsFileError&) {
    }
    QCOMPARE(modeOf(sub), 0555);
}

void TestFileUtils::compressedOnMissingPathRaises()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY_THROWS_EXCEPTION(ERsFileError,
                             SetCompressedAttribute(dir.filePath(u"missing"_s), platform::kAttrDirectory, true));
    QCOMPARE(LastErrorText(), u"(No such file or directory)"_s);
    QVERIFY_THROWS_EXCEPTION(ERsFileError, SetCompressedAttribute(dir.filePath(u"missing"_s),
                                                                  platform::kAttrDirectory | platform::kAttrReadOnly,
                                                                  true));
    QCOMPARE(LastErrorText(), u"(No such file or directory)"_s);
}

void TestFileUtils::encryptedKeepsReadOnly()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(u"f"_s);
    QVERIFY(testsupport::writeBytes(file, "x"));
    QCOMPARE(::chmod(QFile::encodeName(file).constData(), 0464), 0);
    const quint32 word = (0464u << 16) | platform::kAttrArchive | platform::kAttrReadOnly;
    SetEncryptedAttribute(file, word, true);
    QCOMPARE(modeOf(file), 0464);
    SetEncryptedAttribute(file, word, false);
    QCOMPARE(modeOf(file), 0464);
    SetEncryptedAttribute(dir.filePath(u"missing"_s), word, true); // never fails
}

void TestFileUtils::lastErrorText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("no such file") << ENOENT << u"(No such file or directory)"_s;
    QTest::newRow("permission") << EACCES << u"(Permission denied)"_s;
    QTest::newRow("disk full") << ENOSPC << u"(No space left on device)"_s;
    QTest::newRow("success") << 0 << u"(Success)"_s;
}

void TestFileUtils::lastErrorText()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    platform::setLastError(code);
    QCOMPARE(LastErrorText(), text);
}

QTEST_GUILESS_MAIN(TestFileUtils)
#include "tst_fileutils.moc"
