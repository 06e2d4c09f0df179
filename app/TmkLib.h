#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

// ---- Command-line run request
// Written once by the program entry before the main window exists; read and cleared by the main
// window.

// A task list is to be run at start.
extern bool CommandLineRun;
// The run is unattended: the main window stays hidden and the program quits after the run.
extern bool SilentRun;
// The requested task list name: the text after "/t=", with ASCII letters lower-cased.
extern QString CommandLineTaskListName;
// Index of that list in the task list manager; set by the main window when it finds the list.
extern int CommandLineTaskListIndex;

enum class TCommandLineResult
{
    Ok,
    InvalidOption,     // "A command line option is invalid."
    TooManyOptions,    // "There are too many options in a command line."
    EmptyTaskListName, // "A TaskListName is empty."
};

struct TCommandLineRequest
{
    bool run = false;
    bool silent = false;
    QString taskListName;
};

// Parses the program's arguments (argv[0] excluded). Each argument is ASCII-lower-cased first.
// request is cleared, then filled on success; on an error it stays cleared.
TCommandLineResult ParseCommandLine(const QStringList& arguments, TCommandLineRequest& request);
// The message shown for a parse error (empty for Ok).
QString CommandLineErrorText(TCommandLineResult result);
// Copies a parsed request into the process-wide run request.
void SetCommandLineRunRequest(const TCommandLineRequest& request);
// Clears the process-wide run request (flags false, name empty).
void ClearCommandLineRunRequest();

// The operating system is recent enough. Every system this program builds for qualifies.
bool IsSupportedOperatingSystem();

// ---- Text helpers

// Only the letters A-Z are folded; every other character stays as it is.
QString AsciiLowerCase(const QString& text);
QString AsciiUpperCase(const QString& text);
// Compares by UTF-16 code unit after folding a-z to A-Z (no other folding, no locale); a prefix
// sorts before the longer text. Negative, zero or positive.
int CompareTextAscii(QStringView a, QStringView b);
bool SameTextAscii(QStringView a, QStringView b);

// True for exactly the nine characters " * / : < > ? \ | (control characters are not included).
bool IsInvalidFileNameChar(QChar c);
// True when a whole name holds a character that may not appear in a task list name or an
// excluded extension: one of the nine above or U+0000-U+001F.
bool ContainsInvalidFileNameChar(QStringView name);
// The nine characters in ascending code order, separated by single spaces.
QString GetInvalidFileNameCharsText();
// Removes the four characters starting at the first "(&" ("ヘルプ(&H)" -> "ヘルプ").
QString DeleteAccelerator(const QString& text);

// ---- Clock
// The current local date-time used for dated log names and log times. Tests fix it with
// SetCurrentDateTimeFunction; an empty function restores the system clock.
QDateTime CurrentDateTime();
void SetCurrentDateTimeFunction(std::function<QDateTime()> now);
