#pragma once

// The unattended run ("/t=name /s") where no display can be reached (cron, ssh, a server): the named
// task list runs on the run driver in a QCoreApplication, with no window at all. It reads and writes
// what the window's creation and destruction do, in the same order and format: the language files,
// the settings, every task list file and the shortcut key file.
//
// It says nothing when all went well (cron mails only when something went wrong); when something
// failed, one line on standard error says what and where the log is. On a terminal one progress line
// on standard error is rewritten in place while the list runs.
//
// The process-wide run request must be set. Returns the exit status: 0; 1 when an item failed, a
// directory was missing, the run was stopped or a file could not be written; 2 when there is no such
// task list.
int RunUnattended();
