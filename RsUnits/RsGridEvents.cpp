// Event handling of the grid: painting, keyboard, wheel, mouse, focus and size.
#include "RsUnits/RsGrid.h"

#include <QFocusEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>

namespace {

// Lines between cells in the gradient look.
const QColor kGridLineColor(0xF0, 0xF0, 0xF0);
// A wheel notch, as wheel deltas count it.
constexpr int kWheelDelta = 120;
// How far from a boundary in the fixed cells a press still grabs it.
constexpr int kSizingTolerance = 3;

} // namespace

// ---------------------------------------------------------------------------------------------
// Painting

void TRsGrid::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), Color());
    const Axis h = horzAxis();
    const Axis v = vertAxis();
    const bool focused = hasFocus();

    // Visible columns and rows: the fixed ones, then the scrollable ones from LeftCol / TopRow.
    const auto visibleIndexes = [](const Axis& axis) {
        QVector<int> indexes;
        int pos = 0;
        for (int i = 0; i < axis.fixed && pos < axis.extent; ++i) {
            indexes.append(i);
            pos += (*axis.sizes)[i] + axis.fixedLine;
        }
        for (int i = axis.first; i < axis.sizes->size() && pos < axis.extent; ++i) {
            indexes.append(i);
            pos += (*axis.sizes)[i] + axis.line;
        }
        return indexes;
    };
    const QVector<int> cols = visibleIndexes(h);
    const QVector<int> rows = visibleIndexes(v);

    int y = 0;
    for (int row : rows) {
        const int rowHeight = m_rowHeights[row];
        const int hLine = row < m_fixedRows ? v.fixedLine : v.line;
        int x = 0;
        for (int col : cols) {
            const int colWidth = m_colWidths[col];
            const int vLine = col < m_fixedCols ? h.fixedLine : h.line;
            const bool fixed = col < m_fixedCols || row < m_fixedRows;
            if (vLine > 0)
                painter.fillRect(QRect(x + colWidth, y, vLine, rowHeight + hLine), kGridLineColor);
            if (hLine > 0)
                painter.fillRect(QRect(x, y + rowHeight, colWidth + vLine, hLine), kGridLineColor);

            TGridDrawState state;
            QRect rect(x, y, colWidth, rowHeight);
            if (fixed) {
                state |= gdFixed;
                if (QPoint(col, row) == m_hotCell) {
                    if (m_options.testFlag(goFixedHotTrack))
                        state |= gdHotTrack;
                    if (m_hotPressed) {
                        state |= gdPressed;
                        rect.translate(1, 1);
                    }
                }
            } else {
                const bool current = col == m_col && row == m_row;
                const bool rowSelect = m_options.testFlag(goRowSelect);
                if (current || (rowSelect && row == m_row))
                    state |= gdSelected;
                if (rowSelect && row == m_row)
                    state |= gdRowSelected;
                if (current && focused)
                    state |= gdFocused;
            }
            painter.save();
            painter.setClipRect(QRect(x, y, colWidth, rowHeight));
            DrawCell(painter, col, row, rect, state);
            painter.restore();
            x += colWidth + vLine;
        }
        y += rowHeight + hLine;
    }
}

void TRsGrid::DrawCell(QPainter& painter, int col, int row, QRect rect, TGridDrawState state)
{
    const bool colClick = m_options.testFlag(goFixedColClick);
    const bool rowClick = m_options.testFlag(goFixedRowClick);
    const auto unpress = [&] {
        if (state.testFlag(gdPressed)) {
            state &= ~TGridDrawState(gdPressed);
            rect.translate(-1, -1);
        }
    };
    // The header cell over the first scrollable column (or beside the first scrollable row) never
    // looks clickable: it sits where a corner cell would be when there are no fixed columns.
    if ((colClick && !rowClick && m_fixedRows >= 1 && col == m_fixedCols && row < m_fixedRows)
        || (rowClick && !colClick && m_fixedCols >= 1 && col < m_fixedCols && row == m_fixedRows)) {
        unpress();
        if (m_options.testFlag(goFixedHotTrack))
            state &= ~TGridDrawState(gdHotTrack);
    }
    if ((colClick || rowClick) && FClickDisabledFixedCells.contains(QPoint(col, row))) {
        unpress();
        state &= ~TGridDrawState(gdHotTrack);
        m_hotCell = QPoint(-1, -1);
        m_hotPressed = false;
    }

    const QColor background = Color();
    painter.setBrush(background);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Text));
    painter.setBackgroundMode(Qt::TransparentMode);

    const RsGrid::TViewOptions& vo = *m_viewOptions;
    if (state.testFlag(gdFixed)) {
        QColor top = vo.FixedNormalStartColor();
        QColor bottom = vo.FixedNormalEndColor();
        if (state.testFlag(gdPressed)) {
            top = vo.FixedNormalEndColor();
            bottom = vo.FixedNormalStartColor();
        } else if (state.testFlag(gdHotTrack)) {
            top = vo.FixedHotStartColor();
            bottom = vo.FixedHotEndColor();
        }
        QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
        gradient.setColorAt(0, top);
        gradient.setColorAt(1, bottom);
        painter.fillRect(rect, gradient);
    } else {
        painter.fillRect(rect, background);
        if (state.testFlag(gdSelected)) {
            const bool active = hasFocus();
            painter.setPen(active ? vo.SelectedFontColor() : vo.InactiveSelectedFontColor());
            painter.save();
            painter.setOpacity(vo.SelectedColorAlphaBlendValue() / 255.0);
            painter.fillRect(rect, active ? vo.SelectedColor() : vo.InactiveSelectedColor());
            painter.restore();
        }
    }

    const QString text = Cells(col, row);
    if (!text.isEmpty()) {
        const QFontMetrics metrics(font());
        const int margin = QFontInfo(font()).pixelSize() / 2;
        bool truncated = false;
        const QString shown = FitTextWithEllipsis(metrics, rect.width() - 2 * margin, text, truncated);
        const int textTop = rect.top() + (rect.height() - metrics.height()) / 2;
        painter.drawText(QPoint(rect.left() + margin, textTop + metrics.ascent()), shown);
    }

    m_canvas = &painter;
    emit drawCell(this, col, row, rect, state);
    m_canvas = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Keyboard: navigation that wraps at the ends on a fresh press only.

bool TRsGrid::arrowKey(int& key)
{
    const int visibleRows = VisibleRowCount();
    const int visibleCols = VisibleColCount();
    switch (key) {
    case Qt::Key_Up:
        if (m_row > m_fixedRows) {
            SetRow(m_row - 1);
            FFlagVkUp = false;
        } else if (FFlagVkUp) {
            key = 0;
            SetRow(RowCount() - 1);
            SetTopRow(RowCount() - visibleRows);
            FFlagVkUp = false;
        }
        UpdateVertScrollBar();
        return true;
    case Qt::Key_Down:
        if (m_row < RowCount() - 1) {
            SetRow(m_row + 1);
            FFlagVkDown = false;
        } else if (FFlagVkDown) {
            key = 0;
            SetRow(m_fixedRows);
            SetTopRow(m_row);
            FFlagVkDown = false;
        }
        UpdateVertScrollBar();
        return true;
    case Qt::Key_Left:
        if (m_options.testFlag(goRowSelect))
            return true;
        if (m_col > m_fixedCols) {
            SetCol(m_col - 1);
            FFlagVkLeft = false;
        } else if (FFlagVkLeft) {
            key = 0;
            SetCol(ColCount() - 1);
            SetLeftCol(ColCount() - visibleCols);
            FFlagVkLeft = false;
        }
        UpdateHorzScrollBar();
        return true;
    case Qt::Key_Right:
        if (m_options.testFlag(goRowSelect))
            return true;
        if (m_col < ColCount() - 1) {
            SetCol(m_col + 1);
            FFlagVkRight = false;
        } else if (FFlagVkRight) {
            key = 0;
            SetCol(m_fixedCols);
            SetLeftCol(m_col);
            FFlagVkRight = false;
        }
        UpdateHorzScrollBar();
        return true;
    default:
        return false;
    }
}

void TRsGrid::pageKey(int key)
{
    const int v = VisibleRowCount();
    const int r = m_row;
    const int t = m_topRow;
    if (key == Qt::Key_PageUp) {
        if (r - v + 1 > m_fixedRows) {
            SetRow(r - v + 1);
            SetTopRow(m_row < v + m_fixedRows - 1 ? m_fixedRows : t - v + 1);
        } else {
            SetRow(m_fixedRows);
        }
    } else {
        if (r < RowCount() - v) {
            SetRow(r + v - 1);
            SetTopRow(m_row < RowCount() - v ? t + v - 1 : RowCount() - v);
        } else {
            SetRow(RowCount() - 1);
        }
    }
    UpdateVertScrollBar();
}

void TRsGrid::keyPressEvent(QKeyEvent* event)
{
    int key = event->key();
    const Qt::KeyboardModifiers shift = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    bool handled = false;
    if (!shift) {
        // A press that is not a repeat means the key was let go since, even if its release went to
        // another window while this one had no focus.
        if (!event->isAutoRepeat()) {
            switch (key) {
            case Qt::Key_Up: FFlagVkUp = true; break;
            case Qt::Key_Down: FFlagVkDown = true; break;
            case Qt::Key_Left: FFlagVkLeft = true; break;
            case Qt::Key_Right: FFlagVkRight = true; break;
            default: break;
            }
        }
        BeginUpdate();
        if (arrowKey(key)) {
            handled = true;
        } else if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            pageKey(key);
            handled = true;
        } else if (key == Qt::Key_Home || key == Qt::Key_End) {
            handled = true; // deliberately inert
        }
        EndUpdate();
    }
    emit keyDown(this, key, event->modifiers());
    if (handled || key == 0)
        event->accept();
    else
        event->ignore();
}

void TRsGrid::keyReleaseEvent(QKeyEvent* event)
{
    int key = event->key();
    const bool modifiers = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (!modifiers && !event->isAutoRepeat()) {
        switch (key) {
        case Qt::Key_Up: FFlagVkUp = true; break;
        case Qt::Key_Down: FFlagVkDown = true; break;
        case Qt::Key_Left: FFlagVkLeft = true; break;
        case Qt::Key_Right: FFlagVkRight = true; break;
        default: break;
        }
    }
    emit keyUp(this, key, event->modifiers());
    event->ignore();
}

// ---------------------------------------------------------------------------------------------
// Mouse wheel: moves the selection, not only the view, and wraps at the ends.

void TRsGrid::wheelStep(bool up, Qt::KeyboardModifiers shift, const QPoint& pos)
{
    BeginUpdate();
    if (shift.testFlag(Qt::AltModifier)) {
        // nothing moves
    } else if (shift.testFlag(Qt::ShiftModifier)) {
        if (!m_options.testFlag(goRowSelect)) {
            if (up) {
                if (m_col > m_fixedCols) {
                    SetCol(m_col - 1);
                } else {
                    SetCol(ColCount() - 1);
                    SetLeftCol(ColCount() - VisibleColCount());
                }
            } else if (m_col < ColCount() - 1) {
                SetCol(m_col + 1);
            } else {
                SetCol(m_fixedCols);
                SetLeftCol(m_col);
            }
        }
    } else if (shift.testFlag(Qt::ControlModifier)) {
        // nothing moves
    } else if (up) {
        if (m_row > m_fixedRows) {
            SetRow(m_row - 1);
        } else {
            SetRow(RowCount() - 1);
            SetTopRow(RowCount() - VisibleRowCount());
        }
    } else if (m_row < RowCount() - 1) {
        SetRow(m_row + 1);
    } else {
        SetRow(m_fixedRows);
        SetTopRow(m_row);
    }
    EndUpdate();
    UpdateScrollBars();
    bool handled = false;
    if (up)
        emit mouseWheelUp(this, shift, pos, handled);
    else
        emit mouseWheelDown(this, shift, pos, handled);
}

void TRsGrid::wheelEvent(QWheelEvent* event)
{
    // Some platforms turn a wheel turned with Shift or Alt held into a horizontal one.
    const QPoint angle = event->angleDelta();
    m_wheelRemainder += angle.y() != 0 ? angle.y() : angle.x();
    const Qt::KeyboardModifiers shift = event->modifiers();
    const QPoint pos = event->position().toPoint();
    while (m_wheelRemainder >= kWheelDelta) {
        m_wheelRemainder -= kWheelDelta;
        wheelStep(true, shift, pos);
    }
    while (m_wheelRemainder <= -kWheelDelta) {
        m_wheelRemainder += kWheelDelta;
        wheelStep(false, shift, pos);
    }
    event->accept();
}

// ---------------------------------------------------------------------------------------------
// Mouse: selection, boundaries that can be dragged, and pressed header cells.

TGridSizingState TRsGrid::CalcSizingState(const QPoint& pos, int* index) const
{
    const auto nearBoundary = [](const Axis& axis, int p) {
        int end = 0;
        const auto test = [&](int i, int line) {
            end += (*axis.sizes)[i];
            const bool hit = p >= end - kSizingTolerance && p < end + line + kSizingTolerance;
            end += line;
            return hit;
        };
        for (int i = 0; i < axis.fixed; ++i) {
            if (end >= axis.extent)
                return -1;
            if (test(i, axis.fixedLine))
                return i;
        }
        for (int i = axis.first; i < axis.sizes->size() && end < axis.extent; ++i) {
            if (test(i, axis.line))
                return i;
        }
        return -1;
    };
    const Axis h = horzAxis();
    const Axis v = vertAxis();
    if (m_options.testFlag(goColSizing) && pos.y() >= 0 && pos.y() < fixedExtent(v)) {
        const int col = nearBoundary(h, pos.x());
        if (col >= 0) {
            if (index)
                *index = col;
            return gsColSizing;
        }
    }
    if (m_options.testFlag(goRowSizing) && pos.x() >= 0 && pos.x() < fixedExtent(h)) {
        const int row = nearBoundary(v, pos.y());
        if (row >= 0) {
            if (index)
                *index = row;
            return gsRowSizing;
        }
    }
    return gsNormal;
}

// Whether pos lies on the header cell of a column whose width is locked, widened over its right
// boundary (state gsColSizing), or beside a row whose height is locked (gsRowSizing); gsNormal: either.
bool TRsGrid::inFixedSizeRect(const QPoint& pos, TGridSizingState state) const
{
    if (state != gsRowSizing) {
        for (int col : FWidthFixedCols) {
            const QRect r = CellRect(col, 0);
            if (!r.isEmpty() && r.adjusted(0, 0, 12, 0).contains(pos))
                return true;
        }
    }
    if (state != gsColSizing) {
        for (int row : FHeightFixedRows) {
            const QRect r = CellRect(0, row);
            if (!r.isEmpty() && r.adjusted(0, 0, 0, 8).contains(pos))
                return true;
        }
    }
    return false;
}

void TRsGrid::updateCursor(const QPoint& pos)
{
    if (inFixedSizeRect(pos, gsNormal)) {
        viewport()->setCursor(Qt::ArrowCursor);
        return;
    }
    const TGridSizingState state = m_drag == Drag::Sizing ? m_sizingState : CalcSizingState(pos);
    if (state == gsRowSizing)
        viewport()->setCursor(Qt::SizeVerCursor);
    else if (state == gsColSizing)
        viewport()->setCursor(Qt::SizeHorCursor);
    else
        viewport()->unsetCursor();
}

bool TRsGrid::isClickableFixed(int col, int row) const
{
    if (col < 0 || row < 0)
        return false;
    return (m_options.testFlag(goFixedColClick) && row < m_fixedRows && col >= m_fixedCols)
           || (m_options.testFlag(goFixedRowClick) && col < m_fixedCols && row >= m_fixedRows);
}

void TRsGrid::setHot(int col, int row, bool pressed)
{
    const QPoint cell(col, row);
    if (cell == m_hotCell && pressed == m_hotPressed)
        return;
    const QRect oldRect = CellRect(m_hotCell.x(), m_hotCell.y());
    m_hotCell = cell;
    m_hotPressed = pressed;
    viewport()->update(oldRect.adjusted(0, 0, 1, 1));
    viewport()->update(CellRect(col, row).adjusted(0, 0, 1, 1));
}

void TRsGrid::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        int index = -1;
        const TGridSizingState state = CalcSizingState(pos, &index);
        if (state != gsNormal) {
            if (inFixedSizeRect(pos, state)) {
                m_sizingState = gsNormal;
                event->accept();
                return; // a locked size: the press does nothing at all
            }
            m_drag = Drag::Sizing;
            m_sizingState = state;
            m_sizingIndex = index;
            m_sizingOrigin = state == gsColSizing ? pos.x() : pos.y();
            m_sizingStartSize = state == gsColSizing ? ColWidths(index) : RowHeights(index);
        } else {
            const QPoint cell = MouseCoord(pos);
            if (cell.x() >= 0) {
                const bool fixed = cell.x() < m_fixedCols || cell.y() < m_fixedRows;
                if (!fixed) {
                    m_drag = Drag::Selecting;
                    setCurrent(cell.x(), cell.y(), false);
                } else if (isClickableFixed(cell.x(), cell.y())) {
                    m_drag = Drag::FixedPress;
                    m_pressedCell = cell;
                    setHot(cell.x(), cell.y(), true);
                }
            }
        }
    }
    UpdateScrollBars();
    emit mouseDown(this, event->button(), event->modifiers(), pos);
    event->accept();
}

void TRsGrid::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    switch (m_drag) {
    case Drag::Sizing: {
        const int delta = (m_sizingState == gsColSizing ? pos.x() : pos.y()) - m_sizingOrigin;
        if (m_sizingState == gsColSizing)
            SetColWidths(m_sizingIndex, m_sizingStartSize + delta);
        else
            SetRowHeights(m_sizingIndex, m_sizingStartSize + delta);
        break;
    }
    case Drag::Selecting:
        if (event->buttons().testFlag(Qt::LeftButton))
            dragSelect(pos);
        break;
    case Drag::FixedPress:
        setHot(m_pressedCell.x(), m_pressedCell.y(), MouseCoord(pos) == m_pressedCell);
        break;
    case Drag::None: {
        const QPoint cell = MouseCoord(pos);
        if (m_options.testFlag(goFixedHotTrack) && isClickableFixed(cell.x(), cell.y()))
            setHot(cell.x(), cell.y(), false);
        else
            setHot(-1, -1, false);
        break;
    }
    }
    updateCursor(pos);
    emit mouseMove(this, event->buttons(), event->modifiers(), pos);
}

// The selection follows a left-button drag; beyond the scrollable cells it moves one row or column
// towards the mouse, and keeps moving while the mouse rests there.
void TRsGrid::dragSelect(const QPoint& pos)
{
    m_lastDragPos = pos;
    const Axis h = horzAxis();
    const Axis v = vertAxis();
    int col = axisHit(h, std::clamp(pos.x(), 0, std::max(h.extent - 1, 0)));
    int row = axisHit(v, std::clamp(pos.y(), 0, std::max(v.extent - 1, 0)));
    bool outside = false;
    if (pos.y() >= v.extent) {
        row = std::min(m_row + 1, RowCount() - 1);
        outside = true;
    } else if (pos.y() < fixedExtent(v)) {
        row = std::max(std::min(m_row, m_topRow) - 1, m_fixedRows);
        outside = true;
    } else if (row < 0) {
        row = RowCount() - 1; // in the empty space below the last row
    }
    if (pos.x() >= h.extent) {
        col = std::min(m_col + 1, ColCount() - 1);
        outside = true;
    } else if (pos.x() < fixedExtent(h)) {
        col = std::max(std::min(m_col, m_leftCol) - 1, m_fixedCols);
        outside = true;
    } else if (col < 0) {
        col = ColCount() - 1;
    }
    if (col >= m_fixedCols && row >= m_fixedRows)
        setCurrent(col, row, false);
    if (outside && !m_dragScrollTimer->isActive())
        m_dragScrollTimer->start();
    else if (!outside)
        m_dragScrollTimer->stop();
}

void TRsGrid::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    m_dragScrollTimer->stop();
    if (event->button() == Qt::LeftButton) {
        const Drag drag = m_drag;
        m_drag = Drag::None;
        m_sizingState = gsNormal;
        if (drag == Drag::Selecting) {
            emit clicked(this);
        } else if (drag == Drag::FixedPress) {
            const bool over = MouseCoord(pos) == m_pressedCell;
            const QPoint cell = m_pressedCell;
            m_pressedCell = QPoint(-1, -1);
            if (over && m_options.testFlag(goFixedHotTrack))
                setHot(cell.x(), cell.y(), false);
            else
                setHot(-1, -1, false);
            if (over)
                emit fixedCellClicked(this, cell.x(), cell.y());
        }
    }
    emit mouseUp(this, event->button(), event->modifiers(), pos);
}

void TRsGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit dblClicked(this);
    event->accept();
}

bool TRsGrid::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Leave && m_drag == Drag::None)
        setHot(-1, -1, false);
    return QAbstractScrollArea::viewportEvent(event);
}

// ---------------------------------------------------------------------------------------------
// Focus, size and showing

void TRsGrid::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
    if (event->reason() != Qt::PopupFocusReason)
        emit entered(this);
}

void TRsGrid::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
    if (event->reason() != Qt::PopupFocusReason)
        emit exited(this);
}

void TRsGrid::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange
        || event->type() == QEvent::EnabledChange)
        viewport()->update();
}

void TRsGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    clampTopLeft();
    UpdateScrollBars();
    emit resized(this);
    viewport()->update();
}

void TRsGrid::showEvent(QShowEvent* event)
{
    QAbstractScrollArea::showEvent(event);
    clampTopLeft();
    UpdateScrollBars();
}
