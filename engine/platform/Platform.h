#pragma once

// The file system as the engine sees it. Plain C++: paths are UTF-16 (QString wraps them without
// conversion). The POSIX implementation maps them to byte strings through a codec that keeps every
// name exactly (UTF-8, with each byte of an invalid sequence carried as a lone surrogate
// U+DC80..U+DCFF). A Win32 implementation can be put beside it behind the same header.
//
// Every function that fails records the error (code and text) for the calling thread, read back with
// lastError(), as GetLastError does.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

using Path = std::u16string;
using PathView = std::u16string_view;

inline constexpr char16_t kPathDelimiter = u'/';

// The attribute word. On POSIX it is synthesised: directory, read-only when the owner may not write,
// hidden for names beginning with ".", archive for regular files; the permission bits (mode & 07777)
// ride in the high 16 bits so two words are equal exactly when kind, hidden-ness and permissions are.
inline constexpr uint32_t kAttrReadOnly = 0x1;
inline constexpr uint32_t kAttrHidden = 0x2;
inline constexpr uint32_t kAttrSystem = 0x4;
inline constexpr uint32_t kAttrDirectory = 0x10;
inline constexpr uint32_t kAttrArchive = 0x20;
inline constexpr uint32_t kAttrNormal = 0x80;
inline constexpr uint32_t kAttrCompressed = 0x800;
inline constexpr uint32_t kAttrEncrypted = 0x4000;

enum class EntryKind : uint8_t {
    File,          // a regular file, or a link to one
    Directory,     // a directory, or (when links are followed) a link to one
    DirectoryLink, // a link to a directory, reported as such when links are not followed
    Other,         // FIFO, socket, device, dangling link: never read, never copied
};

struct FileTime
{
    int64_t seconds = 0;     // since 1970-01-01 UTC
    int32_t nanoseconds = 0;
};

struct DirEntry
{
    Path name;
    EntryKind kind = EntryKind::Other;
    uint32_t attributes = 0;
    FileTime modified;
    uint64_t size = 0;
    // Identity of the entry: of its target when a link was followed; a DirectoryLink carries its own
    // identity but its target's attributes and time.
    uint64_t device = 0;
    uint64_t inode = 0;
    bool isLink = false; // the entry itself is a symbolic link (followed or not)
};

struct Error
{
    int code = 0;
    std::u16string text; // the system's message, trailing blanks and dots removed, no parentheses
};

// The calling thread's last recorded error.
Error lastError();
void setLastError(int code);
// The system's text for an error code, trailing spaces and dots removed.
Path errorText(int code);

// Encodes a path for the system call and back, exactly. A path holding U+0000 or a lone surrogate
// outside U+DC80..U+DCFF has no exact byte form: every call below refuses it (EINVAL / EILSEQ);
// toNative still gives a readable form for messages (see PathCodec.h).
std::string toNative(PathView path);
Path fromNative(std::string_view bytes);

// Called for an entry that was listed but whose status could not be read (its name, the error).
using EntryErrorFunction = std::function<void(const Path& name, int code)>;

// Lists the entries of a directory ("." and ".." are not reported). followLinks decides whether a
// link to a directory is reported as Directory (with the target's identity) or as DirectoryLink.
// The callback returns false to end the listing early. Returns false when the directory cannot be
// opened or read to its end (the error is recorded). An entry whose status cannot be read (other
// than one removed meanwhile) is not reported to onEntry but to onError, when given. Paths of any
// length are accepted, as by every call below.
bool enumerateDirectory(PathView directory, bool followLinks,
                        const std::function<bool(const DirEntry&)>& onEntry,
                        const EntryErrorFunction& onError = {});

// Kind, attributes and time of one path; false (error recorded) when it does not exist.
bool statPath(PathView path, bool followLinks, DirEntry& out);

bool isExistingDirectory(PathView path, bool followLinks);
// Applies the permission bits carried by an attribute word exactly (follows links); the low bits are
// then not looked at. A word without permission bits (made by hand) only sets or clears the owner's
// write permission according to its read-only bit.
bool setAttributes(PathView path, uint32_t attributes);
// Sets the permission bits (mode & 07777) exactly (follows links).
bool setPermissions(PathView path, uint32_t mode);
enum class PermissionResult { Kept, NotKept, Failed };
// setPermissions where the file system keeps permission bits at all: NotKept when it refuses them as
// such (ENOSYS, EOPNOTSUPP; EPERM on a path this process owns, or to the super-user), which leaves
// the path as it was and is no failure; Failed (error recorded) for anything else.
PermissionResult setPermissionsIfKept(PathView path, uint32_t mode);
// Gives the owner write permission when it lacks it.
bool makeWritable(PathView path);
// Gives or takes the owner's write permission. Neither function changes a link or follows it: a link
// has no permissions of its own, and its target may lie outside the tree.
bool setOwnerWritable(PathView path, bool writable);
enum class LiftResult { Unchanged, Lifted, Failed };
// Makes a directory writable and searchable for this process, so that entries can be created,
// replaced and removed in it: when the process may not, and owns the directory, the owner gets write
// and search permission and previousMode receives the bits to put back afterwards. A link is never
// changed (Unchanged).
LiftResult liftDirectoryForWriting(PathView path, uint32_t& previousMode);
// Creates a directory and any missing parents; true when it exists afterwards.
bool createDirectories(PathView path);
bool deleteFile(PathView path);
// Removes one empty directory.
bool removeDirectory(PathView path);
// Removes a directory with everything below it, never following links (a link is removed itself).
bool removeDirectoryTree(PathView path);

// The temporary file of a copy: this prefix and six letters or digits, in the destination's
// directory. Only this program makes such names.
inline constexpr std::u16string_view kCopyTemporaryPrefix = u".tsumiki-";
inline constexpr std::size_t kCopyTemporaryRandomLength = 6;
// True for a name that a copy's temporary file has (one left by a run that was killed).
bool isCopyTemporaryName(PathView name);

// On this file system two names are the same entry only when they are identical. A case-insensitive
// file system (Windows) would answer false, and the engine then folds case as it looks names up.
inline constexpr bool kNamesAreCaseSensitive = true;

enum class CopyResult { Copied, Failed, Stopped };
// What a copy that succeeded could not keep.
struct CopyNotes
{
    bool permissionsNotKept = false; // the destination's file system refuses permission bits
};
// Copies content, permission bits and modification time into a temporary file beside the
// destination, then renames it over the destination: a failed or stopped copy leaves any previous
// destination untouched and no partial file behind. The holes of a sparse source stay holes.
// Permission bits are kept where the file system has them (notes says when not). stopFlag (may be
// null) is tested between chunks; a source whose file system stops answering is left behind within
// a second of a stop (Stopped), its copy abandoned and its temporary file removed once it returns.
// bytesDone (may be null) grows by every byte copied, as the copy goes; it is shared with the copy,
// which may outlive the call.
CopyResult copyFile(PathView source, PathView destination, const std::atomic<bool>* stopFlag,
                    CopyNotes* notes = nullptr, const std::shared_ptr<std::atomic<uint64_t>>& bytesDone = {});

// The date-time of the system's files: days since 1899-12-30 in local time, to the millisecond.
double toLocalDateTime(const FileTime& time);

// toLocalDateTime for many times in a row, as a scan needs it: asking the time zone once per file
// costs a lock and a table search each time, so the offset is asked once per calendar day (UTC)
// and remembered. A day on which the offset changes, or on which the zone counts leap seconds, is
// converted time by time. Gives exactly what toLocalDateTime gives. One per thread; it does not
// notice a change of the time zone while it lives.
class LocalTimeConverter
{
public:
    double convert(const FileTime& time);

private:
    struct Slot
    {
        int64_t day = INT64_MIN;
        int64_t offset = 0;
        bool uniform = false;
    };
    std::array<Slot, 64> m_slots;
};

Path currentDirectory();

} // namespace platform
