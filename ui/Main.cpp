#include "ui/Main.h"

#include "app/Lang.h"
#include "app/LangExtra.h"
#include "app/MainActions.h"
#include "app/MsgDialog.h"
#include "app/ProgramDir.h"
#include "app/TmkLib.h"
#include "engine/RunDriver.h"
#include "RsUnits/RsActList.h"
#include "RsUnits/RsGrid.h"
#include "RsUnits/RsImageList.h"
#include "RsUnits/RsPanel.h"
#include "RsUnits/RsPngButton.h"
#include "RsUnits/RsSpacer.h"
#include "RsUnits/RsSplitter.h"
#include "RsUnits/RsTimer.h"
#include "ui/MainWidgets.h"
#include "app/WindowKeys.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>
#include <exception>

using namespace Qt::StringLiterals;

namespace {

// Client area of the window as designed (pixels at 96 pixels per inch).
constexpr int DesignedClientWidth = 730;
constexpr int DesignedClientHeight = 345;

// Menus of the main menu and their commands in order; an empty name is a separator, "Language1"
// the language submenu.
struct MenuSpec
{
    const char16_t* menu;
    std::initializer_list<const char16_t*> items;
};

const MenuSpec MainMenuLayout[] = {
    {u"File1", {u"ActFileQuit", u"ActFileQuitAll"}},
    {u"TaskList1",
     {u"ActTaskListAddTaskList", u"ActTaskListDeleteTaskList", u"ActTaskListConfigTaskList", u"",
      u"ActTaskListMoveTaskListUpward", u"ActTaskListMoveTaskListDownward", u"", u"ActTaskListTestTaskList",
      u"ActTaskListRunTaskList", u"ActTaskListStopTaskList"}},
    {u"Task1",
     {u"ActTaskAddTask", u"ActTaskDeleteTask", u"ActTaskConfigTask", u"", u"ActTaskMoveTaskUpward",
      u"ActTaskMoveTaskDownward", u"", u"ActTaskTestTask", u"ActTaskRunTask", u"ActTaskStopTask"}},
    {u"Tool1", {u"ActToolShowShortcutKey", u"", u"Language1"}},
    {u"Help1", {u"ActHelpShowHelp", u"ActHelpShowVersionInfo"}},
};

} // namespace

TMainForm::TMainForm(bool noDisplay, QWidget* parent)
    : QMainWindow(parent)
    , m_noDisplay(noDisplay)
{
    setObjectName(u"MainForm"_s);
    FormCreate();
}

TMainForm::~TMainForm()
{
    // The QWidget part outlives this destructor and still reports focus changes while it hides.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    FormDestroy();
    // Likewise the children: their focus changes and resizes while they are torn down must not
    // reach the handlers of a window that is gone.
    const auto children = findChildren<QObject*>();
    for (QObject* child : children) {
        disconnect(child, nullptr, this, nullptr);
        child->removeEventFilter(this);
    }
}

// ---------------------------------------------------------------------------------------------
// Shared helpers

QString TMainForm::MakeMainCaption(const TRsTaskList* list)
{
    if (list && !list->TaskListName().isEmpty())
        return ApplicationTitle + u" - "_s + list->TaskListName();
    return ApplicationTitle;
}

TRsTaskList* TMainForm::TaskListAtRow(int row) const
{
    if (row <= 0 || AManager.Count() == 0 || row - 1 >= AManager.Count())
        return nullptr;
    return AManager.Items(row - 1);
}

TRsTaskList* TMainForm::SelectedTaskList() const
{
    return Grid101 ? TaskListAtRow(Grid101->Row()) : nullptr;
}

int TMainForm::GetTextTopMargin(const QFontMetrics& metrics, int height)
{
    const int textHeight = metrics.height();
    if (height >= textHeight)
        return (height - textHeight) / 2;
    return int(std::nearbyint((height - textHeight) / 2.0)); // the default rounding: halves to even
}

int TMainForm::ScaleDesignSize(int size, double dpi)
{
    return int(std::nearbyint(size * dpi / 96.0));
}

int TMainForm::Scaled(int size) const
{
    return ScaleDesignSize(size, m_dpi);
}

void TMainForm::MoveButtonCaptionsToHints(QWidget* panel)
{
    if (!panel)
        return;
    const auto buttons = panel->findChildren<TRsPngButton*>(Qt::FindDirectChildrenOnly);
    for (TRsPngButton* button : buttons) {
        // An empty caption means it was moved before (the button keeps its hint).
        if (button->Caption().isEmpty() && !button->Hint().isEmpty())
            continue;
        button->SetHint(DeleteAccelerator(button->Caption()));
        button->SetCaption(QString());
        button->SetShowHint(true);
    }
}

bool TMainForm::AddPngStripToImageList(const QString& fileName, int columns, int rows, TRsImageList* list)
{
    return list && list->AddPngStrip(fileName, columns, rows);
}

// ---------------------------------------------------------------------------------------------
// Creation

void TMainForm::FormCreate()
{
    // First of all: a start-up message waits in an event loop, where a stop signal may arrive, and
    // an unattended run may be stopped by a signal too.
    ConnectStopSignals();

    // 1. Scale factor, taken once.
    m_dpi = screen() ? screen()->logicalDotsPerInchY() : 96.0;
    if (m_dpi <= 0)
        m_dpi = 96.0;

    // 2.-3. Run state; the run driver owns the listings and the pending operations.
    ABreakFlag = false;
    FIsBackupRunning = false;
    CreateRunDriver();

    CreateActions();
    CreateMenus();
    CreateLayout();
    resize(Scaled(DesignedClientWidth), Scaled(DesignedClientHeight) + menuBar()->sizeHint().height());
    move(209, 304);

    // 4. Language directory and current language file, then the window's texts.
    PrepareLanguage(ProgramDirectory(), LoadLangFileNameSetting(), this);
    LoadMainFormTexts();

    // 5. Settings: placement, pane sizes and every task list.
    const TMainFormPlacement current{x(), y(), width(), height(), 0, 361, 150};
    m_placement = LoadMainSettings(current, AManager, this);
    ApplyStoredBounds();

    // 6. Shortcut keys from the shortcut key file, the defaults without it.
    ReadShortcutKeys();

    // 7. Every control inherits the system menu font.
    setFont(QApplication::font("QMenu"));

    // 8. The animation timer.
    Timer1 = new TRsTimer(this);
    Timer1->setObjectName(u"Timer1"_s);
    Timer1->SetEnabled(false);
    Timer1->SetAutoStopTime(0);
    Timer1->SetInterval(100);
    connect(Timer1, &TRsTimer::OnTimer, this, [this](TRsTimer*) { Timer1Timer(); });

    // 9. Splitters: neither grid pane narrower than the command buttons.
    Splitter1->SetShowGrab(true);
    Splitter2->SetShowGrab(true);
    Splitter1->SetMinSize(PngButton001->width() + PngButton002->width() + PngButton003->width() +
                          SpacerV001->width() + SpacerV002->width() + SpacerV003->width());

    // 10.-11. Button pictures; the pane buttons show their commands as tooltips.
    LoadButtonImages();
    MoveButtonCaptionsToHints(Panel101);
    MoveButtonCaptionsToHints(Panel102);
    MoveButtonCaptionsToHints(Panel201);
    MoveButtonCaptionsToHints(Panel202);

    // 12. Menus show only the accelerators written in the captions (Qt assigns none itself).

    // 13.-14. Focus lamps and header looks.
    InitIndicatorColors();
    CommandPanel->SetShowCaption(false);
    for (TRsPanel* header : {Panel101, Panel201, Panel301}) {
        header->ViewOptions()->SetDrawingStyle(dsGradient);
        header->ViewOptions()->SetGradientDirection(gdVertical);
        header->ViewOptions()->AdjustDefaultColors();
        header->update();
    }

    // 15. Grids and the check box pictures.
    SetUpGrids();
    MakeCheckBoxImages(PngImageList16);

    // 16. The log pane.
    Memo301->setFrameShape(QFrame::NoFrame);
    Memo301->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo301->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo301->setAttribute(Qt::WA_InputMethodEnabled, false);
    Memo301->clear();

    connect(qApp, &QApplication::focusChanged, this, &TMainForm::FocusChanged);

    // 17. Command-line run request.
    CommandLineBranch();
}

void TMainForm::CreateActions()
{
    for (const TMainAction& entry : MainActions()) {
        auto* action = new QAction(this);
        action->setObjectName(entry.Name);
        action->setData(entry.Tag);
        addAction(action); // the shortcuts work wherever the focus is in the window
        m_actions.insert(action->objectName(), action);
        ActionList1.append(action);
    }
    const auto act = [this](const char16_t* name) { return m_actions.value(QString::fromUtf16(name)); };
    ActFileQuit = act(u"ActFileQuit");
    ActFileQuitAll = act(u"ActFileQuitAll");
    ActTaskListAddTaskList = act(u"ActTaskListAddTaskList");
    ActTaskListDeleteTaskList = act(u"ActTaskListDeleteTaskList");
    ActTaskListConfigTaskList = act(u"ActTaskListConfigTaskList");
    ActTaskListMoveTaskListUpward = act(u"ActTaskListMoveTaskListUpward");
    ActTaskListMoveTaskListDownward = act(u"ActTaskListMoveTaskListDownward");
    ActTaskListTestTaskList = act(u"ActTaskListTestTaskList");
    ActTaskListRunTaskList = act(u"ActTaskListRunTaskList");
    ActTaskListStopTaskList = act(u"ActTaskListStopTaskList");
    ActTaskAddTask = act(u"ActTaskAddTask");
    ActTaskDeleteTask = act(u"ActTaskDeleteTask");
    ActTaskConfigTask = act(u"ActTaskConfigTask");
    ActTaskMoveTaskUpward = act(u"ActTaskMoveTaskUpward");
    ActTaskMoveTaskDownward = act(u"ActTaskMoveTaskDownward");
    ActTaskTestTask = act(u"ActTaskTestTask");
    ActTaskRunTask = act(u"ActTaskRunTask");
    ActTaskStopTask = act(u"ActTaskStopTask");
    ActToolShowShortcutKey = act(u"ActToolShowShortcutKey");
    ActHelpShowHelp = act(u"ActHelpShowHelp");
    ActHelpShowVersionInfo = act(u"ActHelpShowVersionInfo");
    ActPopMinimizeRestoreWindow = act(u"ActPopMinimizeRestoreWindow");

    const auto bind = [this](QAction* action, void (TMainForm::*handler)()) {
        connect(action, &QAction::triggered, this, handler);
    };
    bind(ActFileQuit, &TMainForm::ActFileQuitExecute);
    bind(ActFileQuitAll, &TMainForm::ActFileQuitAllExecute);
    bind(ActTaskListAddTaskList, &TMainForm::ActTaskListAddTaskListExecute);
    bind(ActTaskListDeleteTaskList, &TMainForm::ActTaskListDeleteTaskListExecute);
    bind(ActTaskListConfigTaskList, &TMainForm::ActTaskListConfigTaskListExecute);
    bind(ActTaskListMoveTaskListUpward, &TMainForm::ActTaskListMoveTaskListUpwardExecute);
    bind(ActTaskListMoveTaskListDownward, &TMainForm::ActTaskListMoveTaskListDownwardExecute);
    bind(ActTaskListTestTaskList, &TMainForm::ActTaskListTestTaskListExecute);
    bind(ActTaskListRunTaskList, &TMainForm::ActTaskListRunTaskListExecute);
    bind(ActTaskListStopTaskList, &TMainForm::ActTaskListStopTaskListExecute);
    bind(ActTaskAddTask, &TMainForm::ActTaskAddTaskExecute);
    bind(ActTaskDeleteTask, &TMainForm::ActTaskDeleteTaskExecute);
    bind(ActTaskConfigTask, &TMainForm::ActTaskConfigTaskExecute);
    bind(ActTaskMoveTaskUpward, &TMainForm::ActTaskMoveTaskUpwardExecute);
    bind(ActTaskMoveTaskDownward, &TMainForm::ActTaskMoveTaskDownwardExecute);
    bind(ActTaskTestTask, &TMainForm::ActTaskTestTaskExecute);
    bind(ActTaskRunTask, &TMainForm::ActTaskRunTaskExecute);
    bind(ActTaskStopTask, &TMainForm::ActTaskStopTaskExecute);
    bind(ActToolShowShortcutKey, &TMainForm::ActToolShowShortcutKeyExecute);
    bind(ActHelpShowHelp, &TMainForm::ActHelpShowHelpExecute);
    bind(ActHelpShowVersionInfo, &TMainForm::ActHelpShowVersionInfoExecute);
    bind(ActPopMinimizeRestoreWindow, &TMainForm::ActPopMinimizeRestoreWindowExecute);
}

void TMainForm::ReadShortcutKeys()
{
    // The defaults are the actions' initial shortcuts; the file, when there is one, is read over them.
    SetDefaultShortcutKeys(ActionList1);
    const QString fileName = ShortcutKeyFileName();
    if (QFileInfo::exists(fileName))
        LoadShortcutKeys(ActionList1, fileName, [](TShortCut key) { return WindowKeyUse(key).isEmpty(); });
}

bool TMainForm::WriteShortcutKeys(QWidget* owner)
{
    QString reason;
    if (SaveShortcutKeys(ActionList1, ShortcutKeyFileName(), &reason))
        return true;
    QString text = FormatLangText(MsgErrorOccurredInItem, QDir::toNativeSeparators(ShortcutKeyFileName()));
    if (!reason.isEmpty())
        text += u" ("_s + reason + u')';
    ShowMsgDialog(text, TMsgDlgType::Error, TMsgDlgButtons::OK, owner);
    return false;
}

QStringList TMainForm::MenuCategories() const
{
    QStringList captions;
    for (const QMenu* menu : {File1, TaskList1, Task1, Tool1, Help1})
        captions << menu->title();
    return captions;
}

void TMainForm::CreateMenus()
{
    for (const MenuSpec& entry : MainMenuLayout) {
        QMenu* menu = menuBar()->addMenu(QString());
        menu->setObjectName(QString::fromUtf16(entry.menu));
        m_menus.insert(menu->objectName(), menu);
        for (const char16_t* item : entry.items) {
            const QString name = QString::fromUtf16(item);
            if (name.isEmpty()) {
                menu->addSeparator();
            } else if (name == u"Language1"_s) {
                QMenu* sub = menu->addMenu(QString());
                sub->setObjectName(name);
                m_menus.insert(name, sub);
            } else {
                menu->addAction(m_actions.value(name));
            }
        }
    }
    File1 = m_menus.value(u"File1"_s);
    TaskList1 = m_menus.value(u"TaskList1"_s);
    Task1 = m_menus.value(u"Task1"_s);
    Tool1 = m_menus.value(u"Tool1"_s);
    Language1 = m_menus.value(u"Language1"_s);
    Help1 = m_menus.value(u"Help1"_s);
    connect(TaskList1, &QMenu::aboutToShow, this, &TMainForm::TaskList1Click);
    connect(Task1, &QMenu::aboutToShow, this, &TMainForm::Task1Click);
    connect(Tool1, &QMenu::aboutToShow, this, &TMainForm::Tool1Click);

    Grid101Menu = new QMenu(this);
    Grid101Menu->setObjectName(u"Grid101Menu"_s);
    Grid201Menu = new QMenu(this);
    Grid201Menu->setObjectName(u"Grid201Menu"_s);
    TrayIcon1Menu = new QMenu(this);
    TrayIcon1Menu->setObjectName(u"TrayIcon1Menu"_s);
    CreateTrayIcon();
    connect(Grid101Menu, &QMenu::aboutToShow, this, &TMainForm::Grid101MenuPopup);
    connect(Grid201Menu, &QMenu::aboutToShow, this, &TMainForm::Grid201MenuPopup);
}

void TMainForm::LoadMainFormTexts()
{
    const TMainFormTexts texts = ::LoadMainFormTexts();
    setWindowTitle(MakeMainCaption(SelectedTaskList()));
    Panel101->SetCaption(TaskListLabel);
    Panel201->SetCaption(TaskLabel);
    Panel301->SetCaption(LogLabel);
    for (auto it = texts.captions.cbegin(); it != texts.captions.cend(); ++it) {
        if (QAction* action = m_actions.value(it.key()))
            action->setText(it.value());
        else if (QMenu* menu = m_menus.value(it.key()))
            menu->setTitle(it.value());
    }
    ActPopMinimizeRestoreWindow->setText(MinimizeToTrayCaption);
}

void TMainForm::LoadButtonImages()
{
    const QString fileName = ProgramDirectory() + u"Image/Tmk24.png"_s;
    if (!QFileInfo::exists(fileName)) {
        ShowMsgDialog(MsgErrorFileNotFound + u"\n\n"_s + fileName, TMsgDlgType::Error, TMsgDlgButtons::OK, this);
        return;
    }
    if (!AddPngStripToImageList(fileName, 32, 1, PngImageList24)) {
        // A file that is there but cannot be read as a strip: say so the same way, buttons stay bare.
        ShowMsgDialog(MsgErrorFileNotFound + u"\n\n"_s + fileName, TMsgDlgType::Error, TMsgDlgButtons::OK, this);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const std::pair<TRsPngButton*, int> paneButtons[] = {
        {PngButton101, 3},  {PngButton102, 4},  {PngButton103, 5},  {PngButton104, 6},  {PngButton105, 7},
        {PngButton201, 11}, {PngButton202, 12}, {PngButton203, 13}, {PngButton204, 14}, {PngButton205, 15},
    };
    for (const auto& [button, index] : paneButtons)
        button->SetGlyphUp(PngImageList24->Pixmap(index, ratio));
}

void TMainForm::InitIndicatorColors()
{
    IndicatorColor = QColor(255, 209, 25);
    IndicatorBottomColor = palette().color(QPalette::Light);
    // The themed look of current desktops: a light grey upper edge.
    IndicatorTopColor = QColor(220, 220, 220);
}

void TMainForm::CommandLineBranch()
{
    if (!CommandLineRun)
        return;
    CommandLineTaskListIndex = AManager.IndexOfTaskListName(CommandLineTaskListName);
    if (CommandLineTaskListIndex < 0) {
        ShowMsgDialog(FormatLangText(MsgErrorTaskListNotFound, CommandLineTaskListName) + u"\n\n"_s +
                          MsgErrorAbortBackup,
                      TMsgDlgType::Error, TMsgDlgButtons::OK, this);
        if (m_noDisplay && SilentRun) {
            // Unattended without a display: there is no window to fall back to.
            m_endAtStart = true;
            m_exitStatus = 2;
        }
        ClearCommandLineRunRequest();
        return;
    }
    if (SilentRun) {
        // The window stays hidden; the run starts once the program's event loop runs, and its end
        // quits the program.
        TRsTaskList* list = AManager.Items(CommandLineTaskListIndex);
        setWindowTitle(MakeMainCaption(list));
        Grid201->SetRowCount(qMax(list->Count() + 1, 2));
        StartSilentRunTray();
        QMetaObject::invokeMethod(
            this, [this] { RunCommandLineTaskList(CommandLineTaskListName, ActTaskListRunTaskList); },
            Qt::QueuedConnection);
    }
}

// ---------------------------------------------------------------------------------------------
// Show

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    WatchFrame();
    if (!event->spontaneous())
        FormShow();
}

void TMainForm::FormShow()
{
    if (!m_rowShown) {
        // The pane sizes from the settings, once the splitters know their extent.
        const int bottom = qMax(Scaled(30), m_placement.BottomPanelHeight);
        const int left = qMax(Splitter1->MinSize(), m_placement.LeftPanelWidth);
        Splitter2->setSizes({qMax(1, Splitter2->height() - Splitter2->handleWidth() - bottom), bottom});
        Splitter1->setSizes({left, qMax(1, Splitter1->width() - Splitter1->handleWidth() - left)});
    }

    // 1.-2. Grid margins; header captions start one row height plus the text margin in.
    ComputeGridMargins();
    for (TRsPanel* header : {Panel101, Panel201, Panel301})
        header->ViewOptions()->SetCaptionMarginLeft(Grid201->DefaultRowHeight() + FGridTextLeftMargin);

    // 3.-5. The stored task list row, its tasks and the caption.
    // The stored row is the one of the last session: only the first show takes it. A window shown
    // again (restored from the tray) keeps the list the user has selected since.
    Grid101->SetRowCount(qMax(AManager.Count() + 1, 2));
    if (!m_rowShown)
        Grid101->SetRow(LoadSelectedRow(AManager.Count()));
    m_rowShown = true;
    TRsTaskList* list = SelectedTaskList();
    Grid201->SetRowCount(list ? qMax(list->Count() + 1, 2) : 2);
    setWindowTitle(MakeMainCaption(list));

    // The task list grid is the window's first active control: it binds the command strip.
    if (!focusWidget() && Grid101->isEnabled()) {
        Grid101->setFocus(Qt::OtherFocusReason);
        if (!Grid101->hasFocus()) // the window is not active yet; the focus-in comes later
            Grid101Enter();
    }

    // 6. A start-up run starts once the window is up; a silent run shows its progress.
    if (!SilentRun) {
        QMetaObject::invokeMethod(this, &TMainForm::WMStartupRun, Qt::QueuedConnection);
    } else {
        BindCommandStripTaskList(false);
        if (CommandLineTaskListIndex >= 0)
            Grid101->SetRow(CommandLineTaskListIndex + 1);
        if (FCurrentRowIndex > 0 && FCurrentRowIndex < Grid201->RowCount())
            Grid201->SetRow(FCurrentRowIndex);
    }
}

void TMainForm::WMStartupRun()
{
    if (!CommandLineRun || SilentRun)
        return;
    // The request is forgotten when the run ends (CommandLineRunFinished).
    RunCommandLineTaskList(CommandLineTaskListName, ActTaskListRunTaskList);
}

// ---------------------------------------------------------------------------------------------
// Quit, help and the dialogs

void TMainForm::closeEvent(QCloseEvent* event)
{
    event->accept();
    ActFileQuitExecute();
}

void TMainForm::ActFileQuitExecute()
{
    m_quitting = true;
    // A run in progress stops here: its stopped line, footer and log file are written at once.
    if (FIsBackupRunning)
        RequestStop();
    m_runDriver->StopAndFreeWorkers();
    QCoreApplication::quit();
}

void TMainForm::ActHelpShowHelpExecute()
{
    try {
        const QString fileName = ProgramDirectory() + u"Help/index.html"_s;
        if (QFileInfo::exists(fileName))
            QDesktopServices::openUrl(QUrl::fromLocalFile(fileName)); // the result is not examined
        else
            ShowMsgDialog(MsgErrorFileNotFound + u"\n\n"_s + fileName, TMsgDlgType::Error);
    } catch (const std::exception&) {
        ShowMsgDialog(MsgErrorCannotShowHelp, TMsgDlgType::Error);
    }
}

void TMainForm::TaskList1Click()
{
}

void TMainForm::Task1Click()
{
}

// ---------------------------------------------------------------------------------------------
// Destruction

void TMainForm::FormDestroy()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    // Workers still alive (a window destroyed without quitting) are stopped before the lists go; a
    // run in progress still writes its log, but the window no longer shows its end.
    disconnect(m_runDriver, nullptr, this, nullptr);
    m_runDriver->StopAndFreeWorkers();
    if (Timer1)
        Timer1->SetEnabled(false);
    // The remembered rows of the selected task list, when the task grid still has the focus.
    if (m_rowShown && Grid201->hasFocus())
        Grid201Exit();
    // The row is only known once the window has been shown; a window never shown keeps the stored one.
    const int row = Grid101->Row();
    m_stateSaveFailed =
        !SaveMainSettings(currentPlacement(), row, SilentRun || !m_rowShown, AManager, nullptr).isEmpty();
    // Right after the settings, at the same moment.
    if (!WriteShortcutKeys(nullptr))
        m_stateSaveFailed = true;
}

bool TMainForm::SaveStateAtExit()
{
    FormDestroy();
    return !m_stateSaveFailed;
}
