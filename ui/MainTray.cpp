// The silent run's side of the window: the animated icon in the notification area, hiding the
// window to it and bringing it back. In every other start mode none of this appears.

#include "ui/Main.h"

#include "app/Lang.h"
#include "app/TmkLib.h"
#include "engine/RunProgressText.h"
#include "RsUnits/RsImageList.h"
#include "RsUnits/RsTrayIcon.h"
#include "ui/ProgramResources.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QScrollBar>
#include <QWindowStateChangeEvent>

using namespace Qt::StringLiterals;

void TMainForm::CreateTrayIcon()
{
    InitProgramResources();
    QIcon programIcon;
    for (int size : {16, 32, 48, 256})
        programIcon.addFile(u":/icon/tsumiki-%1.png"_s.arg(size));
    setWindowIcon(programIcon);

    PngImageList16Icon = new TRsImageList(this);
    for (int i = 1; i <= 8; ++i) {
        const QString name = u":/tray/Tray%1"_s.arg(i, 2, 10, QChar(u'0'));
        PngImageList16Icon->Add(QImage(name + u".png"_s), QImage(name + u"@2x.png"_s));
    }
    TrayIcon1 = new TRsTrayIcon(this);
    TrayIcon1->setObjectName(u"TrayIcon1"_s);
    TrayIcon1->SetIcon(QIcon(u":/icon/tsumiki-16.png"_s));
    TrayIcon1->SetIcons(PngImageList16Icon);
    TrayIcon1->SetPopupMenu(TrayIcon1Menu);
    connect(TrayIcon1, &TRsTrayIcon::OnClick, this, [this](TRsTrayIcon*) { TrayIcon1Click(); });
    connect(TrayIcon1Menu, &QMenu::aboutToShow, this, &TMainForm::TrayIcon1MenuPopup);
}

void TMainForm::StartSilentRunTray()
{
    if (m_noDisplay)
        return;
    TrayIcon1->SetVisible(true);
    TrayIcon1->SetAnimateInterval(100);
    TrayIcon1->SetAnimate(true);
    RenewTrayHint();
    ActPopMinimizeRestoreWindow->setText(RestoreWindowCaption);
}

void TMainForm::EndSilentRunTray()
{
    TrayIcon1->SetVisible(false);
    TrayIcon1->SetAnimate(false);
}

void TMainForm::TrayIcon1Click()
{
    ActPopMinimizeRestoreWindow->trigger();
}

void TMainForm::TrayIcon1MenuPopup()
{
    TrayIcon1Menu->clear();
    for (QAction* action : {ActPopMinimizeRestoreWindow, static_cast<QAction*>(nullptr), ActTaskListStopTaskList,
                            static_cast<QAction*>(nullptr), ActFileQuit}) {
        if (!action) {
            TrayIcon1Menu->addSeparator();
            continue;
        }
        // Its own item, without the shortcut text, following the action's caption and state.
        QAction* item = TrayIcon1Menu->addAction(action->text());
        item->setEnabled(action->isEnabled());
        connect(item, &QAction::triggered, action, &QAction::trigger);
    }
}

void TMainForm::ActPopMinimizeRestoreWindowExecute()
{
    if (!SilentRun || m_noDisplay)
        return;
    if (!isVisible()) {
        show();
        setWindowState(FWindowState & ~Qt::WindowMinimized);
        raise();
        activateWindow();
        // The log at its end, the caret after the last line, the focus in it.
        Memo301->moveCaretToEnd();
        Memo301->verticalScrollBar()->setValue(Memo301->verticalScrollBar()->maximum());
        Memo301->setFocus(Qt::OtherFocusReason);
        ActPopMinimizeRestoreWindow->setText(MinimizeToTrayCaption);
    } else {
        FWindowState = windowState() & ~Qt::WindowMinimized;
        HideToTray();
    }
}

void TMainForm::HideToTray()
{
    hide();
    TrayIcon1->SetVisible(true);
    RenewTrayHint();
    ActPopMinimizeRestoreWindow->setText(RestoreWindowCaption);
}

void TMainForm::RenewTrayHint()
{
    if (!TrayIcon1 || !TrayIcon1->Visible())
        return;
    // The caption, and below it how far the run is.
    QString hint = windowTitle();
    if (FIsBackupRunning) {
        const QString progress = RunProgressText(m_runDriver->LastProgress());
        if (!progress.isEmpty())
            hint += u'\n' + progress;
    }
    TrayIcon1->SetHint(hint);
}

// The state before every change is kept, so a window hidden by minimising comes back as it was;
// in a silent run minimising hides the window to the notification area.
void TMainForm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    const Qt::WindowStates old = static_cast<QWindowStateChangeEvent*>(event)->oldState();
    FWindowState = old & ~Qt::WindowMinimized;
    if (SilentRun && !m_noDisplay && (windowState() & Qt::WindowMinimized) && !(old & Qt::WindowMinimized)
        && isVisible())
        QMetaObject::invokeMethod(this, &TMainForm::HideToTray, Qt::QueuedConnection);
}
