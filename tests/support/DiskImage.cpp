#include "support/DiskImage.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <fcntl.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace testsupport {

namespace {

constexpr long kFuseMagic = 0x65735546;

bool isFuseMount(const QString& path)
{
    struct statfs fs;
    return ::statfs(QFile::encodeName(path).constData(), &fs) == 0 && fs.f_type == kFuseMagic;
}

} // namespace

bool DiskImage::run(const QString& program, const QStringList& arguments)
{
    const QString found = QStandardPaths::findExecutable(program, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"),
                                                                   QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
    if (found.isEmpty()) {
        m_reason = program + QStringLiteral(" is not installed (scripts/install-deps.sh installs it)");
        return false;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(found, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        m_reason = program + u' ' + arguments.join(u' ') + QStringLiteral(" failed: ")
                   + QString::fromLocal8Bit(process.readAll()).trimmed();
        return false;
    }
    return true;
}

DiskImage::DiskImage(Kind kind, qint64 sizeBytes)
{
    if (::geteuid() != 0) {
        m_reason = QStringLiteral("mounting a disk image needs root");
        return;
    }
    if (!m_dir.isValid() || !QDir(m_dir.path()).mkdir(QStringLiteral("mnt"))) {
        m_reason = QStringLiteral("no temporary directory");
        return;
    }
    m_image = m_dir.path() + QStringLiteral("/disk.img");
    {
        QFile image(m_image);
        if (!image.open(QIODevice::WriteOnly) || !image.resize(sizeBytes)) {
            m_reason = QStringLiteral("the image file cannot be made");
            return;
        }
    }
    if (kind == Kind::Ext4SmallInodes) {
        if (!run(QStringLiteral("mkfs.ext4"), {QStringLiteral("-q"), QStringLiteral("-F"), QStringLiteral("-I"),
                                               QStringLiteral("128"), m_image}))
            return;
        if (!run(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("loop"), m_image, path()})) {
            m_reason = QStringLiteral("a loop device cannot be mounted here: ") + m_reason;
            return;
        }
        m_mounted = true;
        return;
    }
    if (!run(QStringLiteral("mkfs.fat"), {QStringLiteral("-F"), QStringLiteral("32"), m_image}))
        return;
    if (run(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("vfat"), QStringLiteral("-o"),
                                      QStringLiteral("loop"), m_image, path()})) {
        m_mounted = true;
        return;
    }
    // No FAT driver in this kernel: the FUSE one.
    const QString kernelReason = m_reason;
    if (!run(QStringLiteral("fusefat"), {QStringLiteral("-o"), QStringLiteral("rw+"), m_image, path()})) {
        m_reason = QStringLiteral("FAT cannot be mounted here (kernel: %1; FUSE: %2)").arg(kernelReason, m_reason);
        return;
    }
    m_fuse = true;
    // The driver goes to the background once mounted; wait until the mount is there.
    for (int i = 0; i < 100 && !isFuseMount(path()); ++i)
        QThread::msleep(20);
    m_mounted = isFuseMount(path());
    if (!m_mounted)
        m_reason = QStringLiteral("the FUSE FAT driver did not mount the image");
}

DiskImage::~DiskImage()
{
    if (!m_mounted)
        return;
    ::sync();
    if (m_fuse)
        run(QStringLiteral("fusermount"), {QStringLiteral("-u"), QStringLiteral("-z"), path()});
    else
        run(QStringLiteral("umount"), {QStringLiteral("-l"), path()});
}

bool DiskImage::patchImage(const QByteArray& find, const QByteArray& replace)
{
    if (find.size() != replace.size())
        return false;
    QFile image(m_image);
    if (!image.open(QIODevice::ReadWrite))
        return false;
    const QByteArray bytes = image.readAll();
    const qsizetype at = bytes.indexOf(find);
    if (at < 0 || !image.seek(at) || image.write(replace) != replace.size() || !image.flush())
        return false;
    return ::fdatasync(image.handle()) == 0;
}

} // namespace testsupport
