#pragma once

#include <QString>
#include <QStringList>

class QObject;
class TRsTaskListManager;

// The per-installation settings file beside the executable (its name: SettingsFileName(),
// app/ProgramDir.h).
// Every operation opens the file image anew and, when it writes, rewrites the whole file, so
// sections written by other operations survive.

// Placement of the main window as stored under "MainForm".
struct TMainFormPlacement
{
    int Left = 209;
    int Top = 304;
    int Width = 0;
    int Height = 0;
    int WindowState = 0; // 0 normal, 2 maximised (1, minimised, is stored as 0)
    int LeftPanelWidth = 361;
    int BottomPanelHeight = 150;
};

// One line of an error box for a file that could not be read or written: the file and the system's
// reason.
QString FileFailureLine(const QString& fileName, const QString& reason);

// The value of "Language"/"LangFileName" (empty when missing).
QString LoadLangFileNameSetting();

// Reads the "MainForm" placement, each key defaulting to the window's current value in `current`,
// and appends every task list named under "TaskListManager" whose file exists to the manager
// (entries whose file is gone are skipped without a message). A file that exists but cannot be
// read is not loaded (so exit does not overwrite it with a partial list) and is reported in an error
// message box. A "WindowState" other than 0, 1 or 2 reads as 0 (normal).
TMainFormPlacement LoadMainSettings(const TMainFormPlacement& current, TRsTaskListManager& manager,
                                    QObject* owner = nullptr);

// The task list grid row to select from "Grid101.Row" (1 is the first list). A stored row that is
// not the row of a list (0, negative, beyond the last list, not a number) selects the first list;
// with no lists the result is 1 as well (the grid's first data row).
int LoadSelectedRow(int taskListCount);

// Writes the current language file, the placement, the selected row (unless silentRun) and the
// task list section, saves every task list to its file, and rewrites the settings file. A file
// that cannot be written is reported in one error message box (owner may be null) naming each
// such file; the remaining files are still written. Returns the files that could not be written.
QStringList SaveMainSettings(const TMainFormPlacement& placement, int grid101Row, bool silentRun,
                             const TRsTaskListManager& manager, QObject* owner = nullptr);

// Last position of a dialog, stored under the dialog's name ("ConfigForm101", ...).
struct TDialogPosition
{
    int Left = 0;
    int Top = 0;
};
TDialogPosition LoadDialogPosition(const QString& dialogName, const TDialogPosition& designed);
// False (and an error message box) when the settings file cannot be written.
bool SaveDialogPosition(const QString& dialogName, const TDialogPosition& position, QObject* owner = nullptr);
