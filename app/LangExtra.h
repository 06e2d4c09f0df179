#pragma once

// Texts the program shows beyond those of the default language file (warnings and lines added for
// safety, progress). They are read from the current language file like every other text, but the
// default language file never lists them, so it stays as it always was; a language file that lacks
// one shows the built-in kana text. Each variable starts with its built-in text, so code that runs
// before a language file is read (the engine's tests, the unattended run's first lines) has it too.

#include <QList>
#include <QString>

// Each group below belongs to one area of the program; add a text at the end of its own group.

// ---- main window
// The log pane's heading, fixed in the window until a language file names it.
extern QString LogLabel;
// Quitting all copies: the process ids of copies that did not close in time.
extern QString MsgWarnInstanceNotClosed;

// ---- editing task lists and tasks
// The name of a task list would share its file with %s (another list's file, the settings file or the
// shortcut key file).
extern QString MsgWarnTaskListNameTaken;
// The task's destination is its source: both paths follow the text.
extern QString MsgWarnTaskPathsSame;
// The destination lies inside the source and subdirectories are included.
extern QString MsgWarnTaskDstInsideSrc;
// The mirrored source lies inside the destination.
extern QString MsgWarnTaskSrcInsideDst;

// ---- keeping the backup safe
extern QString LogDirErrorList;
extern QString LogErrorEntryStatus;
extern QString LogDirSkipRepeated;
extern QString LogDirErrorLink;
extern QString LogErrorEmptySource;
extern QString MsgConfirmEmptySource;
extern QString LogErrorSamePaths;
extern QString LogErrorDstInsideSrc;
extern QString LogErrorSrcInsideDst;
// state files
extern QString MsgWarnTaskListNameReplaced;
extern QString MsgWarnLogFileUnreadable;

// ---- shortcut keys and version information
// What a pane of the main window does with a key it keeps for itself (named when such a key is
// refused as a shortcut).
extern QString KeyUseMoveInPane;
extern QString KeyUseToggleTask;
extern QString KeyUseSelectAllLog;
extern QString KeyUseCopyLog;
extern QString KeyUseMoveFocus;

// ---- the run and its progress
// An error that ended a worker early (its text follows): the items it had not done are not done.
extern QString LogErrorInternal;
// Why a file could not be read to its end: it became shorter while it was read.
extern QString LogReasonFileShrank;
// Progress of a run and the line that sums it up (window, tray, terminal).
// While both trees are scanned: the entries found in each.
extern QString ProgressScan;
// While the trees are compared (no digest to take).
extern QString ProgressCompare;
// Before the counts while the digests of the files to copy are taken.
extern QString ProgressDigest;
// Items done of items to do.
extern QString ProgressItems;
// The remaining time.
extern QString ProgressRemaining;
// After a run: items done, failed items, the time it took.
extern QString RunSummaryFinished;
// After a stopped run, likewise.
extern QString RunSummaryStopped;
// The one line an unattended run that failed writes: its beginning, then what failed.
extern QString RunFailedList;
extern QString RunFailedItems;
extern QString RunFailedPaths;
extern QString RunFailedRefused;
extern QString RunFailedStopped;
extern QString RunFailedLogNotWritten;
extern QString RunFailedLog;

// ---- faithful copies
// Once per task: the destination's file system keeps no permission bits; the copies have their
// content and times all the same. The destination follows.
extern QString LogPermissionsNotKept;
// A directory or file on a pseudo file system (proc, sys, ...), which the scan does not read; its
// path follows.
extern QString LogSkipPseudoFileSystem;
// The reason in parentheses after a verification whose digests differ.
extern QString LogReasonDigestsDiffer;
// What the task wrote could not be flushed to the destination's disk; the destination and the
// system's reason follow.
extern QString LogDstErrorSync;

// ---- large runs

struct TLangExtraText
{
    QString section;
    QString key;
    QString* text;
    QString builtIn;
};

// Every extra text with its section, key and built-in text.
const QList<TLangExtraText>& ExtraLangTexts();
