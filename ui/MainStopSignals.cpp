// SIGINT, SIGTERM and SIGHUP: a run stops as with the stop command (its log is written), and the
// window closes as on a close request. An unattended run has no window to close: it ends once the
// stopped run has written its log.

#include "ui/Main.h"

#include "app/StopSignals.h"
#include "app/TmkLib.h"

#include <QApplication>
#include <QDialog>

void TMainForm::ConnectStopSignals()
{
    if (TStopSignals* stop = TStopSignals::Instance())
        connect(stop, &TStopSignals::stopRequested, this, &TMainForm::StopSignalReceived);
}

void TMainForm::StopSignalReceived()
{
    if (FIsBackupRunning)
        RequestStop();
    if (SilentRun || m_quitting)
        return;
    close();
    if (!m_quitting) // a hidden window (in the tray) may not see the close event
        ActFileQuitExecute();
    // Quitting ends the event loops only once the program's own loop runs; a message of the start
    // (shown while the window is made) is dismissed instead, and the program does not enter its loop.
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible() && dialog->isModal())
            dialog->reject();
    }
}
