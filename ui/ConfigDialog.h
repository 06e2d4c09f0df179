#pragma once

#include "app/Lang.h"
#include "app/Settings.h"

#include <QDialog>
#include <QPoint>

class QCheckBox;
class QLabel;
class QPushButton;
class TMainForm;
class TRsEdit;
class TRsSpacer;

// What the task list and task dialogs share: controls placed at their design positions scaled to the
// screen, the texts of the language file, the position kept in the settings file, and closing by the
// close button, Enter, Escape or the close box, each of which asks the dialog whether it may close.
class TConfigDialog : public QDialog
{
    Q_OBJECT

public:
    // name: the dialog's object name and its section in the settings file; designed: its position
    // when the settings file has none; clientWidth x clientHeight: the client area at 96 dpi.
    TConfigDialog(TMainForm& mainForm, const QString& name, QPoint designed, int clientWidth, int clientHeight);

    // A design size at 96 dpi on this dialog's screen.
    int Scaled(int size) const;
    // Called once the modal run is over. A dialog whose run ended without its close (the program
    // was asked to quit while it was open) drops what it had only begun: a new list or task that
    // is still empty.
    void Finish();

protected:
    // Places a control at a design rectangle (height 0: the control's own height is kept).
    void Place(QWidget* control, int left, int top, int width, int height = 0) const;
    QLabel* MakeLabel(QWidget* parent, const QString& name, int left, int top);
    // A flat, borderless edit with the standard edit context menu, 23 pixels high at 96 dpi.
    TRsEdit* MakeEdit(QWidget* parent, const QString& name, int left, int top, int width);
    // A read-only edit on the dialog's background, for texts the dialog computes.
    TRsEdit* MakeReadOnlyEdit(QWidget* parent, const QString& name, int left, int top, int width);
    QCheckBox* MakeCheckBox(QWidget* parent, const QString& name, int left, int top, int width = 0);
    QPushButton* MakeButton(QWidget* parent, const QString& name, int left, int top, int width = 75, int height = 25);
    TRsSpacer* MakeDoubleLine(QWidget* parent, const QString& name, int left, int top, int width);
    // The close button: both the default and the cancel button.
    QPushButton* MakeCloseButton(const QString& name, int left, int top);

    // Gives every control its caption from texts (by object name); the window caption is the
    // application title, " - " and caption.
    void ApplyTexts(const TDialogTexts& texts, const QString& caption);
    // Moves the dialog to its last position (or the designed one).
    void LoadPosition();

    // The dialog's opening, once, when it is first shown.
    virtual void FormShow() = 0;
    // The dialog's commit: false keeps the dialog open (after the dialog has told the user why).
    virtual bool FormClose() = 0;
    // The run ended without the commit.
    virtual void FormAbandon() = 0;

    TMainForm& MainForm() const { return m_mainForm; }
    // The dialog has committed: the focus leaving a field as it hides changes nothing any more.
    bool Closed() const { return m_closing; }

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void done(int result) override;

private:
    TMainForm& m_mainForm;
    QPoint m_designed;
    double m_dpi = 96.0;
    bool m_shown = false;
    bool m_closing = false;
};
