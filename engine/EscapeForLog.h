#pragma once

// Names as log lines show them. A file name may hold any byte but "/" and NUL: a line break in one
// would start a forged line in the log (a fake deletion line, say), and a byte that is not UTF-8 (a
// lone surrogate U+DC80..U+DCFF of the path codec) would make the UTF-16 log file invalid. In a line,
// such characters appear as visible escapes, so that every item is exactly one line of valid text.
// The name on disk is never touched.

#include <QString>

// The name with
//   "\" as "\\" (so that an escape is never mistaken for the name's own text),
//   TAB, LF and CR as "\t", "\n", "\r", every other C0 control and DEL as "\x01" .. "\x7F",
//   a byte that is not UTF-8 (U+DC80..U+DCFF standing alone) as "\x80" .. "\xFF", the byte itself,
//   C1 controls, the line and paragraph separators U+2028 and U+2029 and any other lone surrogate as
//   "\u0085", "\u2028", "\uD800",
// and everything else as it is. A name that needs none of it comes back as it is, without a copy.
QString EscapeForLog(const QString& name);
// A path as the user typed it into a task (the header of a task's log, its refusals): as it is,
// backslashes included (a Windows-style path keeps its delimiters), unless it holds a character that
// would break the line or the file; then escaped whole as EscapeForLog does, so it reads unambiguously.
QString EscapeTaskPathForLog(const QString& path);
