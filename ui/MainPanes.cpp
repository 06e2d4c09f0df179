// The command strip, the focus lamps of the pane headers, header routing and the side strips.

#include "ui/Main.h"

#include "RsUnits/RsGrid.h"
#include "RsUnits/RsImageList.h"
#include "RsUnits/RsPanel.h"
#include "RsUnits/RsPngButton.h"
#include "ui/MainWidgets.h"

#include <QAction>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

void TMainForm::BindCommandButton(TRsPngButton* button, QAction* action, int imageIndex, bool enable)
{
    if (imageIndex < PngImageList24->Count())
        button->SetGlyphUp(PngImageList24->Pixmap(imageIndex, devicePixelRatioF()));
    button->SetAction(action);
    if (enable)
        button->setEnabled(true);
    button->SetShowHint(true);
}

// fromFocus: the task list grid received the focus (all three buttons enabled); otherwise the
// buttons follow their actions (a window restored during a silent run).
void TMainForm::BindCommandStripTaskList(bool fromFocus)
{
    BindCommandButton(PngButton001, ActTaskListTestTaskList, 0, fromFocus);
    BindCommandButton(PngButton002, ActTaskListRunTaskList, 1, fromFocus);
    BindCommandButton(PngButton003, ActTaskListStopTaskList, 2, fromFocus);
    MoveButtonCaptionsToHints(CommandPanel);
}

void TMainForm::BindCommandStripTask()
{
    BindCommandButton(PngButton001, ActTaskTestTask, 8, true);
    BindCommandButton(PngButton002, ActTaskRunTask, 9, true);
    BindCommandButton(PngButton003, ActTaskStopTask, 10, true);
    MoveButtonCaptionsToHints(CommandPanel);
}

// The log pane has no test or run of its own: only a stop, and only while something runs.
void TMainForm::Memo301Enter()
{
    PngButton001->setEnabled(false);
    PngButton001->SetShowHint(false);
    PngButton002->setEnabled(false);
    PngButton002->SetShowHint(false);
    PngButton003->setEnabled(FIsBackupRunning);
    PngButton003->SetShowHint(FIsBackupRunning);
    RepaintFocusLamps();
}

void TMainForm::RepaintFocusLamps()
{
    for (TPaintBox* box : {PaintBox101, PaintBox201, PaintBox301})
        box->update();
}

void TMainForm::PaintFocusLamp(TPaintBox* box, QWidget* control)
{
    QPainter painter(box);
    const QRect r = box->rect();
    if (control && focusWidget() == control)
        painter.fillRect(r, IndicatorColor);
    // A one-pixel sunken frame: dark upper and left edges, light lower and right edges.
    painter.setPen(IndicatorTopColor);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(IndicatorBottomColor);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

void TMainForm::HeaderMouseDown(QWidget* target, Qt::MouseButton button, Qt::KeyboardModifiers shift)
{
    if (button != Qt::LeftButton && button != Qt::RightButton)
        return;
    if (shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
        return;
    if (target && target->isEnabled())
        target->setFocus(Qt::MouseFocusReason);
}

void TMainForm::SideStripResize(QWidget* strip, TRsPngButton* upper, TRsPngButton* lower)
{
    const int gap = Scaled(13);
    const int top = (strip->height() - upper->height() - lower->height() - gap) / 2;
    const int left = (strip->width() - upper->width()) / 2;
    upper->move(left, top);
    lower->move(left, top + upper->height() + gap);
}

bool TMainForm::Memo301KeyDown(int key, Qt::KeyboardModifiers shift)
{
    const Qt::KeyboardModifiers held = shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (key == Qt::Key_A && held == Qt::ControlModifier) {
        Memo301->selectAll();
        return true;
    }
    return false;
}

void TMainForm::FocusChanged(QWidget*, QWidget* now)
{
    if (now && now == Memo301)
        Memo301Enter();
    RepaintFocusLamps();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (Grid201 && watched == Grid201->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        // Remembered for Grid201DblClick, which the grid raises without the mouse position.
        auto* mouse = static_cast<QMouseEvent*>(event);
        m_grid201DblClickPending = mouse->button() == Qt::LeftButton;
        m_grid201DblClickPos = mouse->position().toPoint();
        m_grid201DblClickShift = mouse->modifiers();
        return false;
    }
    if (watched == Memo301 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (Memo301KeyDown(key->key(), key->modifiers()))
            return true;
    }
    if (watched == Memo301 && event->type() == QEvent::ShortcutOverride) {
        // Ctrl+A belongs to the log pane even when a command has it as its shortcut; Ctrl+A with
        // Shift or Alt stays free for the commands.
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers held =
            key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        if (key->key() == Qt::Key_A && held == Qt::ControlModifier) {
            event->accept();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
