#include "ui/Main.h"

#include "app/Lang.h"
#include "app/MsgDialog.h"
#include "app/ProgramDir.h"
#include "app/TmkLib.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QVBoxLayout>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Client area of the window as designed.
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

QLabel* paneHeading(QWidget* parent, const QString& name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setMinimumHeight(30);
    label->setIndent(8);
    return label;
}

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
    FormDestroy();
}

QString TMainForm::MakeMainCaption(const TRsTaskList* list)
{
    if (list && !list->TaskListName().isEmpty())
        return ApplicationTitle + u" - "_s + list->TaskListName();
    return ApplicationTitle;
}

void TMainForm::FormCreate()
{
    resize(DesignedClientWidth, DesignedClientHeight);
    move(209, 304);
    createMenus();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    Panel101 = paneHeading(central, u"Panel101"_s);
    Panel201 = paneHeading(central, u"Panel201"_s);
    layout->addWidget(Panel101);
    layout->addWidget(Panel201);
    QLabel* panel301 = paneHeading(central, u"Panel301"_s);
    panel301->setText(u"ログ"_s);
    layout->addWidget(panel301);
    layout->addStretch(1);
    setCentralWidget(central);

    // Language directory and current language file, then the window's texts.
    PrepareLanguage(ProgramDirectory(), LoadLangFileNameSetting(), this);
    LoadMainFormTexts();

    // Settings: placement and every task list.
    const TMainFormPlacement current{x(), y(), width(), height(), 0, 361, 150};
    m_placement = LoadMainSettings(current, AManager, this);
    move(m_placement.Left, m_placement.Top);
    resize(m_placement.Width, m_placement.Height);

    CommandLineBranch();
}

void TMainForm::createMenus()
{
    for (const MenuSpec& spec : MainMenuLayout) {
        QMenu* menu = menuBar()->addMenu(QString());
        menu->setObjectName(QString::fromUtf16(spec.menu));
        m_menus.insert(menu->objectName(), menu);
        for (const char16_t* item : spec.items) {
            const QString name = QString::fromUtf16(item);
            if (name.isEmpty()) {
                menu->addSeparator();
            } else if (name == u"Language1"_s) {
                QMenu* sub = menu->addMenu(QString());
                sub->setObjectName(name);
                m_menus.insert(name, sub);
            } else {
                auto* action = new QAction(this);
                action->setObjectName(name);
                menu->addAction(action);
                m_actions.insert(name, action);
            }
        }
    }
    connect(m_actions.value(u"ActFileQuit"_s), &QAction::triggered, this, &TMainForm::ActFileQuitExecute);
}

void TMainForm::LoadMainFormTexts()
{
    const TMainFormTexts texts = ::LoadMainFormTexts();
    QGuiApplication::setApplicationDisplayName(texts.title);
    setWindowTitle(MakeMainCaption(nullptr));
    Panel101->setText(TaskListLabel);
    Panel201->setText(TaskLabel);
    for (auto it = texts.captions.cbegin(); it != texts.captions.cend(); ++it) {
        if (QAction* action = m_actions.value(it.key()))
            action->setText(it.value());
        else if (QMenu* menu = m_menus.value(it.key()))
            menu->setTitle(it.value());
    }
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
        if (m_noDisplay) {
            // Unattended without a display: there is no window to fall back to.
            m_endAtStart = true;
            m_exitStatus = 2;
        }
        ClearCommandLineRunRequest();
        return;
    }
    if (SilentRun) {
        setWindowTitle(MakeMainCaption(AManager.Items(CommandLineTaskListIndex)));
        // FIXME(run controller): the unattended run is not built yet; end as after a run.
        std::fputs("Tsumiki!: the unattended run is not available in this build; the task list was not run.\n",
                   stderr);
        m_endAtStart = true;
        m_exitStatus = 0;
    }
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    m_grid101Row = LoadSelectedRow(AManager.Count());
    m_rowShown = true;
    const int index = m_grid101Row - 1;
    setWindowTitle(MakeMainCaption(index < AManager.Count() ? AManager.Items(index) : nullptr));
    if (CommandLineRun && !SilentRun) {
        // FIXME(run controller): the start-up run is not built yet.
        std::fputs("Tsumiki!: the start-up run is not available in this build; the task list was not run.\n",
                   stderr);
        CommandLineRun = false;
        CommandLineTaskListName.clear();
    }
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    event->accept();
    ActFileQuitExecute();
}

void TMainForm::ActFileQuitExecute()
{
    QCoreApplication::quit();
}

TMainFormPlacement TMainForm::currentPlacement() const
{
    TMainFormPlacement p = m_placement;
    const QRect frame = frameGeometry();
    p.Left = frame.left();
    p.Top = frame.top();
    // The client size, as applied at creation.
    p.Width = width();
    p.Height = height();
    p.WindowState = isMaximized() ? 2 : 0;
    return p;
}

void TMainForm::FormDestroy()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    // The row is only known once the window has been shown; a window never shown keeps the stored one.
    SaveMainSettings(currentPlacement(), m_grid101Row, SilentRun || !m_rowShown, AManager, nullptr);
}
