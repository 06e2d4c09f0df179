#pragma once

// Path and file-system helpers of the backup engine. Paths are QString; they reach the file system
// through the platform layer, which keeps every name exactly.

#include <QString>

#include <exception>
#include <string>

// Base of the engine's errors: a message meant for a log line or a message box, and the reason as a
// log line shows it ("(" + text + ")"), taken where the failure happened (empty when unknown).
class ERsError : public std::exception
{
public:
    explicit ERsError(const QString& message, const QString& reason = {});
    const QString& message() const { return m_message; }
    const QString& reason() const { return m_reason; }
    const char* what() const noexcept override;

private:
    QString m_message;
    QString m_reason;
    std::string m_what; // UTF-8 copy for what()
};

// A file-system step failed with the system's error code; the reason is that code's text.
class ERsFileError : public ERsError
{
public:
    ERsFileError(const QString& message, int code);
    int code() const { return m_code; }

private:
    int m_code;
};

// The system's text for an error code as a log line shows a reason: "(" + text + ")".
QString ReasonText(int code);
// The reason of a failure as a log line shows it: the one the error carries, else its own text.
QString ReasonOf(const std::exception& error);

// The long-path form of an absolute Windows path: "\\server\share\x" becomes "\\?\UNC\server\share\x",
// any other path "\\?\" + path, a bare name being first made absolute against the current directory.
// Only paths handed to the Win32 file calls need it; POSIX has no such limit, so the POSIX engine
// opens files by their plain path and keeps this as a string function.
QString AddLongPathPrefix(const QString& path);

// True when path names an existing directory (with followLinks, a link to one counts).
bool IsExistingDirectory(const QString& path, bool followLinks);

// Makes a file writable before it is overwritten or deleted: when the owner may not write it, the
// owner gets write permission (a link is left as it is: replacing it needs no permission of its own).
// Throws ERsFileError when the file cannot be read or changed, a missing file included.
void MakeFileWritable(const QString& fileName);

// Switches compression of a file or directory. A read-only path is made writable for the switch
// and read-only again afterwards, whatever happened. Throws ERsFileError on failure.
void SetCompressedAttribute(const QString& path, quint32 attributes, bool on);

// Switches encryption of a file or directory, with the same read-only handling; never fails. POSIX
// has no per-file encryption switch, so only the read-only handling remains.
void SetEncryptedAttribute(const QString& path, quint32 attributes, bool on);

// The calling thread's last system error as "(" + text + ")", for log lines. Call it on the thread
// whose step failed, right after the failure.
QString LastErrorText();
