#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

// The one writer of every file the program keeps: settings, shortcut keys, task lists, logs and the
// default language file. They are all UTF-16 LE text after a byte order mark, each line ended by
// CR LF, and each is replaced as a whole.
//
// A file is never written in place: the bytes go to a new file beside it, every write, the flush to
// the disk and the close are checked, and only a complete copy is renamed over the old file. A full
// disk, a size limit or a crash therefore leaves the old file as it was (at worst a stray temporary
// file), and every failure is reported, never taken for success.

// The byte order mark that starts every text file the program writes.
inline constexpr char Utf16LeByteOrderMark[] = "\xFF\xFE";

// Appends text as UTF-16 LE, without a line end.
void AppendUtf16Le(QByteArray& out, QStringView text);
// Appends text as UTF-16 LE followed by CR LF.
void AppendUtf16LeLine(QByteArray& out, QStringView line);
// The byte order mark, then every line followed by CR LF (the last one included).
QByteArray Utf16LeLinesBytes(const QStringList& lines);

// Replaces the content of fileName by bytes as described above. A file reached through a symbolic
// link is replaced where the link points, so the link stays a link; a file that exists keeps its
// permission bits (and, where this user may, its owner). False with *errorText set to the reason
// (the system's text) when the file could not be replaced; the old file is then untouched.
bool WriteFileAtomically(const QString& fileName, const QByteArray& bytes, QString* errorText = nullptr);
// Takes the bytes of a file as they are made; false when they could not be written (the content
// producer then stops).
using TFileBytesSink = std::function<bool(const char* data, qsizetype size)>;
// The same, for content too large to be made whole first (the log of a million lines): produce hands
// its bytes to the sink in pieces and returns false when it failed itself.
bool WriteFileAtomically(const QString& fileName, const std::function<bool(const TFileBytesSink& write)>& produce,
                         QString* errorText = nullptr);

// WriteFileAtomically of Utf16LeLinesBytes(lines).
bool WriteUtf16LeLinesFile(const QString& fileName, const QStringList& lines, QString* errorText = nullptr);
// The same for lines handed out one by one: forEach calls its sink with every line in order.
bool WriteUtf16LeLinesFile(const QString& fileName,
                           const std::function<void(const std::function<void(QStringView)>& sink)>& forEach,
                           QString* errorText = nullptr);
