#include "app/AtomicFileWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtEndian>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Where the bytes really go: the target of a symbolic link (also of a dangling one), so a file kept
// elsewhere through a link stays there and the link is not replaced by a plain file.
QString resolvedTarget(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (!info.isSymLink())
        return fileName;
    const QString resolved = info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
    return resolved.isEmpty() ? fileName : resolved;
}

// A new name beside the target, short enough for any file system whatever the target's name is.
QString temporaryNameBeside(const QString& target)
{
    const QFileInfo info(target);
    const QString hex = QString::number(QRandomGenerator::global()->generate64(), 16);
    return info.path() + u"/."_s + info.fileName().left(40) + u'.' + hex + u".tmp"_s;
}

bool writeAll(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) { // a device that takes nothing: never spin on it
            errno = EIO;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// The directory entry of the rename reaches the disk too; a failure here cannot be undone and the
// file is already complete, so it is not reported.
void syncDirectory(const QString& target)
{
    const int fd = ::open(QFile::encodeName(QFileInfo(target).path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

void AppendUtf16Le(QByteArray& out, QStringView text)
{
    if (text.isEmpty()) // a null view has no data to copy from, not even nothing
        return;
    const qsizetype at = out.size();
    out.resize(at + text.size() * 2);
    qToLittleEndian<char16_t>(text.utf16(), text.size(), out.data() + at);
}

void AppendUtf16LeLine(QByteArray& out, QStringView line)
{
    AppendUtf16Le(out, line);
    AppendUtf16Le(out, u"\r\n");
}

QByteArray Utf16LeLinesBytes(const QStringList& lines)
{
    qsizetype units = 1;
    for (const QString& line : lines)
        units += line.size() + 2;
    QByteArray out;
    out.reserve(units * 2);
    out.append(Utf16LeByteOrderMark, 2);
    for (const QString& line : lines)
        AppendUtf16LeLine(out, line);
    return out;
}

bool WriteFileAtomically(const QString& fileName, const QByteArray& bytes, QString* errorText)
{
    return WriteFileAtomically(
        fileName, [&bytes](const TFileBytesSink& write) { return write(bytes.constData(), bytes.size()); }, errorText);
}

bool WriteFileAtomically(const QString& fileName, const std::function<bool(const TFileBytesSink& write)>& produce,
                         QString* errorText)
{
    auto fail = [errorText](int error) {
        if (errorText)
            *errorText = qt_error_string(error);
        return false;
    };
    if (fileName.isEmpty())
        return fail(ENOENT);

    const QString target = resolvedTarget(fileName);
    const QByteArray targetPath = QFile::encodeName(target);
    struct stat old {};
    const bool replacing = ::stat(targetPath.constData(), &old) == 0;
    // The rename would put a file in place of a directory's entry or fail late; say so now.
    if (replacing && S_ISDIR(old.st_mode))
        return fail(EISDIR);

    QByteArray tempPath;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tempPath = QFile::encodeName(temporaryNameBeside(target));
        fd = ::open(tempPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno != EEXIST)
            return fail(errno);
    }
    if (fd < 0)
        return fail(EEXIST);

    auto abandon = [&](int error) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(tempPath.constData());
        return fail(error);
    };
    if (replacing) {
        // The replacement looks like what it replaces. Only root may give a file away; for anyone
        // else a different owner of the old file simply stays unmatched.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0 && geteuid() == 0)
            return abandon(errno);
        if (::fchmod(fd, old.st_mode & 07777) != 0)
            return abandon(errno);
    }
    int writeError = 0;
    const TFileBytesSink write = [&](const char* data, qsizetype size) {
        if (writeAll(fd, data, size))
            return true;
        writeError = errno;
        return false;
    };
    if (!produce(write))
        return abandon(writeError ? writeError : EIO);
    // A full disk may show only here (delayed allocation, network file systems).
    if (::fsync(fd) != 0)
        return abandon(errno);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0)
        return abandon(errno);
    if (::rename(tempPath.constData(), targetPath.constData()) != 0)
        return abandon(errno);
    syncDirectory(target);
    return true;
}

bool WriteUtf16LeLinesFile(const QString& fileName, const QStringList& lines, QString* errorText)
{
    return WriteFileAtomically(fileName, Utf16LeLinesBytes(lines), errorText);
}

bool WriteUtf16LeLinesFile(const QString& fileName,
                           const std::function<void(const std::function<void(QStringView)>& sink)>& forEach,
                           QString* errorText)
{
    // Written as it is encoded, about a megabyte at a time: a log of a million lines is never held
    // twice.
    constexpr qsizetype ChunkBytes = 1 << 20;
    return WriteFileAtomically(
        fileName,
        [&forEach](const TFileBytesSink& write) {
            QByteArray buffer;
            buffer.reserve(ChunkBytes + 4096);
            buffer.append(Utf16LeByteOrderMark, 2);
            bool ok = true;
            forEach([&](QStringView line) {
                if (!ok)
                    return;
                AppendUtf16LeLine(buffer, line);
                if (buffer.size() >= ChunkBytes) {
                    ok = write(buffer.constData(), buffer.size());
                    buffer.clear();
                }
            });
            return ok && write(buffer.constData(), buffer.size());
        },
        errorText);
}
