#include "engine/RsFileUtils.h"

#include "engine/platform/PosixAt.h"

#include "engine/platform/PathCodec.h"
#include "engine/platform/Platform.h"

#include <cerrno>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

platform::PathView pathView(const QString& path)
{
    return platform::PathView(reinterpret_cast<const char16_t*>(path.utf16()), size_t(path.size()));
}

QString fromPath(const platform::Path& path)
{
    return QString::fromUtf16(path.data(), qsizetype(path.size()));
}

[[noreturn]] void throwLastError()
{
    const platform::Error error = platform::lastError();
    throw ERsFileError(fromPath(error.text), error.code);
}

// Characters that may not appear in a Windows path; "*" and "?" pass, as in the long-path test.
bool isInvalidPathChar(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || u == u'"' || u == u'<' || u == u'>' || u == u'|';
}

bool hasInvalidPathChar(const QString& path)
{
    for (const QChar c : path) {
        if (isInvalidPathChar(c))
            return true;
    }
    return false;
}

// The read-only handling around a compression or encryption switch.
class ReadOnlyLift
{
public:
    ReadOnlyLift(const QString& path, quint32 attributes)
        : m_path(pathView(path)), m_readOnly(attributes & platform::kAttrReadOnly)
    {
        if (m_readOnly)
            platform::makeWritable(m_path); // result ignored: the switch reports its own failure
    }
    ~ReadOnlyLift()
    {
        if (!m_readOnly)
            return;
        const platform::Error saved = platform::lastError();
        platform::setOwnerWritable(m_path, false);
        platform::setLastError(saved.code); // the switch's failure stays the one reported
    }
    ReadOnlyLift(const ReadOnlyLift&) = delete;
    ReadOnlyLift& operator=(const ReadOnlyLift&) = delete;

private:
    platform::PathView m_path;
    bool m_readOnly;
};

} // namespace

ERsError::ERsError(const QString& message, const QString& reason)
    : m_message(message)
    , m_reason(reason)
    , m_what(message.toStdString())
{
}

const char* ERsError::what() const noexcept
{
    return m_what.c_str();
}

ERsFileError::ERsFileError(const QString& message, int code)
    : ERsError(message, ReasonText(code))
    , m_code(code)
{
}

QString ReasonText(int code)
{
    return u'(' + fromPath(platform::errorText(code)) + u')';
}

QString ReasonOf(const std::exception& error)
{
    if (const auto* own = dynamic_cast<const ERsError*>(&error); own && !own->reason().isEmpty())
        return own->reason();
    return u'(' + QString::fromUtf8(error.what()) + u')';
}

QString AddLongPathPrefix(const QString& path)
{
    if (path.size() > 2 && path[0] == u'\\' && path[1] == u'\\' && !isInvalidPathChar(path[2])
        && !hasInvalidPathChar(path))
        return u"\\\\?\\UNC\\"_s + path.mid(2);
    QString full = path;
    const bool hasDirectoryPart = path.contains(u'\\') || path.contains(u'/')
                                  || (path.size() >= 2 && path[1] == u':');
    if (!hasDirectoryPart) {
        const platform::Path cwd = platform::currentDirectory();
        QString base = fromPath(cwd);
        if (!base.endsWith(u'\\') && !base.endsWith(u'/'))
            base += u'\\';
        full = base + path;
    }
    return u"\\\\?\\"_s + full;
}

bool IsExistingDirectory(const QString& path, bool followLinks)
{
    return platform::isExistingDirectory(pathView(path), followLinks);
}

void MakeFileWritable(const QString& fileName)
{
    if (fileName.trimmed().isEmpty()) {
        platform::setLastError(ENOENT);
        throwLastError();
    }
    platform::DirEntry entry;
    if (!platform::statPath(pathView(fileName), false, entry))
        throwLastError();
    if (entry.attributes & platform::kAttrReadOnly) {
        if (!platform::makeWritable(pathView(fileName)))
            throwLastError();
    }
}

void SetCompressedAttribute(const QString& path, quint32 attributes, bool on)
{
    ReadOnlyLift lift(path, attributes);
    std::string native;
    if (!platform::codec::encodeStrict(pathView(path), native)) {
        platform::setLastError(errno);
        throwLastError();
    }
    // The file system's own compression flag (honoured by btrfs, refused by most others).
    const int flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK
                      | ((attributes & platform::kAttrDirectory) ? O_DIRECTORY : 0);
    platform::posix::AtPath at; // a path of any length
    const int fd = at.open(native) ? ::openat(at.dir(), at.name(), flags) : -1;
    if (fd < 0) {
        platform::setLastError(errno);
        throwLastError();
    }
    int fsFlags = 0;
    int rc = ::ioctl(fd, FS_IOC_GETFLAGS, &fsFlags);
    if (rc == 0) {
        fsFlags = on ? (fsFlags | FS_COMPR_FL) : (fsFlags & ~FS_COMPR_FL);
        rc = ::ioctl(fd, FS_IOC_SETFLAGS, &fsFlags);
    }
    const int err = errno;
    ::close(fd);
    if (rc != 0) {
        platform::setLastError(err);
        throwLastError();
    }
}

void SetEncryptedAttribute(const QString& path, quint32 attributes, bool on)
{
    Q_UNUSED(on);
    ReadOnlyLift lift(path, attributes);
}

QString LastErrorText()
{
    return u'(' + fromPath(platform::lastError().text) + u')';
}
