#pragma once

#include <QByteArray>
#include <QString>

// Helpers shared by the test programs.
namespace testsupport {

// Writes raw bytes to a file, creating or truncating it; returns false on failure.
bool writeBytes(const QString& path, const QByteArray& bytes);

// Reads a whole file as raw bytes; an empty array when it cannot be read.
QByteArray readBytes(const QString& path);

// The text as it is stored in the system's files: UTF-16 LE with the byte order mark.
QByteArray utf16leWithBom(const QString& text);

// The program folder the build assembles (<build>/dist; the tests run from <build>/tests).
QString distDirectory();
// Copies every file below from into to, with its permissions.
bool copyTree(const QString& from, const QString& to);
// A program folder of a test's own: the built installation without what a manual run of the program
// in the build tree left there (settings, shortcut keys, task lists, logs, the default language file).
bool copyProgramFolder(const QString& to);

} // namespace testsupport
