#pragma once

// Drives the modal dialogs that the window's commands open and run to their end: a test schedules
// what to do with the dialog before it triggers the command.

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <functional>

// Calls act with the modal dialog as soon as one is shown. If the dialog is still open five seconds
// later (a failed check inside act returned early), it is hidden so that the command returns and the
// test reports the failure instead of hanging.
inline void onModalDialog(const std::function<void(QDialog*)>& act)
{
    QTimer::singleShot(0, qApp, [act] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) {
            onModalDialog(act);
            return;
        }
        QPointer<QDialog> guard(dialog);
        QTimer::singleShot(5000, dialog, [guard] {
            if (guard)
                guard->hide();
        });
        act(dialog);
    });
}

// Closes every modal dialog that is shown while it lives, as the user would with the close box; a
// dialog that refuses twice is hidden.
class ModalDialogCloser
{
public:
    ModalDialogCloser()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            ++closed;
            if (dialog == m_last && ++m_refusals >= 2) {
                dialog->hide();
                return;
            }
            if (dialog != m_last)
                m_refusals = 0;
            m_last = dialog;
            dialog->close();
        });
        m_timer.start();
    }
    // How many times a dialog was asked to close.
    int closed = 0;

private:
    QTimer m_timer;
    QPointer<QDialog> m_last;
    int m_refusals = 0;
};
