// The task list grid (Grid101) and the task grid (Grid201): set-up, drawing, selection, the
// check boxes, tooltips for shortened texts and the popup menus.

#include "ui/Main.h"

#include "app/Lang.h"
#include "RsUnits/RsGrid.h"
#include "RsUnits/RsImageList.h"
#include "RsUnits/RsPngButton.h"

#include <QAction>
#include <QCursor>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolTip>

#include <cmath>

using namespace Qt::StringLiterals;

void TMainForm::SetUpGrids()
{
    const int rowHeight = Scaled(24);
    for (TRsGrid* grid : {Grid101, Grid201}) {
        grid->BeginUpdate();
        grid->SetFixedCols(0);
        grid->SetFixedRows(1);
        grid->SetDefaultRowHeight(rowHeight);
        grid->ViewOptions()->SetShowHorzScrollBar(false);
        grid->ViewOptions()->SetShowVertScrollBar(true);
        grid->ViewOptions()->AdjustDefaultColors();
        grid->setAttribute(Qt::WA_InputMethodEnabled, false);
        grid->setContextMenuPolicy(Qt::CustomContextMenu);
        grid->setFocusPolicy(Qt::StrongFocus);
        // Moves without a button held are needed for the tooltips of shortened texts.
        grid->viewport()->setMouseTracking(true);
        grid->viewport()->installEventFilter(this);
        grid->EndUpdate();
    }
    Grid101->SetOptions(goFixedHorzLine | goHorzLine | goRowSelect | goThumbTracking);
    Grid101->SetColCount(1);
    Grid101->SetRowCount(qMax(AManager.Count() + 1, 2));
    Grid201->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRowSelect |
                        goThumbTracking);
    Grid201->SetColCount(3);
    Grid201->SetRowCount(2);
    Grid201->SetColWidths(0, Grid201->DefaultRowHeight());
    Grid101Resize();
    Grid201Resize();

    connect(Grid101, &TRsGrid::drawCell, this,
            [this](TRsGrid*, int c, int r, const QRect& rect, TGridDrawState) { Grid101DrawCell(c, r, rect); });
    connect(Grid201, &TRsGrid::drawCell, this,
            [this](TRsGrid*, int c, int r, const QRect& rect, TGridDrawState) { Grid201DrawCell(c, r, rect); });
    connect(Grid101, &TRsGrid::clicked, this, [this](TRsGrid*) { Grid101Click(); });
    connect(Grid101, &TRsGrid::mouseDown, this,
            [this](TRsGrid*, Qt::MouseButton b, Qt::KeyboardModifiers s, const QPoint& p) { Grid101MouseDown(b, s, p); });
    connect(Grid101, &TRsGrid::mouseUp, this,
            [this](TRsGrid*, Qt::MouseButton b, Qt::KeyboardModifiers s, const QPoint& p) { Grid101MouseUp(b, s, p); });
    connect(Grid101, &TRsGrid::mouseMove, this,
            [this](TRsGrid*, Qt::MouseButtons, Qt::KeyboardModifiers, const QPoint& p) { Grid101MouseMove(p); });
    connect(Grid201, &TRsGrid::mouseMove, this,
            [this](TRsGrid*, Qt::MouseButtons, Qt::KeyboardModifiers, const QPoint& p) { Grid201MouseMove(p); });
    connect(Grid101, &TRsGrid::dblClicked, this, [this](TRsGrid*) { Grid101DblClick(); });
    connect(Grid201, &TRsGrid::dblClicked, this, [this](TRsGrid*) { Grid201DblClick(); });
    connect(Grid201, &TRsGrid::mouseDown, this,
            [this](TRsGrid*, Qt::MouseButton b, Qt::KeyboardModifiers s, const QPoint& p) { Grid201MouseDown(b, s, p); });
    connect(Grid201, &TRsGrid::keyDown, this,
            [this](TRsGrid*, int& key, Qt::KeyboardModifiers s) { Grid201KeyDown(key, s); });
    connect(Grid101, &TRsGrid::entered, this, [this](TRsGrid*) { Grid101Enter(); });
    connect(Grid201, &TRsGrid::entered, this, [this](TRsGrid*) { Grid201Enter(); });
    connect(Grid201, &TRsGrid::exited, this, [this](TRsGrid*) { Grid201Exit(); });
    connect(Grid101, &TRsGrid::resized, this, [this](TRsGrid*) { Grid101Resize(); });
    connect(Grid201, &TRsGrid::resized, this, [this](TRsGrid*) { Grid201Resize(); });
    connect(Grid101, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        Grid101Menu->popup(Grid101->viewport()->mapToGlobal(pos));
    });
    connect(Grid201, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        Grid201Menu->popup(Grid201->viewport()->mapToGlobal(pos));
    });
}

void TMainForm::ComputeGridMargins()
{
    const QFontMetrics metrics(Grid101->font());
    // The toolkit's signed font height denotes the character height (ascent + descent less the
    // internal leading); half of it is the text's left margin.
    const int charHeight = metrics.ascent() + metrics.descent() - metrics.leading();
    FGridTextLeftMargin = std::abs(charHeight) / 2;
    FGridTextTopMargin = GetTextTopMargin(metrics, Grid101->DefaultRowHeight());
    FGridCheckBoxLeftMargin = (Grid201->ColWidths(0) - 16) / 2;
    FGridCheckBoxTopMargin = (Grid201->DefaultRowHeight() - 16) / 2;
}

void TMainForm::SelectTaskList(TRsTaskList* list)
{
    Grid201->BeginUpdate();
    if (list) {
        Grid201->SetRowCount(qMax(list->Count() + 1, 2));
        Grid201->SetRow(qBound(1, list->LastRow, Grid201->RowCount() - 1));
        Grid201->SetTopRow(qBound(1, list->LastTopRow, Grid201->RowCount() - 1));
    } else {
        Grid201->SetRowCount(2);
    }
    Grid201->EndUpdate();
    setWindowTitle(MakeMainCaption(list));
}

// ---------------------------------------------------------------------------------------------
// Drawing

void TMainForm::Grid101DrawCell(int col, int row, const QRect& rect)
{
    QPainter* canvas = Grid101->Canvas();
    if (!canvas)
        return;
    const QFontMetrics metrics = canvas->fontMetrics();
    const int x = rect.left() + FGridTextLeftMargin;
    const int baseline = rect.top() + FGridTextTopMargin + metrics.ascent();
    const int w = rect.width() - 2 * FGridTextLeftMargin;
    if (row == 0) {
        canvas->drawText(QPoint(x, baseline), NameLabel);
        return;
    }
    if (col != 0 || AManager.Count() == 0 || row - 1 >= AManager.Count())
        return;
    TRsTaskList* list = AManager.Items(row - 1);
    bool truncated = false;
    const QString text = FitTextWithEllipsis(metrics, w, list->TaskListName(), truncated);
    canvas->drawText(QPoint(x, baseline), text);
    list->IsTruncated = truncated;
}

void TMainForm::Grid201DrawCell(int col, int row, const QRect& rect)
{
    QPainter* canvas = Grid201->Canvas();
    if (!canvas)
        return;
    const QFontMetrics metrics = canvas->fontMetrics();
    const int x = rect.left() + FGridTextLeftMargin;
    const int baseline = rect.top() + FGridTextTopMargin + metrics.ascent();
    const int w = rect.width() - 2 * FGridTextLeftMargin;
    if (row == 0) {
        if (col == 1)
            canvas->drawText(QPoint(x, baseline), SrcLabel);
        else if (col == 2)
            canvas->drawText(QPoint(x, baseline), DstLabel);
        return;
    }
    TRsTaskList* list = SelectedTaskList();
    if (!list || list->Count() == 0 || row - 1 >= list->Count())
        return;
    TRsTaskItem* task = list->Items(row - 1);
    bool truncated = false;
    switch (col) {
    case 0:
        canvas->drawPixmap(QPoint(rect.left() + FGridCheckBoxLeftMargin, rect.top() + FGridCheckBoxTopMargin),
                           PngImageList16->Pixmap(task->Enabled ? 1 : 0, canvas->device()->devicePixelRatioF()));
        break;
    case 1:
        canvas->drawText(QPoint(x, baseline), FitTextWithEllipsis(metrics, w, task->SrcPath, truncated));
        task->IsSrcTruncated = truncated;
        break;
    case 2:
        canvas->drawText(QPoint(x, baseline), FitTextWithEllipsis(metrics, w, task->DstPath, truncated));
        task->IsDstTruncated = truncated;
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Selection and check boxes

void TMainForm::Grid101Click()
{
    if (!FGrid101LeftClicked)
        SelectTaskList(SelectedTaskList());
}

void TMainForm::Grid101MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos)
{
    if (shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
        return;
    TRsTaskList* list = SelectedTaskList();
    if (!list)
        return;
    if (button == Qt::LeftButton) {
        // The grid has already moved the selection to the pressed row: load it once, now.
        FGrid101LeftClicked = true;
        SelectTaskList(list);
    } else if (button == Qt::RightButton) {
        int col = -1;
        int row = -1;
        Grid101->MouseToCell(pos.x(), pos.y(), col, row);
        if (col == 0 && row >= 1 && row < Grid101->RowCount())
            Grid101->SetRow(row); // raises Grid101Click, so the popup menu acts on this list
    }
}

void TMainForm::Grid101MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, const QPoint&)
{
    FGrid101LeftClicked = false;
}

void TMainForm::Grid201MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos)
{
    TRsTaskList* list = SelectedTaskList();
    if (!list || list->Count() == 0)
        return;
    if (shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
        return;
    if (button == Qt::LeftButton) {
        ToggleTaskEnabled(list, pos.x(), pos.y());
    } else if (button == Qt::RightButton) {
        int col = -1;
        int row = -1;
        Grid201->MouseToCell(pos.x(), pos.y(), col, row);
        if ((col == 1 || col == 2) && row >= 1 && row < Grid201->RowCount()) {
            Grid201->SetCol(col);
            Grid201->SetRow(row);
        }
    }
}

void TMainForm::ToggleTaskEnabled(TRsTaskList* list, int x, int y)
{
    int col = -1;
    int row = -1;
    Grid201->MouseToCell(x, y, col, row);
    if (col != 0 || row < 1 || row - 1 >= list->Count())
        return;
    const QRect cell = Grid201->CellRect(col, row);
    const QRect box(cell.left() + FGridCheckBoxLeftMargin, cell.top() + FGridCheckBoxTopMargin, 16, 16);
    if (!box.contains(x, y))
        return;
    TRsTaskItem* task = list->Items(row - 1);
    task->Enabled = !task->Enabled;
    Grid201->viewport()->update(cell);
}

// The space bar toggles the check box of the current task, as a click on it does.
void TMainForm::Grid201KeyDown(int& key, Qt::KeyboardModifiers shift)
{
    if (key != Qt::Key_Space || (shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)))
        return;
    TRsTaskList* list = SelectedTaskList();
    const int row = Grid201->Row();
    if (!list || row < 1 || row - 1 >= list->Count())
        return;
    TRsTaskItem* task = list->Items(row - 1);
    task->Enabled = !task->Enabled;
    Grid201->viewport()->update();
    key = 0;
}

void TMainForm::Grid101DblClick()
{
    ActTaskListConfigTaskList->trigger();
}

void TMainForm::Grid201DblClick()
{
    ActTaskConfigTask->trigger();
    // The second press of a double click is a press too: on a check box it toggles the task once
    // the dialog has closed, as the first press did before it opened.
    if (m_grid201DblClickPending) {
        m_grid201DblClickPending = false;
        Grid201MouseDown(Qt::LeftButton, m_grid201DblClickShift, m_grid201DblClickPos);
    }
}

void TMainForm::Grid101Enter()
{
    BindCommandStripTaskList(true);
    RepaintFocusLamps();
}

void TMainForm::Grid201Enter()
{
    BindCommandStripTask();
    RepaintFocusLamps();
}

void TMainForm::Grid201Exit()
{
    TRsTaskList* list = SelectedTaskList();
    if (!list || list->Count() == 0)
        return;
    list->LastRow = Grid201->Row();
    list->LastTopRow = Grid201->TopRow();
}

// ---------------------------------------------------------------------------------------------
// Tooltips for shortened texts

void TMainForm::ShowGridTip(TRsGrid* grid, const QPoint& pos, const QString& text)
{
    // The tip belongs to the surface under the mouse (the viewport); both carry it so either
    // route of the help event finds it.
    if (grid->viewport()->toolTip() == text)
        return;
    grid->setToolTip(text);
    grid->viewport()->setToolTip(text);
    if (text.isEmpty())
        QToolTip::hideText();
    else if (QToolTip::isVisible())
        QToolTip::showText(grid->viewport()->mapToGlobal(pos), text, grid->viewport());
}

void TMainForm::Grid101MouseMove(const QPoint& pos)
{
    if (!SelectedTaskList())
        return;
    int col = -1;
    int row = -1;
    Grid101->MouseToCell(pos.x(), pos.y(), col, row);
    if (col == 0 && row >= 1 && row - 1 < AManager.Count() && AManager.Items(row - 1)->IsTruncated)
        ShowGridTip(Grid101, pos, AManager.Items(row - 1)->TaskListName());
    else
        ShowGridTip(Grid101, pos, QString());
}

void TMainForm::Grid201MouseMove(const QPoint& pos)
{
    TRsTaskList* list = SelectedTaskList();
    if (!list || list->Count() == 0) {
        ShowGridTip(Grid201, pos, QString());
        return;
    }
    int col = -1;
    int row = -1;
    Grid201->MouseToCell(pos.x(), pos.y(), col, row);
    QString text;
    if (row >= 1 && row - 1 < list->Count()) {
        const TRsTaskItem* task = list->Items(row - 1);
        if (col == 1 && task->IsSrcTruncated)
            text = task->SrcPath;
        else if (col == 2 && task->IsDstTruncated)
            text = task->DstPath;
    }
    ShowGridTip(Grid201, pos, text);
}

// ---------------------------------------------------------------------------------------------
// Column widths

void TMainForm::Grid101Resize()
{
    Grid101->SetColWidths(0, Grid101->viewport()->width());
}

void TMainForm::Grid201Resize()
{
    const int w0 = Grid201->ColWidths(0);
    const int cw = Grid201->viewport()->width();
    const int w1 = (cw - w0 - 3) / 2;
    Grid201->SetColWidths(1, qMax(0, w1));
    Grid201->SetColWidths(2, qMax(0, cw - w0 - 3 - w1));
}

// ---------------------------------------------------------------------------------------------
// Popup menus: the grid's main menu without its last item (the stop command)

namespace {

void mirrorMenu(QMenu* target, const QMenu* source)
{
    target->clear();
    const QList<QAction*> items = source->actions();
    for (int i = 0; i + 1 < items.size(); ++i) {
        QAction* item = items.at(i);
        if (item->isSeparator())
            target->addSeparator();
        else
            target->addAction(item);
    }
}

} // namespace

void TMainForm::Grid101MenuPopup()
{
    mirrorMenu(Grid101Menu, TaskList1);
}

void TMainForm::Grid201MenuPopup()
{
    mirrorMenu(Grid201Menu, Task1);
}

// ---------------------------------------------------------------------------------------------
// Check box pictures

void TMainForm::MakeCheckBoxImages(TRsImageList* list)
{
    list->Clear();
    // Drawn by the current style at one and at two times the size, transparent around the box.
    const auto draw = [](bool checked, int scale) {
        QImage image(16 * scale, 16 * scale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        // The frame: a white box with a two-pixel black edge from (2, 1) to (13, 13).
        painter.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::white);
        painter.drawPolygon(QPolygon({QPoint(2, 2), QPoint(2, 13), QPoint(13, 13), QPoint(13, 2)}));
        if (checked) {
            painter.setPen(QPen(Qt::black, 1));
            const int ticks[][3] = {{4, 6, 9}, {5, 7, 10}, {6, 8, 11}, {7, 7, 10}, {8, 6, 9}, {9, 5, 8}, {10, 4, 7}};
            for (const auto& t : ticks)
                painter.fillRect(QRectF(t[0], t[1], 1, t[2] - t[1]), Qt::black);
        }
        painter.end();
        QImage plain = image;
        plain.setDevicePixelRatio(1);
        return plain;
    };
    list->Add(draw(false, 1), draw(false, 2));
    list->Add(draw(true, 1), draw(true, 2));
}
