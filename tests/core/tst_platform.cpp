// The POSIX platform layer: name codec, listing, status, attribute words, copy, removal, errors, time.

#include "engine/platform/Platform.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <map>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

using namespace platform;

namespace {

Path P(const QString& s)
{
    return Path(reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size()));
}

// QTemporaryDir's own clean-up goes through QDir, which cannot name files whose names are not
// UTF-8; the platform's removal can.
class TempDir : public QTemporaryDir
{
public:
    TempDir() { setAutoRemove(false); }
    ~TempDir()
    {
        if (isValid())
            platform::removeDirectoryTree(P(path()));
    }
};

Path join(const QString& dir, const Path& name)
{
    return P(dir) + u'/' + name;
}

QByteArray nativeOf(const QString& dir, const QByteArray& nameBytes)
{
    return QFile::encodeName(dir) + '/' + nameBytes;
}

bool writeNative(const QByteArray& path, const QByteArray& content, mode_t mode = 0644)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, mode);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    ::close(fd);
    return ok && ::chmod(path.constData(), mode) == 0;
}

QByteArray readNative(const QByteArray& path)
{
    QByteArray out;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return out;
    char buf[65536];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0)
        out.append(buf, n);
    ::close(fd);
    return out;
}

// Names of the directory's entries that begin with the copy's temporary prefix.
QStringList tempFilesIn(const QString& dir)
{
    QStringList out;
    DIR* d = ::opendir(QFile::encodeName(dir).constData());
    if (!d)
        return out;
    while (const dirent* e = ::readdir(d)) {
        if (std::strncmp(e->d_name, ".tsumiki-", 9) == 0)
            out << QString::fromLocal8Bit(e->d_name);
    }
    ::closedir(d);
    return out;
}

std::map<Path, DirEntry> listing(const QString& dir, bool followLinks)
{
    std::map<Path, DirEntry> out;
    const bool ok = enumerateDirectory(P(dir), followLinks, [&](const DirEntry& e) {
        out[e.name] = e;
        return true;
    });
    if (!ok)
        out.clear();
    return out;
}

// Sets TZ for the life of the object and puts the previous setting back.
class TimeZoneOverride
{
public:
    explicit TimeZoneOverride(const QByteArray& tz)
        : m_saved(qgetenv("TZ"))
        , m_had(qEnvironmentVariableIsSet("TZ"))
    {
        Set(tz);
    }
    ~TimeZoneOverride()
    {
        if (m_had)
            qputenv("TZ", m_saved);
        else
            qunsetenv("TZ");
        ::tzset();
    }
    TimeZoneOverride(const TimeZoneOverride&) = delete;
    TimeZoneOverride& operator=(const TimeZoneOverride&) = delete;
    void Set(const QByteArray& tz)
    {
        qputenv("TZ", tz);
        ::tzset();
    }

private:
    QByteArray m_saved;
    bool m_had;
};

} // namespace

class TestPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void codecRoundTrip_data();
    void codecRoundTrip();
    void codecRefusesPathsWithoutExactBytes();
    void hostileNamesOnDisk();
    void enumerateKinds();
    void enumerateStopsEarly();
    void enumerateMissingDirectory();
    void attributeWord_data();
    void attributeWord();
    void setAttributesAppliesPermissions();
    void copyKeepsContentModeAndTime();
    void copyOverReadOnlyDestination();
    void copyStoppedBeforeStart();
    void copyStoppedInTheMiddle();
    void copyFailures();
    void copyIntoUnwritableDirectory();
    void createDirectories();
    void removeTreeNeverFollowsLinks();
    void removeDeepTree();
    void lastErrorText();
    void copyTemporaryNames_data();
    void copyTemporaryNames();
    void localDateTime();
    void localTimeConverterAgreesWithLocaltime_data();
    void localTimeConverterAgreesWithLocaltime();
};

void TestPlatform::codecRoundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected"); // empty: not checked

    QTest::newRow("ascii") << QByteArray("plain.txt") << QStringLiteral("plain.txt");
    QTest::newRow("spaces and hash") << QByteArray(" a # b .txt ") << QStringLiteral(" a # b .txt ");
    QTest::newRow("two-byte") << QByteArray("caf\xc3\xa9") << QString::fromUtf8("caf\xc3\xa9");
    QTest::newRow("three-byte") << QByteArray("\xe3\x81\x8b\xe3\x81\xaa") << QString::fromUtf8("\xe3\x81\x8b\xe3\x81\xaa");
    QTest::newRow("four-byte") << QByteArray("\xf0\x9f\x98\x80") << QString::fromUtf16(u"\U0001F600");
    QTest::newRow("lone 0xff") << QByteArray("a\xff" "b") << QString::fromUtf16(u"a\xDCFF" u"b");
    QTest::newRow("lone continuation") << QByteArray("\x80") << QString::fromUtf16(u"\xDC80");
    QTest::newRow("truncated two-byte") << QByteArray("x\xc3") << QString::fromUtf16(u"x\xDCC3");
    QTest::newRow("truncated then ascii") << QByteArray("\xe3\x81z") << QString::fromUtf16(u"\xDCE3\xDC81z");
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << QString::fromUtf16(u"\xDCC0\xDCAF");
    QTest::newRow("overlong three") << QByteArray("\xe0\x80\xaf") << QString::fromUtf16(u"\xDCE0\xDC80\xDCAF");
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << QString::fromUtf16(u"\xDCED\xDCA0\xDC80");
    QTest::newRow("above U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << QString::fromUtf16(u"\xDCF4\xDC90\xDC80\xDC80");
    QTest::newRow("latin-1 name") << QByteArray("r\xe9sum\xe9.doc") << QString::fromUtf16(u"r\xDCE9sum\xDCE9.doc");
    QTest::newRow("valid after invalid") << QByteArray("\xff\xc3\xa9") << QString::fromUtf16(u"\xDCFF\x00E9");
    QTest::newRow("escape-like valid char") << QByteArray("\xed\xb2\x80") << QString(); // U+DC80 encoded: invalid bytes
    QByteArray longName(255, 'n');
    longName[100] = '\xfe';
    QTest::newRow("255 bytes") << longName << QString();
}

void TestPlatform::codecRoundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    const std::string_view view(bytes.constData(), size_t(bytes.size()));
    const Path decoded = fromNative(view);
    if (!expected.isNull())
        QCOMPARE(QString::fromUtf16(decoded.data(), qsizetype(decoded.size())), expected);
    QCOMPARE(QByteArray::fromStdString(toNative(decoded)), bytes);
}

void TestPlatform::codecRefusesPathsWithoutExactBytes()
{
    TempDir dir;
    QVERIFY(dir.isValid());
    // "é" exists; escaped bytes that would read back as "é" must not reach it.
    QVERIFY(writeNative(nativeOf(dir.path(), "\xc3\xa9"), "x"));
    DirEntry entry;
    QVERIFY(statPath(join(dir.path(), u"\u00E9"), false, entry));
    QVERIFY(!statPath(join(dir.path(), u"\xDCC3\xDCA9"), false, entry));
    QCOMPARE(lastError().code, EILSEQ);

    // A lone high surrogate has no byte form of its own: refused, though toNative shows it readably.
    QVERIFY(!platform::createDirectories(join(dir.path(), u"a\xD800" u"b")));
    QCOMPARE(lastError().code, EILSEQ);
    QCOMPARE(toNative(u"a\xD800" u"b"), std::string("a\xed\xa0\x80" "b"));
    QVERIFY(!deleteFile(join(dir.path(), u"\xDC10")));
    QCOMPARE(lastError().code, EILSEQ);

    // U+0000 would cut the path short at the system call.
    QVERIFY(!statPath(join(dir.path(), Path(u"\xE9\0x", 3)), false, entry));
    QCOMPARE(lastError().code, EINVAL);

    // The refused spellings touched nothing.
    const auto names = listing(dir.path(), false);
    QCOMPARE(names.size(), size_t(1));
}

void TestPlatform::hostileNamesOnDisk()
{
    TempDir dir;
    QVERIFY(dir.isValid());
    const QList<QByteArray> names = {
        "with space", "#hash#", "caf\xc3\xa9", "bad\xff\xfe", "\x80\x81", "tab\tname", QByteArray(250, 'L'),
        "\xe3\x81\x8b\xf0\x9f\x98\x80", "trail.", "-dash",
    };
    for (const QByteArray& n : names)
        QVERIFY2(writeNative(nativeOf(dir.path(), n), n), n.constData());

    const auto listed = listing(dir.path(), false);
    QCOMPARE(listed.size(), size_t(names.size()));
    for (const QByteArray& n : names) {
        const Path name = fromNative(std::string_view(n.constData(), size_t(n.size())));
        const auto it = listed.find(name);
        QVERIFY2(it != listed.end(), n.constData());
        QCOMPARE(it->second.kind, EntryKind::File);
        QCOMPARE(it->second.size, uint64_t(n.size()));
        // The listed name reaches the same file again: status, copy, removal.
        DirEntry entry;
        QVERIFY(statPath(join(dir.path(), name), false, entry));
        QVERIFY(entry.name == name);
        const Path copy = join(dir.path(), name + u".copy");
        QCOMPARE(copyFile(join(dir.path(), name), copy, nullptr), CopyResult::Copied);
        QCOMPARE(readNative(nativeOf(dir.path(), n + ".copy")), n);
        QVERIFY(deleteFile(copy));
    }
}

void TestPlatform::enumerateKinds()
{
    TempDir dir;
    TempDir outside;
    QVERIFY(dir.isValid() && outside.isValid());
    const QByteArray d = QFile::encodeName(dir.path());
    QVERIFY(writeNative(d + "/file", "12345"));
    QVERIFY(writeNative(d + "/.hidden", "h"));
    QVERIFY(writeNative(d + "/readonly", "r", 0444));
    QCOMPARE(::mkdir(d + "/sub", 0755), 0);
    QCOMPARE(::mkfifo(d + "/fifo", 0644), 0);
    QCOMPARE(::symlink("nowhere", d + "/dangling"), 0);
    QCOMPARE(::symlink(QFile::encodeName(outside.path()).constData(), d + "/dirlink"), 0);
    QCOMPARE(::symlink("file", d + "/filelink"), 0);

    struct stat outsideSt;
    QCOMPARE(::stat(QFile::encodeName(outside.path()).constData(), &outsideSt), 0);
    struct stat fileSt;
    QCOMPARE(::stat(d + "/file", &fileSt), 0);

    for (const bool follow : {false, true}) {
        const auto e = listing(dir.path(), follow);
        QCOMPARE(e.size(), size_t(8)); // no "." or ".."
        QCOMPARE(e.at(u"file").kind, EntryKind::File);
        QCOMPARE(e.at(u"file").size, uint64_t(5));
        QCOMPARE(e.at(u"file").modified.seconds, int64_t(fileSt.st_mtim.tv_sec));
        QCOMPARE(e.at(u"file").modified.nanoseconds, int32_t(fileSt.st_mtim.tv_nsec));
        QCOMPARE(e.at(u"file").attributes & 0xFFFF, kAttrArchive);
        QCOMPARE(e.at(u".hidden").attributes & 0xFFFF, kAttrArchive | kAttrHidden);
        QCOMPARE(e.at(u"readonly").attributes & 0xFFFF, kAttrArchive | kAttrReadOnly);
        QCOMPARE(e.at(u"sub").kind, EntryKind::Directory);
        QCOMPARE(e.at(u"sub").attributes & 0xFFFF, kAttrDirectory);
        QCOMPARE(e.at(u"fifo").kind, EntryKind::Other);
        QCOMPARE(e.at(u"dangling").kind, EntryKind::Other);
        // A link to a file is the file, with the target's attributes and time.
        QCOMPARE(e.at(u"filelink").kind, EntryKind::File);
        QCOMPARE(e.at(u"filelink").size, uint64_t(5));
        QCOMPARE(e.at(u"filelink").attributes, e.at(u"file").attributes);
        QCOMPARE(e.at(u"filelink").modified.nanoseconds, int32_t(fileSt.st_mtim.tv_nsec));
        const DirEntry& link = e.at(u"dirlink");
        QVERIFY(link.attributes & kAttrDirectory);
        if (follow) {
            QCOMPARE(link.kind, EntryKind::Directory);
            QCOMPARE(link.device, uint64_t(outsideSt.st_dev));
            QCOMPARE(link.inode, uint64_t(outsideSt.st_ino));
        } else {
            QCOMPARE(link.kind, EntryKind::DirectoryLink);
            QVERIFY(link.inode != uint64_t(outsideSt.st_ino));
        }
    }

    // statPath agrees with the listing and names the last component.
    DirEntry st;
    QVERIFY(statPath(P(dir.path() + QStringLiteral("/dirlink")), false, st));
    QCOMPARE(st.kind, EntryKind::DirectoryLink);
    QVERIFY(st.name == u"dirlink");
    QVERIFY(statPath(P(dir.path() + QStringLiteral("/dirlink/")), true, st));
    QCOMPARE(st.kind, EntryKind::Directory);
    QVERIFY(statPath(P(dir.path() + QStringLiteral("/.hidden")), true, st));
    QVERIFY(st.attributes & kAttrHidden);
    QVERIFY(isExistingDirectory(P(dir.path() + QStringLiteral("/dirlink")), true));
    QVERIFY(!isExistingDirectory(P(dir.path() + QStringLiteral("/dirlink")), false));
    QVERIFY(!isExistingDirectory(P(dir.path() + QStringLiteral("/file")), true));
    QVERIFY(!isExistingDirectory(P(dir.path() + QStringLiteral("/missing")), true));
    QCOMPARE(lastError().code, ENOENT);
}

void TestPlatform::enumerateStopsEarly()
{
    TempDir dir;
    QVERIFY(dir.isValid());
    for (int i = 0; i < 10; ++i)
        QVERIFY(writeNative(nativeOf(dir.path(), QByteArray::number(i)), "x"));
    int seen = 0;
    QVERIFY(enumerateDirectory(P(dir.path()), false, [&](const DirEntry&) { return ++seen < 3; }));
    QCOMPARE(seen, 3);
}

void TestPlatform::enumerateMissingDirectory()
{
    TempDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeNative(nativeOf(dir.path(), "file"), "x"));
    bool called = false;
    auto callback = [&](const DirEntry&) { return called = true; };
    QVERIFY(!enumerateDirectory(P(dir.path() + QStringLiteral("/missing")), false, callback));
    QCOMPARE(lastError().code, ENOENT);
    QVERIFY(!enumerateDirectory(P(dir.path() + QStringLiteral("/file")), false, callback));
    QCOMPARE(lastError().code, ENOTDIR);
    QVERIFY(!called);
}

void TestPlatform::attributeWord_data()
{
    QTest::addColumn<QByteArray>("nameA");
    QTest::addColumn<int>("modeA");
    QTest::addColumn<bool>("dirA");
    QTest::addColumn<QByteArray>("nameB");
    QTest::addColumn<int>("modeB");
    QTest::addColumn<bool>("dirB");
    QTest::addColumn<bool>("equal");

    QTest::newRow("same mode") << QByteArray("a") << 0644 << false << QByteArray("b") << 0644 << false << true;
    QTest::newRow("group write differs") << QByteArray("a") << 0644 << false << QByteArray("b") << 0664 << false << false;
    QTest::newRow("exec bit differs") << QByteArray("a") << 0755 << false << QByteArray("b") << 0644 << false << false;
    QTest::newRow("setgid differs") << QByteArray("a") << 02755 << true << QByteArray("b") << 0755 << true << false;
    QTest::newRow("hidden differs") << QByteArray("a") << 0644 << false << QByteArray(".b") << 0644 << false << false;
    QTest::newRow("both hidden") << QByteArray(".a") << 0600 << false << QByteArray(".b") << 0600 << false << true;
    QTest::newRow("file vs directory") << QByteArray("a") << 0755 << false << QByteArray("b") << 0755 << true << false;
    QTest::newRow("directories") << QByteArray("a") << 0750 << true << QByteArray("b") << 0750 << true << true;
}

void TestPlatform::attributeWord()
{
    QFETCH(QByteArray, nameA);
    QFETCH(int, modeA);
    QFETCH(bool, dirA);
    QFETCH(QByteArray, nameB);
    QFETCH(int, modeB);
    QFETCH(bool, dirB);
    QFETCH(bool, equal);
    TempDir dir;
    QVERIFY(dir.isValid());
    auto make = [&](const QByteArray& name, int mode, bool isDir) -> uint32_t {
        const QByteArray path = nativeOf(dir.path(), name);
        if (isDir ? ::mkdir(path, 0700) != 0 : !writeNative(path, "x"))
            return 0;
        if (::chmod(path, mode_t(mode)) != 0)
            return 0;
        DirEntry e;
        if (!statPath(fromNative(path.toStdString()), false, e))
            return 0;
        const uint32_t expectedLow = (isDir ? kAttrDirectory : kAttrArchive) | ((mode & 0200) ? 0 : kAttrReadOnly)
                                     | (name.startsWith('.') ? kAttrHidden : 0);
        if ((e.attributes & 0xFFFF) != expectedLow || (e.attributes >> 16) != uint32_t(mode))
            return 0;
        return e.attributes;
    };
    const uint32_t a = make(nameA, modeA, dirA);
    const uint32_t b = make(nameB, modeB, dirB);
    QVERIFY(a != 0 && b != 0);
    QCOMPARE(a == b, equal);
}

void TestPlatform::setAttributesAppliesPermissions()
{
    TempDir dir;
    QVERIFY(dir.isValid());
    const QByteArray a = nativeOf(dir.path(), "a");
    const QByteArray b = nativeOf(dir.path(), "b");
    QVERIFY(writeNative(a, "x", 0640));
    QVERIFY(writeNative(b, "x", 0777));
    DirEntry ea;
    QVERIFY(statPath(fromNative(a.toStdString()), false, ea));
    QVERIFY(setAttributes(fromNative(b.toStdString()), ea.attributes));
    struct stat st;
    QCOMPARE(::stat(b, &st), 0);
    QCOMPARE(int(st.st_mode & 07777), 0640);
    // Carried bits win over the low bits: a caller may grant itself access for a while.
    QVERIFY(setAttributes(fromNative(b.toStdString()), (0700u << 16) | kAttrReadOnly | kAttrArchive));
    QCOMPARE(::stat(b, &st), 0);
    QCOMPARE(int(st.st_mode & 07777), 0700);
    // A word without permission bits only switches the owner's write permission.
    QVERIFY(setAttributes(fromNative(b.toStdString()), kAttrArchive | kAttrReadOnly));
    QCOMPARE(::stat(b, &st), 0);
    QCOMPARE(int(st.st_mode & 07777), 0500);
    QVERIFY(setAttributes(fromNative(b.toStdString()), kAttrArchive));
    QCOMPARE(::stat(b, &st), 0);
    QCOMPARE(int(st.st_mode & 07777), 0700);
    QVERIFY(!setAttributes(join(dir.path(), u"missing"), ea.attributes));
    QCOMPARE(lastError().code, ENOENT);
}

void TestPlatform::copyKeepsContentModeAndTime()
{
    TempDir dir;
    QVERIFY(dir.isValid());
    const QByteArray src = nativeOf(dir.path(), "src\xff");
    QByteArray content(3 * 1024 * 1024 + 17, Qt::Uninitialized);
    for (qsizetype i = 0; i < content.size(); ++i)
        content[i] = char((i * 131) ^ (i >> 9));
    QVERIFY(writeNative(src, content, 0751));
    const timespec times[2] = {{1000, 0}, {1234567890, 123456789}};
    QCOMPARE(::utimensat(AT_FDCWD, src, times, 0), 0);
    const QByteArray dst = nativeOf(dir.path(), "dst");
    QVERIFY(writeNative(dst, "previous"));

    QCOMPARE(copyFile(fromNative(src.toStdString()), fromNative(dst.toStdString()), nullptr), CopyResult::Copied);
    QCOMPARE(readNative(dst), content);
    struct stat st;
    QCOMPARE(::stat(dst, &st), 0);
    QCOMPARE(int(st.st_mode & 07777), 0751);
    QCOMPARE(int64_t(st.st_mtim.tv_sec), int64_t(1234567890));
    QCOMPARE(int64_t(st.st_mtim.tv_nsec), int64_t(123456789));
    QVERIFY(tempFilesIn(dir.path()).isEmpty());

    // An empty source makes an empty copy.
    const QByteArray empty = nativeOf(dir.path(), "empty");
    QVERIFY(writeNative(empty, QByteArray()));
    QCOMPARE(copyFile(fromNative(empty.toStdString()), fromNative(dst.toStdString()), nullptr), CopyResult::Copied);
    QCOMPARE(::stat(dst, &st), 0);
    QCOMPARE(st.st_size, off_t(0));
}

void TestPlatform::copyOverReadOnlyDestination()
{
    TempDir dir;
    QVERIFY(dir.isValid());
    const QByteArray src = nativeOf(dir.path(), "src");
    const QByteArray dst = nativeOf(dir.path(), "dst");
    QVERIFY(writeNative(src, "new content", 0644));
    QVERIFY(writeNative(dst, "old", 0444));
    QCOMPARE(copyFile(fromNative(src.toStdString()), fromNative(dst.toStdString()), nullptr), CopyResult::Copied);
    QCOMPARE(readNative(dst), QByteArray("new content"));
    struct stat st;
    QCOMPARE(::stat(dst, &st), 0);
    QCOMPARE(int(st.st_mode & 07777), 0644);

    // A destination that is a link is replaced by the copy; the link's target stays as it was.
    const QByteArray target = nativeOf(dir.path(), "target");
    QVERIFY(writeNative(target, "target"));
    const QByteArray link = nativeOf(dir.path(), "link");
    QCOMPARE(::symlink(target.constData(), link.constData()), 0);
    QCOMPARE(copyFile(fromNative(src.toStdString()), fromNative(link.toStdString()), nullptr), CopyResult::Copied);
    QCOMPARE(readNative(target), QByteArray("target"));
    QCOMPARE(::lstat(link, &st), 0);
    QVERIFY(S_ISREG(st.st_mode));
}

void TestPlatform::copyStoppedBeforeStart()
{
    TempDir dir;
    QVERIFY(dir.isValid());
    const QByteArray src = nativeOf(dir.path(), "src");
    const QByteArray dst = nativeOf(dir.path(), "dst");
    QVERIFY(writeNative(src, "new"));
    QVERIFY(writeNative(dst, "previous"));
    std::atomic<bool> stop{true};
    QCOMPARE(copyFile(fromNative(src.toStdString()), fromNative(dst.toStdString()), &stop), CopyResult::Stopped);
    QCOMPARE(readNative(dst), QByteArray("previous"));
    QVERIFY(tempFilesIn(dir.path()).isEmpty());
}

void TestPlatform::copyStoppedInTheMiddle()
{
    TempDir dir;
    QVERIFY(dir.isValid());
    const QByteArray src = nativeOf(dir.path(), "big");
    const QByteArray dst = nativeOf(dir.path(), "dst");
    {
        const int fd = ::open(src, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QByteArray block(1 << 20, 'b');
        for (int i = 0; i < 128; ++i) {
            block[0] = char(i);
            QCOMPARE(::write(fd, block.constData(), size_t(block.size())), ssize_t(block.size()));
        }
        ::close(fd);
    }
    QVERIFY(writeNative(dst, "previous backup"));

    // A watcher sets the stop flag as soon as the temporary file has received its first bytes.
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    std::atomic<bool> sawPartial{false};
    const QString dirPath = dir.path();
    std::thread watcher([&] {
        while (!done.load()) {
            for (const QString& name : tempFilesIn(dirPath)) {
                struct stat st;
                if (::stat(QFile::encodeName(dirPath + u'/' + name), &st) == 0 && st.st_size > 0) {
                    sawPartial = true;
                    stop = true;
                    return;
                }
            }
            std::this_thread::yield();
        }
    });
    const CopyResult result = copyFile(fromNative(src.toStdString()), fromNative(dst.toStdString()), &stop);
    done = true;
    watcher.join();
    QVERIFY(sawPartial.load());
    QCOMPARE(result, CopyResult::Stopped);
    QCOMPARE(lastError().code, ECANCELED);
    QCOMPARE(readNative(dst), QByteArray("previous backup"));
    QVERIFY(tempFilesIn(dir.path()).isEmpty());
}

void TestPlatform::copyFailures()
{
    TempDir dir;
    QVERIFY(dir.isValid());
    const QByteArray src = nativeOf(dir.path(), "src");
    QVERIFY(writeNative(src, "data"));
    const Path source = fromNative(src.toStdString());

    // Missing source.
    QCOMPARE(copyFile(join(dir.path(), u"missing"), join(dir.path(), u"out"), nullptr), CopyResult::Failed);
    QCOMPARE(lastError().code, ENOENT);
    // A FIFO is never read (it would wait for a writer forever).
    QCOMPARE(::mkfifo(nativeOf(dir.path(), "fifo"), 0644), 0);
    QCOMPARE(copyFile(join(dir.path(), u"fifo"), join(dir.path(), u"out"), nullptr), CopyResult::Failed);
    // A directory where the copy should go: the copy fails and leaves no temporary file.
    QCOMPARE(::mkdir(nativeOf(dir.path(), "isdir"), 0755), 0);
    QCOMPARE(copyFile(source, join(dir.path(), u"isdir"), nullptr), CopyResult::Failed);
    QCOMPARE(lastError().code, EISDIR);
    // A destination below a regular file cannot exist, for root too.
    QCOMPARE(copyFile(source, join(dir.path(), u"src/sub/out"), nullptr), CopyResult::Failed);
    QCOMPARE(lastError().code, ENOTDIR);
    QVERIFY(!lastError().text.empty());

    QVERIFY(tempFilesIn(dir.path()).isEmpty());
    QVERIFY(tempFilesIn(dir.path() + QStringLiteral("/isdir")).isEmpty());
    QCOMPARE(readNative(src), QByteArray("data"));
}

void TestPlatform::copyIntoUnwritableDirectory()
{
    if (::geteuid() == 0)
        QSKIP("root may write into any directory; the parent-is-a-file case in copyFailures covers the failure path");
    TempDir dir;
    QVERIFY(dir.isValid());
    const QByteArray src = nativeOf(dir.path(), "src");
    QVERIFY(writeNative(src, "data"));
    const QByteArray locked = nativeOf(dir.path(), "locked");
    QCOMPARE(::mkdir(locked, 0755), 0);
    QVERIFY(writeNative(locked + "/dst", "previous"));
    QCOMPARE(::chmod(locked, 0555), 0);
    const CopyResult result = copyFile(fromNative(src.toStdString()), fromNative((locked + "/dst").toStdString()), nullptr);
    ::chmod(locked, 0755);
    QCOMPARE(result, CopyResult::Failed);
    QCOMPARE(lastError().code, EACCES);
    QCOMPARE(readNative(locked + "/dst"), QByteArray("previous"));
}

void TestPlatform::createDirectories()
{
    TempDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(platform::createDirectories(join(dir.path(), u"a/b\xDCFF/c/")));
    QVERIFY(isExistingDirectory(join(dir.path(), u"a/b\xDCFF/c"), false));
    struct stat st;
    QCOMPARE(::stat(nativeOf(dir.path(), "a/b\xff/c"), &st), 0);
    QVERIFY(platform::createDirectories(join(dir.path(), u"a/b\xDCFF"))); // exists already
    QVERIFY(writeNative(nativeOf(dir.path(), "file"), "x"));
    QVERIFY(!platform::createDirectories(join(dir.path(), u"file")));
    QCOMPARE(lastError().code, ENOTDIR);
    QVERIFY(!platform::createDirectories(join(dir.path(), u"file/below")));
    QCOMPARE(lastError().code, ENOTDIR);
    QVERIFY(removeDirectory(join(dir.path(), u"a/b\xDCFF/c")));
    QVERIFY(!removeDirectory(join(dir.path(), u"a")));
    QCOMPARE(lastError().code, ENOTEMPTY);
}

void TestPlatform::removeTreeNeverFollowsLinks()
{
    TempDir dir;
    TempDir outside;
    QVERIFY(dir.isValid() && outside.isValid());
    const QByteArray o = QFile::encodeName(outside.path());
    QVERIFY(writeNative(o + "/keep", "keep"));
    const QByteArray tree = nativeOf(dir.path(), "tree");
    QCOMPARE(::mkdir(tree, 0755), 0);
    QCOMPARE(::mkdir(tree + "/sub", 0755), 0);
    QCOMPARE(::mkdir(tree + "/sub/deep\xfe", 0755), 0);
    QVERIFY(writeNative(tree + "/sub/deep\xfe/f", "f", 0444));
    QCOMPARE(::symlink(o.constData(), tree + "/sub/out"), 0);
    QCOMPARE(::symlink((o + "/keep").constData(), tree + "/filelink"), 0);
    QCOMPARE(::mkfifo(tree + "/fifo", 0644), 0);
    QCOMPARE(::mkdir(tree + "/locked", 0755), 0);
    QVERIFY(writeNative(tree + "/locked/f", "f"));
    QCOMPARE(::chmod(tree + "/locked", 0), 0);

    QVERIFY(removeDirectoryTree(fromNative(tree.toStdString())));
    struct stat st;
    QCOMPARE(::lstat(tree, &st), -1);
    QCOMPARE(readNative(o + "/keep"), QByteArray("keep"));

    // A link given as the tree itself is removed; its target stays.
    const QByteArray link = nativeOf(dir.path(), "link");
    QCOMPARE(::symlink(o.constData(), link.constData()), 0);
    QVERIFY(removeDirectoryTree(fromNative(link.toStdString())));
    QCOMPARE(::lstat(link, &st), -1);
    QCOMPARE(readNative(o + "/keep"), QByteArray("keep"));

    QVERIFY(!removeDirectoryTree(join(dir.path(), u"missing")));
    QCOMPARE(lastError().code, ENOENT);
}

void TestPlatform::removeDeepTree()
{
    TempDir dir;
    QVERIFY(dir.isValid());
    // Removal holds one descriptor per level and recurses once per level.
    QByteArray path = nativeOf(dir.path(), "deep");
    QVERIFY(::mkdir(path, 0755) == 0);
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY);
    QVERIFY(fd >= 0);
    int current = fd;
    for (int i = 0; i < 600; ++i) {
        QCOMPARE(::mkdirat(current, "d", 0755), 0);
        const int next = ::openat(current, "d", O_RDONLY | O_DIRECTORY);
        QVERIFY(next >= 0);
        const int file = ::openat(next, "f", O_WRONLY | O_CREAT, 0644);
        QVERIFY(file >= 0);
        ::close(file);
        ::close(current);
        current = next;
    }
    ::close(current);
    QVERIFY(removeDirectoryTree(fromNative(path.toStdString())));
    struct stat st;
    QCOMPARE(::lstat(path, &st), -1);
}

void TestPlatform::lastErrorText()
{
    setLastError(ENOENT);
    QCOMPARE(lastError().code, ENOENT);
    QVERIFY(lastError().text == u"No such file or directory");
    setLastError(0);
    QVERIFY(!lastError().text.empty());
    // Each thread has its own.
    setLastError(EACCES);
    Error other;
    std::thread t([&] {
        setLastError(ENOSPC);
        other = lastError();
    });
    t.join();
    QCOMPARE(other.code, ENOSPC);
    QCOMPARE(lastError().code, EACCES);
    for (int code = 1; code < 134; ++code) {
        setLastError(code);
        const std::u16string text = lastError().text;
        QVERIFY(!text.empty());
        QVERIFY(text.back() != u'.' && text.back() > u' ');
    }
}

void TestPlatform::copyTemporaryNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("temporary");
    QTest::newRow("six letters and digits") << QStringLiteral(".tsumiki-aZ09xY") << true;
    QTest::newRow("five") << QStringLiteral(".tsumiki-aZ09x") << false;
    QTest::newRow("seven") << QStringLiteral(".tsumiki-aZ09xYz") << false;
    QTest::newRow("another character") << QStringLiteral(".tsumiki-aZ_9xY") << false;
    QTest::newRow("no dot") << QStringLiteral("tsumiki-aZ09xY") << false;
    QTest::newRow("other case") << QStringLiteral(".Tsumiki-aZ09xY") << false;
    QTest::newRow("non-ASCII letter") << QStringLiteral(".tsumiki-aZ09xé") << false;
}

void TestPlatform::copyTemporaryNames()
{
    QFETCH(QString, name);
    QTEST(isCopyTemporaryName(PathView(reinterpret_cast<const char16_t*>(name.utf16()), size_t(name.size()))),
          "temporary");
}

void TestPlatform::localDateTime()
{
    TimeZoneOverride zone("UTC0");
    QCOMPARE(toLocalDateTime({0, 0}), 25569.0);
    // Milliseconds are kept, finer parts dropped.
    QCOMPARE(toLocalDateTime({86400 + 43200, 999999999}), 25570.5 + 999.0 / 86400000.0);
    QCOMPARE(toLocalDateTime({-2209161600, 0}), 0.0); // 1899-12-30
    // Before the epoch day the time of day still counts up: 1899-12-29 06:00 is -1.25.
    QCOMPARE(toLocalDateTime({-2209161600 - 86400 + 6 * 3600, 0}), -1.25);

    zone.Set("JST-9");
    QCOMPARE(toLocalDateTime({0, 0}), 25569.375);
    zone.Set("EST5EDT,M3.2.0,M11.1.0");
    // 2021-07-01 12:00:00 UTC is 08:00 summer time in New York.
    QCOMPARE(toLocalDateTime({1625140800, 500000000}), 44378.0 + (8 * 3600000.0 + 500) / 86400000.0);
}

void TestPlatform::localTimeConverterAgreesWithLocaltime_data()
{
    QTest::addColumn<QByteArray>("tz");
    QTest::newRow("UTC") << QByteArray("UTC0");
    QTest::newRow("no summer time") << QByteArray("JST-9");
    QTest::newRow("quarter-hour offset") << QByteArray("<+0545>-5:45");
    QTest::newRow("summer time") << QByteArray("EST5EDT,M3.2.0,M11.1.0");
    QTest::newRow("half-hour summer time") << QByteArray("<+1030>-10:30<+11>-11,M10.1.0,M4.1.0");
    if (QFile::exists(u"/usr/share/zoneinfo/right/UTC"_qs))
        QTest::newRow("leap seconds") << QByteArray("right/UTC");
}

void TestPlatform::localTimeConverterAgreesWithLocaltime()
{
    QFETCH(QByteArray, tz);
    TimeZoneOverride zone(tz);

    std::vector<FileTime> times;
    // Every ten minutes across the days of the 2021 changes of both summer-time rules (March,
    // April, October, November), so the days with a change and their neighbours are all met.
    for (const int64_t day : {18700, 18701, 18702, 18718, 18719, 18720, 18901, 18902, 18903, 18936, 18937, 18938})
        for (int64_t s = -3600; s < 86400 + 3600; s += 600)
            times.push_back({day * 86400 + s, 123456789});
    // Spread from 1850 to 2150, before and after the epoch, in an order that makes days share and
    // evict the converter's slots.
    uint64_t x = 88172645463325252ull;
    for (int i = 0; i < 20000; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        const int64_t span = int64_t(300) * 365 * 86400;
        times.push_back({int64_t(x % uint64_t(span)) - int64_t(120) * 365 * 86400, int32_t(x % 1000000000)});
        if (i % 3 == 0)
            times.push_back({times.back().seconds + 1, 0});
    }
    LocalTimeConverter converter;
    for (const FileTime& t : times) {
        const double expected = toLocalDateTime(t);
        const double got = converter.convert(t);
        if (got != expected)
            QFAIL(qPrintable(u"%1 s: %2, localtime says %3"_qs.arg(t.seconds).arg(got, 0, 'f', 10).arg(expected, 0, 'f', 10)));
    }
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
