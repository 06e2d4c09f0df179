#pragma once

#include "app/Settings.h"
#include "engine/RsThread.h"
#include "model/RsTaskList.h"
#include "RsUnits/RsLogView.h"

#include <QColor>
#include <QList>
#include <QMainWindow>
#include <QMap>
#include <QPoint>
#include <QSize>
#include <QStringList>

#include <atomic>
#include <functional>

class QAction;
class QFontMetrics;
class QLabel;
class QMenu;
class QWidget;
class TPaintBox;
class TRsBackupList;
class TRsGrid;
class TRsImageList;
class TRsPanel;
class TRsPngButton;
class TRsSpacer;
class TRsSplitter;
class TRsTimer;
class TRsTrayIcon;
class TRunDriver;
class TRunLog;
class TRunProgressView;
struct TRunOutcome;
struct TRunProgress;

// The program's one main window and the owner of its working state: the task lists, the run's
// listings and pending operations, and the workers of the task being run.
//
// Its creation reads the language texts, the settings and every task list, lays out the panes and
// handles the command-line run request; closing it quits the program, and destroying it writes the
// settings and every task list file.
//
// The run controller is a member of this class too (ui/MainRun.cpp): an adapter on the run driver,
// which owns the run's listings, pending operations and workers.
class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    // noDisplay: the program runs on the offscreen platform because no display could be reached.
    explicit TMainForm(bool noDisplay = false, QWidget* parent = nullptr);
    ~TMainForm() override;

    // ---- Working state (public: the dialogs and editing commands work on it in place)

    // All task lists, in display order.
    TRsTaskListManager AManager;
    // Name of the action that opened a task list or task dialog (add or configure).
    QString ActionName;
    // Stop request of the run in progress; written on the main thread only, read by every worker.
    std::atomic<bool> ABreakFlag{false};
    // Window handles of the other running copies, for quit-all.
    QList<qintptr> AHandleList;

    // ---- Start-up results for the program entry

    // Creation decided that the program ends without entering the message loop (a command-line
    // run that needs no window); ExitStatus() is then the process exit status.
    bool EndAtStart() const { return m_endAtStart; }
    int ExitStatus() const { return m_exitStatus; }
    // Placement read from the settings ("WindowState" 2 = maximised).
    const TMainFormPlacement& Placement() const { return m_placement; }
    // Stops the workers and writes the settings and every task list file, as the destruction would
    // (which then writes nothing again). False when a file could not be written (the user has been
    // told); an unattended run then fails.
    bool SaveStateAtExit();

    // ---- Shared helpers

    // The application title, " - " and the task list's name when one is given and named.
    static QString MakeMainCaption(const TRsTaskList* list);
    // The task list shown in Grid101's row: none for a row <= 0, an empty manager or a row past
    // the last list.
    TRsTaskList* TaskListAtRow(int row) const;
    // The selected task list (the one at Grid101's current row), or none.
    TRsTaskList* SelectedTaskList() const;
    // Top margin that centres one line of the font in a cell of the given height.
    static int GetTextTopMargin(const QFontMetrics& metrics, int height);
    // A design size at 96 pixels per inch scaled to dpi, rounded to nearest with halves to even.
    static int ScaleDesignSize(int size, double dpi);
    // For every PNG button directly on panel: the caption without its accelerator becomes the
    // button's tooltip and the caption is emptied, so the button shows only its image.
    static void MoveButtonCaptionsToHints(QWidget* panel);
    // Loads a PNG strip of columns x rows cells and appends the cells to list; false when the file
    // cannot be read.
    static bool AddPngStripToImageList(const QString& fileName, int columns, int rows, TRsImageList* list);
    // Makes the two 16 x 16 check box pictures of the task grid (0 empty, 1 ticked).
    static void MakeCheckBoxImages(TRsImageList* list);

    // Loads the task list's tasks into Grid201 (its remembered rows) and puts its name in the
    // caption. Also used by the task list editing commands.
    void SelectTaskList(TRsTaskList* list);

    QAction* Action(const QString& name) const { return m_actions.value(name); }

    // The window's actions in the action list's order (the shortcut key dialog and file use it).
    QList<QAction*> ActionList1;
    // Captions of the main menus by action tag: File1 (0), TaskList1, Task1, Tool1, Help1 (4).
    QStringList MenuCategories() const;
    // Writes the shortcut key file; a failure is shown in an error box over owner (may be null).
    bool WriteShortcutKeys(QWidget* owner);

    // ---- For the task list and task dialogs
    // Grid201's current row (1 is the first task).
    int TaskGridRow() const;
    // The task list grid's selection colour while it does not have the focus.
    QColor InactiveSelectionColor() const;
    // "SrcLabel: src" and " DstLabel: dst" on two lines, for the boxes about a task.
    static QString TaskText(const QString& srcPath, const QString& dstPath);
    static QString TaskText(const TRsTaskItem* task);

    // The run of the task lists: its listings, pending operations, workers and progress.
    TRunDriver* RunDriver() const;

Q_SIGNALS:
    // A test or run has ended and the window's controls are back.
    void runFinished();

public:
    // Tests of the window and its grids reach the run state and the handlers directly.
    friend class TestMainWindow;
    friend class TestGrids;
    friend class TestEditCommands;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // ---- Creation, show, destruction (ui/Main.cpp)
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void CreateActions();
    void CreateMenus();
    void CreateLayout();
    void CreatePane(int pane);
    void LoadMainFormTexts();
    void ReadShortcutKeys();
    void LoadButtonImages();
    void InitIndicatorColors();
    void CommandLineBranch();
    void WMStartupRun();
    TMainFormPlacement currentPlacement() const;
    // ---- Outer bounds (ui/MainPlacement.cpp): the settings hold the window's frame included, as the
    // user sees it; Qt sizes the client area, and knows the frame only once a window manager framed it.
    void ApplyStoredBounds();
    void FitStoredOuterSize();
    void WatchFrame();
    int Scaled(int size) const;

    // ---- Command strip, focus lamps, header routing (ui/MainPanes.cpp)
    void BindCommandStripTaskList(bool fromFocus);
    void BindCommandStripTask();
    void Memo301Enter();
    void BindCommandButton(TRsPngButton* button, QAction* action, int imageIndex, bool enable);
    void RepaintFocusLamps();
    void PaintFocusLamp(TPaintBox* box, QWidget* control);
    void HeaderMouseDown(QWidget* target, Qt::MouseButton button, Qt::KeyboardModifiers shift);
    void SideStripResize(QWidget* strip, TRsPngButton* upper, TRsPngButton* lower);
    bool Memo301KeyDown(int key, Qt::KeyboardModifiers shift);
    void FocusChanged(QWidget* old, QWidget* now);

    // ---- Commands of this window (ui/Main.cpp)
    void ActFileQuitExecute();
    void ActFileQuitAllExecute();
    void ActHelpShowHelpExecute();
    void ActToolShowShortcutKeyExecute();
    void ActHelpShowVersionInfoExecute();
    void ActPopMinimizeRestoreWindowExecute();
    void TaskList1Click();
    void Task1Click();
    void Tool1Click();
    // ---- Tray icon of the silent run (ui/MainTray.cpp)
    void CreateTrayIcon();
    void StartSilentRunTray();
    void EndSilentRunTray();
    void TrayIcon1Click();
    void TrayIcon1MenuPopup();
    void HideToTray();
    // The tray icon's hint: the caption, and the run's progress while it runs.
    void RenewTrayHint();
    // ---- Language submenu (ui/MainLanguage.cpp)
    void LanguageListClick(int index);
    void RenewCommandHints();
    // Task list and task editing (dialogs and moves).
    void ActTaskListAddTaskListExecute();
    void ActTaskListDeleteTaskListExecute();
    void ActTaskListConfigTaskListExecute();
    void ActTaskListMoveTaskListUpwardExecute();
    void ActTaskListMoveTaskListDownwardExecute();
    void ActTaskAddTaskExecute();
    void ActTaskDeleteTaskExecute();
    void ActTaskConfigTaskExecute();
    void ActTaskMoveTaskUpwardExecute();
    void ActTaskMoveTaskDownwardExecute();
    // Editing helpers (ui/MainEdit.cpp).
    bool EditingAllowed() const;
    void SetTaskListRows();
    void SetTaskRows(const TRsTaskList* list);
    // The task at Grid201's current row in the selected task list, when there is one.
    TRsTaskItem* SelectedTask(int* index = nullptr) const;
    void MoveSelectedTaskList(int step);
    void MoveSelectedTask(int step);

    // ---- Grids (ui/MainGrids.cpp)
    void SetUpGrids();
    void ComputeGridMargins();
    void Grid101DrawCell(int col, int row, const QRect& rect);
    void Grid201DrawCell(int col, int row, const QRect& rect);
    void Grid101Click();
    void Grid101MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos);
    void Grid101MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos);
    void Grid101MouseMove(const QPoint& pos);
    void Grid201MouseMove(const QPoint& pos);
    void Grid101DblClick();
    void Grid201DblClick();
    void Grid201MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos);
    void Grid201KeyDown(int& key, Qt::KeyboardModifiers shift);
    void Grid101Enter();
    void Grid201Enter();
    void Grid201Exit();
    void Grid101Resize();
    void Grid201Resize();
    void Grid101MenuPopup();
    void Grid201MenuPopup();
    void ToggleTaskEnabled(TRsTaskList* list, int x, int y);
    void ShowGridTip(TRsGrid* grid, const QPoint& pos, const QString& text);

    // ---- Run controller (ui/MainRun.cpp)
public:
    void ActTaskListTestTaskListExecute();
    void ActTaskListRunTaskListExecute();
    void ActTaskListStopTaskListExecute();
    void ActTaskTestTaskExecute();
    void ActTaskRunTaskExecute();
    void ActTaskStopTaskExecute();

private:
    enum class TRunKind { TaskList, Task, CommandLine };
    void Timer1Timer();
    // One task, also a disabled one.
    void RunTask(QAction* command, TRsTaskList* list, bool test, int index);
    void SetRunControls(QAction* command, bool enabled);
    void StartRunAnimation(QAction* command);
    void StopRunAnimation();
    void RunCommandLineTaskList(const QString& name, QAction* command);
    // What follows a command-line run: quitting after a silent run, forgetting the request after a
    // start-up run.
    void CommandLineRunFinished();

    // ---- Stop signals (ui/MainStopSignals.cpp)
    void ConnectStopSignals();
    void StopSignalReceived();

    // ---- Run controller helpers and state (ui/MainRun.cpp)
    friend class TestRunController;
    void CreateRunDriver();
    // The log pane's line sink (made on first use).
    TRunLog* RunLog();
    // Test or run of the selected task list or task, from confirmation to the start of the run.
    void TestOrRunSelectedTaskList(QAction* command, const QString& confirmText, bool test);
    void TestOrRunSelectedTask(QAction* command, const QString& confirmText, bool test);
    // Asks with a confirmation box; true on OK.
    bool ConfirmRunCommand(const QString& text, const QString& item);
    // Runs the enabled tasks of a list; shared by the task list commands and the command-line run.
    void RunTaskListTasks(QAction* command, TRsTaskList* list, bool test, TRunKind kind);
    // Disables the controls, starts the animation and the driver.
    void StartRun(QAction* command, TRsTaskList* list, const QList<int>& tasks, bool test, TRunKind kind);
    // The driver's reports.
    void RunTaskStarted(int index);
    void ShowRunProgress(const TRunProgress& progress);
    void RunFinished(const TRunOutcome& outcome);
    void RequestStop();
    TRunDriver* m_runDriver = nullptr;
    TRunLog* m_runLog = nullptr;
    // The command, list and kind of the run in progress (or the last one).
    QAction* m_runCommand = nullptr;
    TRsTaskList* m_runList = nullptr;
    TRunKind m_runKind = TRunKind::TaskList;

    // ---- Fields, in the window's order
    int FGridCheckBoxLeftMargin = 0;
    int FGridCheckBoxTopMargin = 0;
    int FGridTextLeftMargin = 0;
    int FGridTextTopMargin = 0;
    Qt::WindowStates FWindowState = Qt::WindowNoState;
    bool FIsBackupRunning = false;
    int FFrameIndex = 0;
    int FFrameCount = 0;
    // The run driver's listings of the task being run.
    TRsBackupList* FSrcList = nullptr;
    TRsBackupList* FDstList = nullptr;
    int FCurrentRowIndex = 0;
    bool FGrid101LeftClicked = false;
    // Full paths of the language files when the tool menu last opened; a submenu entry's data is
    // its position here.
    QStringList FLangFileList;
    QColor IndicatorTopColor;
    QColor IndicatorBottomColor;
    QColor IndicatorColor;

    // ---- Actions (objectName = the action's name)
    QAction* ActFileQuit = nullptr;
    QAction* ActFileQuitAll = nullptr;
    QAction* ActTaskListAddTaskList = nullptr;
    QAction* ActTaskListDeleteTaskList = nullptr;
    QAction* ActTaskListConfigTaskList = nullptr;
    QAction* ActTaskListMoveTaskListUpward = nullptr;
    QAction* ActTaskListMoveTaskListDownward = nullptr;
    QAction* ActTaskListTestTaskList = nullptr;
    QAction* ActTaskListRunTaskList = nullptr;
    QAction* ActTaskListStopTaskList = nullptr;
    QAction* ActTaskAddTask = nullptr;
    QAction* ActTaskDeleteTask = nullptr;
    QAction* ActTaskConfigTask = nullptr;
    QAction* ActTaskMoveTaskUpward = nullptr;
    QAction* ActTaskMoveTaskDownward = nullptr;
    QAction* ActTaskTestTask = nullptr;
    QAction* ActTaskRunTask = nullptr;
    QAction* ActTaskStopTask = nullptr;
    QAction* ActToolShowShortcutKey = nullptr;
    QAction* ActHelpShowHelp = nullptr;
    QAction* ActHelpShowVersionInfo = nullptr;
    QAction* ActPopMinimizeRestoreWindow = nullptr;

    // ---- Menus
    QMenu* File1 = nullptr;
    QMenu* TaskList1 = nullptr;
    QMenu* Task1 = nullptr;
    QMenu* Tool1 = nullptr;
    QMenu* Language1 = nullptr;
    QMenu* Help1 = nullptr;
    QMenu* Grid101Menu = nullptr;
    QMenu* Grid201Menu = nullptr;
    QMenu* TrayIcon1Menu = nullptr;

    // ---- Components
    TRsPanel* CommandPanel = nullptr;
    TRsPngButton* PngButton001 = nullptr;
    TRsPngButton* PngButton002 = nullptr;
    TRsPngButton* PngButton003 = nullptr;
    TRsSpacer* SpacerV001 = nullptr;
    TRsSpacer* SpacerV002 = nullptr;
    TRsSpacer* SpacerV003 = nullptr;
    TRunProgressView* Progress001 = nullptr;
    QLabel* Image001 = nullptr;
    QWidget* TopPanel = nullptr;
    TRsSpacer* Spacer1 = nullptr;
    QWidget* LeftPanel = nullptr;
    TRsPanel* Panel101 = nullptr;
    TPaintBox* PaintBox101 = nullptr;
    TRsPngButton* PngButton101 = nullptr;
    TRsPngButton* PngButton102 = nullptr;
    TRsPngButton* PngButton103 = nullptr;
    TRsSpacer* SpacerV101 = nullptr;
    TRsSpacer* SpacerH101 = nullptr;
    TRsSpacer* SpacerH102 = nullptr;
    TRsPanel* Panel102 = nullptr;
    TRsPngButton* PngButton104 = nullptr;
    TRsPngButton* PngButton105 = nullptr;
    TRsGrid* Grid101 = nullptr;
    TRsSplitter* Splitter1 = nullptr;
    QWidget* RightPanel = nullptr;
    TRsPanel* Panel201 = nullptr;
    TPaintBox* PaintBox201 = nullptr;
    TRsPngButton* PngButton201 = nullptr;
    TRsPngButton* PngButton202 = nullptr;
    TRsPngButton* PngButton203 = nullptr;
    TRsSpacer* SpacerV201 = nullptr;
    TRsSpacer* SpacerH201 = nullptr;
    TRsSpacer* SpacerH202 = nullptr;
    TRsPanel* Panel202 = nullptr;
    TRsPngButton* PngButton204 = nullptr;
    TRsPngButton* PngButton205 = nullptr;
    TRsGrid* Grid201 = nullptr;
    TRsSplitter* Splitter2 = nullptr;
    TRsPanel* BottomPanel = nullptr;
    TRsPanel* Panel301 = nullptr;
    TPaintBox* PaintBox301 = nullptr;
    TRsLogView* Memo301 = nullptr;
    TRsTimer* Timer1 = nullptr;
    TRsImageList* PngImageList24 = nullptr;
    TRsImageList* PngImageList16 = nullptr;
    TRsImageList* PngImageList16Icon = nullptr;
    TRsTrayIcon* TrayIcon1 = nullptr;

    // ---- Start-up and window state
    double m_dpi = 96.0;
    bool m_noDisplay = false;
    bool m_endAtStart = false;
    int m_exitStatus = 0;
    bool m_destroyed = false;
    bool m_stateSaveFailed = false;
    bool m_quitting = false;
    bool m_rowShown = false;
    // The left double click on Grid201 being handled: where and with which modifiers.
    bool m_grid201DblClickPending = false;
    QPoint m_grid201DblClickPos;
    Qt::KeyboardModifiers m_grid201DblClickShift;
    TMainFormPlacement m_placement;
    // The stored outer size, until the frame is known and the client area has been fitted to it.
    QSize m_outerSizeToFit;
    QMap<QString, QAction*> m_actions;
    QMap<QString, QMenu*> m_menus;
};
