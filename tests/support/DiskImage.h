#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// A file system of its own, made in an image file and mounted on a fresh temporary directory (root
// only), for the cases that need a disk unlike the one the tests run on. Unmounted when it goes.
class DiskImage
{
public:
    enum class Kind {
        Ext4SmallInodes, // ext4 with 128-byte inodes: whole seconds up to 2038, through a loop device
        Fat,             // FAT32: the kernel's driver where it has one, else the FUSE driver
    };

    DiskImage(Kind kind, qint64 sizeBytes);
    ~DiskImage();
    DiskImage(const DiskImage&) = delete;
    DiskImage& operator=(const DiskImage&) = delete;

    // False when it could not be made or mounted; reason() then says why (for QSKIP).
    bool isMounted() const { return m_mounted; }
    QString reason() const { return m_reason; }
    QString path() const { return m_dir.path() + QStringLiteral("/mnt"); }

    // Changes what the device holds: the first occurrence of find in the image becomes replace (of
    // the same length), written to the image file and flushed, behind the mounted file system's back.
    bool patchImage(const QByteArray& find, const QByteArray& replace);

private:
    bool run(const QString& program, const QStringList& arguments);

    QTemporaryDir m_dir;
    QString m_image;
    bool m_mounted = false;
    bool m_fuse = false;
    QString m_reason;
};

} // namespace testsupport
