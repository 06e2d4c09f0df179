// The platform's copy on disks unlike the one the tests run on: sparse files keep their holes, a
// file system without permission bits still gets content and time, what was written reaches the
// device, and a read after dropping the cache comes from the device.

#include "BackupTestRun.h"

#include "engine/MD5.h"
#include "engine/platform/Durability.h"
#include "engine/platform/Platform.h"

#include "support/DiskImage.h"
#include "support/SmallTmpfs.h"

#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace enginetest;
using testsupport::DiskImage;

namespace {

constexpr qint64 kMiB = 1 << 20;

struct Extent
{
    qint64 offset;
    qint64 length;
};

// A file of the given size holding data only in the given extents (each a different byte).
bool writeSparse(const QString& path, qint64 size, const QList<Extent>& extents)
{
    const int fd = ::open(Native(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = ::ftruncate(fd, size) == 0;
    char fill = 'a';
    for (const Extent& e : extents) {
        const QByteArray data(e.length, fill++);
        ok = ok && ::pwrite(fd, data.constData(), size_t(data.size()), e.offset) == data.size();
    }
    return ::close(fd) == 0 && ok;
}

qint64 allocatedBytes(const QString& path)
{
    struct stat st;
    return ::stat(Native(path).c_str(), &st) == 0 ? qint64(st.st_blocks) * 512 : -1;
}

platform::CopyResult copy(const QString& from, const QString& to, platform::CopyNotes* notes = nullptr)
{
    return platform::copyFile(PathViewOf(from), PathViewOf(to), nullptr, notes);
}

} // namespace

Q_DECLARE_METATYPE(QList<Extent>)

class TestDiskCopy : public QObject
{
    Q_OBJECT

private slots:
    void sparseFileKeepsItsHoles_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QList<Extent>>("extents");
        QTest::newRow("hole between data") << 16 * kMiB << QList<Extent>{{0, kMiB}, {15 * kMiB, kMiB}};
        QTest::newRow("leading hole") << 16 * kMiB << QList<Extent>{{12 * kMiB, 4 * kMiB}};
        QTest::newRow("trailing hole") << 16 * kMiB << QList<Extent>{{0, 64 * 1024}};
        QTest::newRow("nothing but a hole") << 150 * kMiB << QList<Extent>{};
        QTest::newRow("unaligned ends") << 10 * kMiB + 123 << QList<Extent>{{4097, 5000}, {10 * kMiB, 123}};
        QTest::newRow("no hole") << 3 * kMiB << QList<Extent>{{0, 3 * kMiB}};
    }

    void sparseFileKeepsItsHoles()
    {
        QFETCH(qint64, size);
        QFETCH(QList<Extent>, extents);
        QTemporaryDir dir;
        const QString src = dir.path() + QStringLiteral("/src.img");
        const QString dst = dir.path() + QStringLiteral("/dst.img");
        QVERIFY(writeSparse(src, size, extents));
        QCOMPARE(copy(src, dst), platform::CopyResult::Copied);
        QCOMPARE(QFileInfo(dst).size(), size);
        QVERIFY(ReadFile(dst) == ReadFile(src));
        // The copy takes no more room than its source (a file system may round up to a block).
        QVERIFY2(allocatedBytes(dst) <= allocatedBytes(src) + 64 * 1024,
                 qPrintable(QStringLiteral("source %1, copy %2 bytes on disk").arg(allocatedBytes(src)).arg(allocatedBytes(dst))));
    }

    // FAT has no permission bits: the copy still succeeds with its content and its time (to FAT's two
    // seconds), and says that the permissions were not kept.
    void fatKeepsContentAndTimeWithoutPermissions()
    {
        DiskImage disk(DiskImage::Kind::Fat, 40 << 20);
        if (!disk.isMounted())
            QSKIP(qPrintable(disk.reason()));
        QTemporaryDir dir;
        const QString src = dir.path() + QStringLiteral("/a.txt");
        QVERIFY(WriteFile(src, "content", 1'600'000'001, 987'654'321));
        QVERIFY(Chmod(src, 0600));
        const QString dst = disk.path() + QStringLiteral("/a.txt");
        platform::CopyNotes notes;
        QCOMPARE(copy(src, dst, &notes), platform::CopyResult::Copied);
        QVERIFY(notes.permissionsNotKept);
        QCOMPARE(ReadFile(dst), QByteArray("content"));
        QVERIFY(MTime(dst) >= 1'600'000'000 && MTime(dst) <= 1'600'000'001);

        QCOMPARE(platform::setPermissionsIfKept(PathViewOf(disk.path()), 0700), platform::PermissionResult::NotKept);
        QCOMPARE(platform::setPermissionsIfKept(PathViewOf(dir.path()), 0700), platform::PermissionResult::Kept);
        QCOMPARE(platform::setPermissionsIfKept(PathViewOf(dir.path() + QStringLiteral("/missing")), 0700),
                 platform::PermissionResult::Failed);
        QCOMPARE(platform::lastError().code, ENOENT);
    }

    // A file system that keeps permissions still refuses them to a user who does not own the file:
    // that is a failure, not a file system without permission bits.
    void othersFileIsRefusedNotUnkept()
    {
        QTemporaryDir dir;
        const QString file = dir.path() + QStringLiteral("/roots");
        QVERIFY(WriteFile(file, "x"));
        QVERIFY(Chmod(dir.path(), 0755));
        QByteArray result;
        if (!RunAsNobody([&] {
                const auto r = platform::setPermissionsIfKept(PathViewOf(file), 0600);
                return QByteArray::number(int(r)) + ' ' + QByteArray::number(platform::lastError().code);
            }, &result))
            QSKIP("needs root and the user nobody: run as an ordinary user who does not own the file");
        QCOMPARE(result, QByteArray::number(int(platform::PermissionResult::Failed)) + ' ' + QByteArray::number(EPERM));
        QCOMPARE(Mode(file), mode_t(0644));
    }

    // After the cache is dropped, a read shows what the device holds, not what was written.
    void droppedCacheReadsTheDevice()
    {
        DiskImage disk(DiskImage::Kind::Ext4SmallInodes, 16 << 20);
        if (!disk.isMounted())
            QSKIP(qPrintable(disk.reason()));
        const QString file = disk.path() + QStringLiteral("/copy.bin");
        const QByteArray written = QByteArray("written by the copy.").repeated(200).left(4096);
        const QByteArray onDevice = QByteArray("spoilt on the device").repeated(200).left(4096);
        QVERIFY(WriteFile(file, written)); // in the cache, not yet on the device
        const TMD5 md5;
        const TMD5Digest ofWritten = md5.HashBytes(written.constData(), size_t(written.size()));
        // Written out by the digest that reads the device, and found there.
        QVERIFY(SameMD5Digest(GetFileMD5(file, nullptr, TDigestRead::FromDevice), ofWritten));
        QVERIFY(disk.patchImage(written, onDevice));
        QCOMPARE(ReadFile(file), written); // still the cache's
        QVERIFY(SameMD5Digest(GetFileMD5(file, nullptr), ofWritten));
        // A verification's digest reads what the device holds.
        QVERIFY(SameMD5Digest(GetFileMD5(file, nullptr, TDigestRead::FromDevice),
                              md5.HashBytes(onDevice.constData(), size_t(onDevice.size()))));
        QCOMPARE(ReadFile(file), onDevice);
        QVERIFY(platform::dropCachedData(PathViewOf(file)));
    }

    void syncFileSystem()
    {
        QTemporaryDir dir;
        QVERIFY(platform::syncFileSystem(PathViewOf(dir.path()), nullptr));
        std::atomic<bool> stopped{true};
        platform::syncFileSystem(PathViewOf(dir.path()), &stopped); // returns, done or left behind
        QVERIFY(!platform::syncFileSystem(PathViewOf(dir.path() + QStringLiteral("/missing")), nullptr));
        QCOMPARE(platform::lastError().code, ENOENT);
        QVERIFY(!platform::dropCachedData(PathViewOf(dir.path())));
        QCOMPARE(platform::lastError().code, EISDIR);
    }
};

QTEST_GUILESS_MAIN(TestDiskCopy)
#include "tst_diskcopy.moc"
