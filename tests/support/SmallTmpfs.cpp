#include "support/SmallTmpfs.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace testsupport {

SmallTmpfs::SmallTmpfs(qint64 sizeBytes)
{
    if (!m_dir.isValid()) {
        m_reason = QStringLiteral("no temporary directory");
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(sizeBytes) + ",mode=0755";
    if (::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, options.constData()) != 0) {
        m_reason = QStringLiteral("a small tmpfs cannot be mounted here (%1): a full disk cannot be made")
                       .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    m_mounted = true;
}

SmallTmpfs::~SmallTmpfs()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}

bool SmallTmpfs::fillUp()
{
    const QByteArray name = QFile::encodeName(m_dir.path() + QStringLiteral("/filler"));
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    static const char block[4096] = {};
    // Large blocks first, then single bytes for the last partial page.
    while (::write(fd, block, sizeof block) > 0) {
    }
    while (::write(fd, block, 1) > 0) {
    }
    const bool full = errno == ENOSPC;
    ::close(fd);
    return full;
}

void SmallTmpfs::makeRoom()
{
    ::unlink(QFile::encodeName(m_dir.path() + QStringLiteral("/filler")).constData());
}

} // namespace testsupport
