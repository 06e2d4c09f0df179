#pragma once

// The files of a task list in the program directory, as the editing commands find and delete them.

#include <QString>
#include <QStringList>

class QObject;

// The log files of the list named name in dir (with its trailing "/"): the undated log, whose name
// without ".log" equals name ignoring ASCII letter case, and the dated logs, named exactly name
// followed by eight decimal digits. Only regular files (or links to them); never another list's.
QStringList TaskListLogFiles(const QString& dir, const QString& name);

// True when both paths name one existing file (as on a file system that ignores letter case).
bool IsSameExistingFile(const QString& a, const QString& b);

// Deletes the files in order; a file that is not there is no failure. At the first failure the
// remaining files stay, an error box over owner names the file (or shownPath when given) and the
// system's reason, and false is returned.
bool DeleteFilesInOrder(const QStringList& paths, QObject* owner, const QString& shownPath = QString());

// The error box for a file that could not be written: its path and the system's reason.
void ReportWriteFailure(const QString& path, const QString& reason, QObject* owner);
