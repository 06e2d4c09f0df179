// What the platform layer learns about a file system: pseudo file systems, permission bits, times.

#include "engine/platform/FileSystemKind.h"

#include "support/DiskImage.h"
#include "support/SmallTmpfs.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <climits>
#include <ctime>

#include <sys/stat.h>

using namespace platform;
using testsupport::DiskImage;

namespace {

Path P(const QString& s)
{
    return Path(reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size()));
}

// Entries of a directory, "." and ".." aside.
int entryCount(const QString& dir)
{
    int n = 0;
    enumerateDirectory(P(dir), false, [&](const DirEntry&) {
        ++n;
        return true;
    });
    return n;
}

} // namespace

class TestFileSystemKind : public QObject
{
    Q_OBJECT

private slots:
    void pseudoFileSystems_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("pseudo");
        QTest::newRow("proc") << QStringLiteral("/proc/self/status") << true;
        QTest::newRow("sysfs") << QStringLiteral("/sys/kernel") << true;
        QTest::newRow("a real directory") << QDir::tempPath() << false;
    }

    void pseudoFileSystems()
    {
        QFETCH(QString, path);
        QFETCH(bool, pseudo);
        if (path.startsWith(QStringLiteral("/sys")) && !QFileInfo::exists(path))
            QSKIP("no sysfs mounted here");
        QCOMPARE(isOnPseudoFileSystem(P(path)), pseudo);
        const FileSystemKind kind = describeFileSystem(P(path));
        QVERIFY(kind.found);
        QCOMPARE(kind.pseudo, pseudo);
    }

    void missingPathIsNotFound()
    {
        QTemporaryDir dir;
        const FileSystemKind kind = describeFileSystem(P(dir.path() + QStringLiteral("/missing")));
        QVERIFY(!kind.found);
        QCOMPARE(lastError().code, ENOENT);
        QVERIFY(!isOnPseudoFileSystem(P(dir.path() + QStringLiteral("/missing"))));
    }

    // tmpfs keeps every nanosecond over any year and permission bits, and a probe leaves nothing.
    void tmpfsKeepsEverything()
    {
        testsupport::SmallTmpfs fs(1 << 20);
        if (!fs.isMounted())
            QSKIP(qPrintable(fs.reason()));
        const FileSystemKind kind = describeFileSystem(P(fs.path()));
        QVERIFY(kind.found);
        QCOMPARE(kind.typeName, std::string("tmpfs"));
        QVERIFY(kind.keepsPermissions);
        QCOMPARE(kind.timesKnown, TimesKnown::No);
        struct stat before;
        QCOMPARE(::stat(QFile::encodeName(fs.path()).constData(), &before), 0);
        TimeKeeping keeping;
        QVERIFY(probeTimeKeeping(P(fs.path()), keeping));
        QCOMPARE(keeping.resolutionNs, int64_t(1));
        QVERIFY(!keeping.bounded);
        struct stat after;
        QCOMPARE(::stat(QFile::encodeName(fs.path()).constData(), &after), 0);
        QCOMPARE(entryCount(fs.path()), 0);
        QCOMPARE(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
        QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    }

    // ext4 with 128-byte inodes: whole seconds, from 1901-12-13 to 2038-01-19, learnt by a probe.
    void smallInodesKeepWholeSecondsTo2038()
    {
        DiskImage disk(DiskImage::Kind::Ext4SmallInodes, 16 << 20);
        if (!disk.isMounted())
            QSKIP(qPrintable(disk.reason()));
        const FileSystemKind kind = describeFileSystem(P(disk.path()));
        QCOMPARE(kind.typeName, std::string("ext4"));
        QVERIFY(kind.keepsPermissions);
        QCOMPARE(kind.timesKnown, TimesKnown::No); // the type alone does not tell the inode size
        TimeKeeping keeping;
        QVERIFY(probeTimeKeeping(P(disk.path()), keeping));
        QCOMPARE(keeping.resolutionNs, int64_t(1'000'000'000));
        QVERIFY(keeping.bounded);
        QCOMPARE(keeping.latest.seconds, int64_t(INT32_MAX));
        QCOMPARE(keeping.earliest.seconds, int64_t(INT32_MIN));
        QCOMPARE(entryCount(disk.path()), 1); // lost+found, and nothing of the probe
    }

    // FAT: no permission bits, two seconds from 1980 to 2107 in local time, known by its type.
    void fatIsKnownByItsType()
    {
        DiskImage disk(DiskImage::Kind::Fat, 40 << 20);
        if (!disk.isMounted())
            QSKIP(qPrintable(disk.reason()));
        const FileSystemKind kind = describeFileSystem(P(disk.path()));
        QVERIFY2(kind.typeName == "vfat" || kind.typeName == "fuse.fusefat", kind.typeName.c_str());
        QVERIFY(!kind.keepsPermissions);
        QCOMPARE(kind.timesKnown, TimesKnown::FromType);
        QCOMPARE(kind.times.resolutionNs, int64_t(2'000'000'000));
        QVERIFY(kind.times.bounded);
        struct tm local;
        const time_t earliest = time_t(kind.times.earliest.seconds);
        QVERIFY(::localtime_r(&earliest, &local));
        QCOMPARE(local.tm_year + 1900, 1980);
        QCOMPARE(local.tm_yday, 0);
        QCOMPARE(local.tm_hour, 0);
        const time_t latest = time_t(kind.times.latest.seconds);
        QVERIFY(::localtime_r(&latest, &local));
        QCOMPARE(local.tm_year + 1900, 2107);
        QCOMPARE(local.tm_sec, 58);
    }
};

QTEST_GUILESS_MAIN(TestFileSystemKind)
#include "tst_filesystemkind.moc"
