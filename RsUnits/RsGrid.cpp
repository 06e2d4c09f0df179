#include "RsUnits/RsGrid.h"

#include <QFocusEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Lines between cells in the gradient look.
const QColor kGridLineColor(0xF0, 0xF0, 0xF0);
// A wheel notch, as wheel deltas count it.
constexpr int kWheelDelta = 120;
// How far from a boundary in the fixed cells a press still grabs it.
constexpr int kSizingTolerance = 3;

int roundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value)); // the default rounding mode rounds halves to even
}

// n / 100 rounded to the nearest integer with halves to even, for any sign of n.
int divideBy100HalfEven(int n)
{
    int q = n / 100;
    int r = n % 100;
    if (r < 0) {
        r += 100;
        --q;
    }
    if (r > 50 || (r == 50 && (q & 1)))
        ++q;
    return q;
}

quint64 cellKey(int col, int row)
{
    return (quint64(quint32(col)) << 32) | quint32(row);
}

} // namespace

TRsColor TRsColor::FromRole(QPalette::ColorRole role)
{
    TRsColor c;
    c.m_role = int(role);
    return c;
}

QColor TRsColor::Resolve(const QPalette& palette) const
{
    if (m_role >= 0)
        return palette.color(QPalette::ColorRole(m_role));
    return m_rgb;
}

QColor BlendColor(const QColor& color1, const QColor& color2, int percent)
{
    percent = std::clamp(percent, 0, 100);
    const auto channel = [percent](int c1, int c2) { return divideBy100HalfEven(c1 * 100 + (c2 - c1) * percent); };
    const QColor a = color1.toRgb();
    const QColor b = color2.toRgb();
    return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()), channel(a.blue(), b.blue()));
}

QString FitTextWithEllipsis(const QFontMetrics& metrics, int maxWidth, const QString& text, bool& truncated)
{
    if (metrics.horizontalAdvance(text) <= maxWidth) {
        truncated = false;
        return text;
    }
    truncated = true;
    // Number of leading characters that fit on their own; widths of prefixes only grow, so bisect.
    qsizetype lo = 0;
    qsizetype hi = text.size();
    while (lo < hi) {
        const qsizetype mid = (lo + hi + 1) / 2;
        if (metrics.horizontalAdvance(text.left(mid)) <= maxWidth)
            lo = mid;
        else
            hi = mid - 1;
    }
    const QString ellipsis = u"..."_s;
    for (qsizetype n = lo; n > 0; --n) {
        if (text.at(n - 1).isHighSurrogate())
            continue; // never split a character made of two code units
        const QString candidate = text.left(n) + ellipsis;
        if (metrics.horizontalAdvance(candidate) <= maxWidth)
            return candidate;
    }
    // Not even one character with "..." fits: an empty cell says more than text spilling over its edge.
    return QString();
}

// ---------------------------------------------------------------------------------------------
// View options

namespace RsGrid {

TViewOptions::TViewOptions(TRsGrid* grid)
    : FRsGrid(grid)
    , FFixedFontColor(TRsColor::FromRole(QPalette::Text))
    , FFixedNormalStartColor(QColor(0xEC, 0xEC, 0xEC))
    , FFixedNormalEndColor(QColor(0xCE, 0xCE, 0xCE))
    , FFixedHotStartColor(QColor(0xF6, 0xF6, 0xF6))
    , FFixedHotEndColor(QColor(0xD8, 0xD8, 0xD8))
    , FSelectedFontColor(TRsColor::FromRole(QPalette::Base))
    , FInactiveSelectedFontColor(TRsColor::FromRole(QPalette::Text))
    , FSelectedColor(QColor(71, 91, 143))
    , FInactiveSelectedColor(QColor(0xDA, 0xDA, 0xDA))
{
}

void TViewOptions::Assign(const TViewOptions& source)
{
    if (&source == this)
        return;
    FFixedFontColor = source.FFixedFontColor;
    FFixedNormalStartColor = source.FFixedNormalStartColor;
    FFixedNormalEndColor = source.FFixedNormalEndColor;
    FFixedHotStartColor = source.FFixedHotStartColor;
    FFixedHotEndColor = source.FFixedHotEndColor;
    FSelectedFontColor = source.FSelectedFontColor;
    FInactiveSelectedFontColor = source.FInactiveSelectedFontColor;
    FSelectedColor = source.FSelectedColor;
    FInactiveSelectedColor = source.FInactiveSelectedColor;
    FSelectedColorAlphaBlendValue = source.FSelectedColorAlphaBlendValue;
    FShowHorzScrollBar = source.FShowHorzScrollBar;
    FShowVertScrollBar = source.FShowVertScrollBar;
}

void TViewOptions::AdjustDefaultColors()
{
    // Qt's styles all draw themed controls: use the flat, light headers of current desktops.
    FFixedNormalStartColor = QColor(0xF5, 0xF5, 0xF5);
    FFixedNormalEndColor = QColor(0xE6, 0xE6, 0xE6);
    FFixedHotStartColor = QColor(0xFF, 0xFF, 0xFF);
    FFixedHotEndColor = QColor(0xF0, 0xF0, 0xF0);
    FSelectedColor = BlendColor(FRsGrid->palette().color(QPalette::Active, QPalette::Highlight), Qt::white, 25);
    FInactiveSelectedColor = BlendColor(FixedNormalEndColor(), Qt::white, 25);
}

QColor TViewOptions::resolve(const TRsColor& color) const
{
    return color.Resolve(FRsGrid->palette());
}

QColor TViewOptions::FixedFontColor() const { return resolve(FFixedFontColor); }
QColor TViewOptions::FixedNormalStartColor() const { return resolve(FFixedNormalStartColor); }
QColor TViewOptions::FixedNormalEndColor() const { return resolve(FFixedNormalEndColor); }
QColor TViewOptions::FixedHotStartColor() const { return resolve(FFixedHotStartColor); }
QColor TViewOptions::FixedHotEndColor() const { return resolve(FFixedHotEndColor); }
QColor TViewOptions::SelectedFontColor() const { return resolve(FSelectedFontColor); }
QColor TViewOptions::InactiveSelectedFontColor() const { return resolve(FInactiveSelectedFontColor); }
QColor TViewOptions::SelectedColor() const { return resolve(FSelectedColor); }
QColor TViewOptions::InactiveSelectedColor() const { return resolve(FInactiveSelectedColor); }

void TViewOptions::setColor(TRsColor& field, const TRsColor& value)
{
    if (field == value)
        return;
    field = value;
    FRsGrid->viewport()->update();
}

void TViewOptions::SetFixedFontColor(const TRsColor& value) { setColor(FFixedFontColor, value); }
void TViewOptions::SetFixedNormalStartColor(const TRsColor& value) { setColor(FFixedNormalStartColor, value); }
void TViewOptions::SetFixedNormalEndColor(const TRsColor& value) { setColor(FFixedNormalEndColor, value); }
void TViewOptions::SetFixedHotStartColor(const TRsColor& value) { setColor(FFixedHotStartColor, value); }
void TViewOptions::SetFixedHotEndColor(const TRsColor& value) { setColor(FFixedHotEndColor, value); }
void TViewOptions::SetSelectedFontColor(const TRsColor& value) { setColor(FSelectedFontColor, value); }
void TViewOptions::SetInactiveSelectedFontColor(const TRsColor& value) { setColor(FInactiveSelectedFontColor, value); }
void TViewOptions::SetSelectedColor(const TRsColor& value) { setColor(FSelectedColor, value); }
void TViewOptions::SetInactiveSelectedColor(const TRsColor& value) { setColor(FInactiveSelectedColor, value); }

void TViewOptions::SetSelectedColorAlphaBlendValue(int value)
{
    value = std::clamp(value, 0, 255);
    if (FSelectedColorAlphaBlendValue == value)
        return;
    FSelectedColorAlphaBlendValue = value;
    FRsGrid->viewport()->update();
}

void TViewOptions::SetShowHorzScrollBar(bool value)
{
    if (FShowHorzScrollBar == value)
        return;
    FShowHorzScrollBar = value;
    FRsGrid->UpdateScrollBars();
}

void TViewOptions::SetShowVertScrollBar(bool value)
{
    if (FShowVertScrollBar == value)
        return;
    FShowVertScrollBar = value;
    FRsGrid->UpdateScrollBars();
}

} // namespace RsGrid

// ---------------------------------------------------------------------------------------------
// Grid: construction, sizes and properties

TRsGrid::TRsGrid(QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_viewOptions(new TViewOptions(this))
    , m_color(TRsColor::FromRole(QPalette::Base))
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    m_options = TGridOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect
                             | goThumbTracking);
    // Rows are 24 pixels at 96 pixels per inch, scaled to the screen's logical resolution.
    m_defaultRowHeight = roundHalfEven(24.0 * logicalDpiY() / 96.0);
    m_colWidths = QVector<int>(5, m_defaultColWidth);
    m_rowHeights = QVector<int>(5, m_defaultRowHeight);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_updatingBars)
            SetLeftCol(m_fixedCols + value);
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_updatingBars)
            SetTopRow(m_fixedRows + value);
    });
}

TRsGrid::~TRsGrid()
{
    delete m_viewOptions;
}

void TRsGrid::changed()
{
    clampTopLeft();
    viewport()->update();
    UpdateScrollBars();
}

void TRsGrid::SetColCount(int value)
{
    value = std::max(value, 1);
    if (value == ColCount())
        return;
    if (value < ColCount()) {
        for (auto it = m_cells.begin(); it != m_cells.end();)
            it = int(it.key() >> 32) >= value ? m_cells.erase(it) : std::next(it);
    }
    m_colWidths.resize(value, m_defaultColWidth);
    if (m_fixedCols >= value)
        m_fixedCols = value - 1;
    setCurrent(std::clamp(m_col, m_fixedCols, value - 1), m_row, true);
    changed();
}

void TRsGrid::SetRowCount(int value)
{
    value = std::max(value, 1);
    if (value == RowCount())
        return;
    if (value < RowCount()) {
        for (auto it = m_cells.begin(); it != m_cells.end();)
            it = int(quint32(it.key())) >= value ? m_cells.erase(it) : std::next(it);
    }
    m_rowHeights.resize(value, m_defaultRowHeight);
    if (m_fixedRows >= value)
        m_fixedRows = value - 1;
    setCurrent(m_col, std::clamp(m_row, m_fixedRows, value - 1), true);
    changed();
}

void TRsGrid::SetFixedCols(int value)
{
    value = std::clamp(value, 0, ColCount() - 1);
    if (value == m_fixedCols)
        return;
    m_fixedCols = value;
    m_leftCol = value;
    setCurrent(std::max(m_col, value), m_row, true);
    changed();
}

void TRsGrid::SetFixedRows(int value)
{
    value = std::clamp(value, 0, RowCount() - 1);
    if (value == m_fixedRows)
        return;
    m_fixedRows = value;
    m_topRow = value;
    setCurrent(m_col, std::max(m_row, value), true);
    changed();
}

void TRsGrid::SetDefaultColWidth(int value)
{
    value = std::max(value, 0);
    m_defaultColWidth = value;
    m_colWidths.fill(value);
    changed();
    emit colWidthsChanged(this);
}

void TRsGrid::SetDefaultRowHeight(int value)
{
    value = std::max(value, 0);
    m_defaultRowHeight = value;
    m_rowHeights.fill(value);
    changed();
    emit rowHeightsChanged(this);
}

int TRsGrid::ColWidths(int col) const
{
    return col >= 0 && col < ColCount() ? m_colWidths[col] : m_defaultColWidth;
}

int TRsGrid::RowHeights(int row) const
{
    return row >= 0 && row < RowCount() ? m_rowHeights[row] : m_defaultRowHeight;
}

void TRsGrid::SetColWidths(int col, int width)
{
    if (col < 0 || col >= ColCount() || m_colWidths[col] == std::max(width, 0))
        return;
    m_colWidths[col] = std::max(width, 0);
    changed();
    emit colWidthsChanged(this);
}

void TRsGrid::SetRowHeights(int row, int height)
{
    if (row < 0 || row >= RowCount() || m_rowHeights[row] == std::max(height, 0))
        return;
    m_rowHeights[row] = std::max(height, 0);
    changed();
    emit rowHeightsChanged(this);
}

void TRsGrid::SetGridLineWidth(int value)
{
    value = std::max(value, 0);
    if (value == m_gridLineWidth)
        return;
    m_gridLineWidth = value;
    changed();
}

void TRsGrid::SetCol(int value)
{
    setCurrent(std::clamp(value, m_fixedCols, ColCount() - 1), m_row, true);
}

void TRsGrid::SetRow(int value)
{
    setCurrent(m_col, std::clamp(value, m_fixedRows, RowCount() - 1), true);
}

void TRsGrid::SetLeftCol(int value)
{
    value = std::clamp(value, m_fixedCols, axisMaxFirst(horzAxis()));
    if (value == m_leftCol) {
        UpdateHorzScrollBar();
        return;
    }
    m_leftCol = value;
    viewport()->update();
    UpdateHorzScrollBar();
}

void TRsGrid::SetTopRow(int value)
{
    value = std::clamp(value, m_fixedRows, axisMaxFirst(vertAxis()));
    if (value == m_topRow) {
        UpdateVertScrollBar();
        return;
    }
    m_topRow = value;
    viewport()->update();
    UpdateVertScrollBar();
}

int TRsGrid::VisibleColCount() const
{
    return axisVisibleCount(horzAxis());
}

int TRsGrid::VisibleRowCount() const
{
    return axisVisibleCount(vertAxis());
}

void TRsGrid::SetOptions(TGridOptions value)
{
    if (value == m_options)
        return;
    m_options = value;
    horizontalScrollBar()->setTracking(value.testFlag(goThumbTracking));
    verticalScrollBar()->setTracking(value.testFlag(goThumbTracking));
    changed();
}

QColor TRsGrid::Color() const
{
    return m_color.Resolve(palette());
}

void TRsGrid::SetColor(const TRsColor& value)
{
    if (value == m_color)
        return;
    m_color = value;
    viewport()->update();
}

QString TRsGrid::Cells(int col, int row) const
{
    return m_cells.value(cellKey(col, row));
}

void TRsGrid::SetCells(int col, int row, const QString& text)
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return;
    if (text.isEmpty())
        m_cells.remove(cellKey(col, row));
    else
        m_cells.insert(cellKey(col, row), text);
    const QRect r = CellRect(col, row);
    if (!r.isEmpty())
        viewport()->update(r);
}

void TRsGrid::SetViewOptions(const TViewOptions& value)
{
    m_viewOptions->Assign(value);
}

void TRsGrid::BeginUpdate()
{
    if (FUpdateLock == 0)
        setUpdatesEnabled(false);
    ++FUpdateLock;
}

void TRsGrid::EndUpdate()
{
    if (FUpdateLock > 0)
        --FUpdateLock;
    if (FUpdateLock == 0 && !updatesEnabled()) {
        setUpdatesEnabled(true);
        viewport()->update();
    }
}

// ---------------------------------------------------------------------------------------------
// Geometry

TRsGrid::Axis TRsGrid::horzAxis() const
{
    const int width = m_gridLineWidth;
    return Axis{&m_colWidths,
                m_fixedCols,
                m_leftCol,
                m_options.testFlag(goFixedVertLine) ? width : 0,
                m_options.testFlag(goVertLine) ? width : 0,
                viewport()->width()};
}

TRsGrid::Axis TRsGrid::vertAxis() const
{
    const int width = m_gridLineWidth;
    return Axis{&m_rowHeights,
                m_fixedRows,
                m_topRow,
                m_options.testFlag(goFixedHorzLine) ? width : 0,
                m_options.testFlag(goHorzLine) ? width : 0,
                viewport()->height()};
}

int TRsGrid::fixedExtent(const Axis& axis) const
{
    int pos = 0;
    for (int i = 0; i < axis.fixed; ++i)
        pos += (*axis.sizes)[i] + axis.fixedLine;
    return pos;
}

int TRsGrid::axisStart(const Axis& axis, int index)
{
    int pos = 0;
    for (int i = 0; i < axis.fixed; ++i) {
        if (i == index)
            return pos;
        pos += (*axis.sizes)[i] + axis.fixedLine;
    }
    if (index < axis.first || index >= axis.sizes->size())
        return -1;
    for (int i = axis.first; i < index; ++i) {
        pos += (*axis.sizes)[i] + axis.line;
        if (pos >= axis.extent)
            return -1;
    }
    return pos < axis.extent ? pos : -1;
}

int TRsGrid::axisVisibleCount(const Axis& axis)
{
    const int count = axis.sizes->size();
    if (axis.first >= count)
        return 0;
    int pos = 0;
    for (int i = 0; i < axis.fixed; ++i)
        pos += (*axis.sizes)[i] + axis.fixedLine;
    int visible = 0;
    for (int i = axis.first; i < count; ++i) {
        pos += (*axis.sizes)[i] + axis.line;
        if (pos > axis.extent)
            break;
        ++visible;
    }
    // At least the first scrollable cell counts, partly shown or not: paging and scrolling need a step.
    return std::max(visible, 1);
}

int TRsGrid::axisMaxFirst(const Axis& axis)
{
    const int count = axis.sizes->size();
    int avail = axis.extent;
    for (int i = 0; i < axis.fixed; ++i)
        avail -= (*axis.sizes)[i] + axis.fixedLine;
    int used = 0;
    int first = count;
    for (int i = count - 1; i >= axis.fixed; --i) {
        used += (*axis.sizes)[i] + axis.line;
        if (used > avail)
            break;
        first = i;
    }
    return std::max(axis.fixed, std::min(first, count - 1));
}

int TRsGrid::axisHit(const Axis& axis, int pos)
{
    if (pos < 0 || pos >= axis.extent)
        return -1;
    int end = 0;
    for (int i = 0; i < axis.fixed; ++i) {
        end += (*axis.sizes)[i] + axis.fixedLine;
        if (pos < end)
            return i;
    }
    for (int i = axis.first; i < axis.sizes->size(); ++i) {
        end += (*axis.sizes)[i] + axis.line;
        if (pos < end)
            return i;
    }
    return -1;
}

QRect TRsGrid::CellRect(int col, int row) const
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return QRect(0, 0, 0, 0);
    const int x = axisStart(horzAxis(), col);
    const int y = axisStart(vertAxis(), row);
    if (x < 0 || y < 0)
        return QRect(0, 0, 0, 0);
    return QRect(x, y, m_colWidths[col], m_rowHeights[row]);
}

QPoint TRsGrid::MouseCoord(const QPoint& pos) const
{
    const int col = axisHit(horzAxis(), pos.x());
    const int row = axisHit(vertAxis(), pos.y());
    if (col < 0 || row < 0)
        return QPoint(-1, -1);
    return QPoint(col, row);
}

void TRsGrid::MouseToCell(int x, int y, int& col, int& row) const
{
    const QPoint cell = MouseCoord(QPoint(x, y));
    col = cell.x();
    row = cell.y();
}

void TRsGrid::clampTopLeft()
{
    m_leftCol = std::clamp(m_leftCol, m_fixedCols, axisMaxFirst(horzAxis()));
    m_topRow = std::clamp(m_topRow, m_fixedRows, axisMaxFirst(vertAxis()));
}

void TRsGrid::setCurrent(int col, int row, bool raiseClick)
{
    if (col == m_col && row == m_row)
        return;
    BeginUpdate();
    m_col = col;
    m_row = row;
    // The current cell is always brought into view, the least scroll that shows it whole.
    if (col >= m_fixedCols) {
        if (col < m_leftCol)
            SetLeftCol(col);
        else if (col >= m_leftCol + VisibleColCount()) {
            const Axis axis = horzAxis();
            int left = col;
            int used = (*axis.sizes)[col] + axis.line;
            const int avail = axis.extent - fixedExtent(axis);
            while (left > m_fixedCols && used + (*axis.sizes)[left - 1] + axis.line <= avail)
                used += (*axis.sizes)[--left] + axis.line;
            SetLeftCol(left);
        }
    }
    if (row >= m_fixedRows) {
        if (row < m_topRow)
            SetTopRow(row);
        else if (row >= m_topRow + VisibleRowCount()) {
            const Axis axis = vertAxis();
            int top = row;
            int used = (*axis.sizes)[row] + axis.line;
            const int avail = axis.extent - fixedExtent(axis);
            while (top > m_fixedRows && used + (*axis.sizes)[top - 1] + axis.line <= avail)
                used += (*axis.sizes)[--top] + axis.line;
            SetTopRow(top);
        }
    }
    viewport()->update();
    EndUpdate();
    emit currentCellChanged(this, m_col, m_row);
    if (raiseClick)
        emit clicked(this);
}

void TRsGrid::MakeColVisible(int col)
{
    BeginUpdate();
    const int visible = VisibleColCount();
    if (col < m_leftCol)
        SetLeftCol(col);
    else if (col > m_leftCol + visible - 1)
        SetLeftCol(std::min(ColCount() - visible + 1, col - visible + 1));
    UpdateHorzScrollBar();
    EndUpdate();
}

void TRsGrid::MakeRowVisible(int row)
{
    BeginUpdate();
    const int visible = VisibleRowCount();
    if (row < m_topRow)
        SetTopRow(row);
    else if (row > m_topRow + visible - 1)
        SetTopRow(std::min(RowCount() - visible + 1, row - visible + 1));
    UpdateVertScrollBar();
    EndUpdate();
}

void TRsGrid::MakeCellVisible(int col, int row)
{
    MakeColVisible(col);
    MakeRowVisible(row);
}

bool TRsGrid::IsScrollBarVisible(int barFlag) const
{
    const QScrollBar* bar = barFlag == 0 ? horizontalScrollBar() : verticalScrollBar();
    return bar->isVisibleTo(this);
}

void TRsGrid::LimitColWidth()
{
    const int width = viewport()->width() - fixedExtent(horzAxis());
    for (int col = m_fixedCols; col < ColCount(); ++col) {
        if (m_colWidths[col] >= width)
            SetColWidths(col, width - 1);
    }
}

void TRsGrid::SetWidthFixedCols(const QList<int>& indexes)
{
    FWidthFixedCols = indexes;
}

void TRsGrid::SetHeightFixedRows(const QList<int>& indexes)
{
    FHeightFixedRows = indexes;
}

void TRsGrid::SetClickDisabledFixedCells(const QList<QPoint>& cells)
{
    FClickDisabledFixedCells = cells;
    viewport()->update();
}

// ---------------------------------------------------------------------------------------------
// Scroll bars: one step per column or row, a thumb as long as the visible share of the cells.

void TRsGrid::UpdateScrollBars()
{
    UpdateHorzScrollBar();
    UpdateVertScrollBar();
}

void TRsGrid::UpdateHorzScrollBar()
{
    const Axis axis = horzAxis();
    const int visible = axisVisibleCount(axis);
    const bool shown = m_viewOptions->ShowHorzScrollBar() && visible < ColCount() - m_fixedCols;
    {
        QScopedValueRollback guard(m_updatingBars, true);
        QScrollBar* bar = horizontalScrollBar();
        bar->setRange(0, shown ? axisMaxFirst(axis) - m_fixedCols : 0);
        bar->setPageStep(std::max(visible, 1));
        bar->setSingleStep(1);
        bar->setValue(shown ? m_leftCol - m_fixedCols : 0);
    }
    const Qt::ScrollBarPolicy policy = shown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    if (horizontalScrollBarPolicy() != policy)
        setHorizontalScrollBarPolicy(policy);
}

void TRsGrid::UpdateVertScrollBar()
{
    const Axis axis = vertAxis();
    const int visible = axisVisibleCount(axis);
    const bool shown = m_viewOptions->ShowVertScrollBar() && visible < RowCount() - m_fixedRows;
    {
        QScopedValueRollback guard(m_updatingBars, true);
        QScrollBar* bar = verticalScrollBar();
        bar->setRange(0, shown ? axisMaxFirst(axis) - m_fixedRows : 0);
        bar->setPageStep(std::max(visible, 1));
        bar->setSingleStep(1);
        bar->setValue(shown ? m_topRow - m_fixedRows : 0);
    }
    const Qt::ScrollBarPolicy policy = shown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    if (verticalScrollBarPolicy() != policy)
        setVerticalScrollBarPolicy(policy);
}

void TRsGrid::scrollContentsBy(int, int)
{
    // Scrolling moves whole columns and rows; everything is repainted from LeftCol and TopRow.
    viewport()->update();
}

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
        if (event->buttons().testFlag(Qt::LeftButton)) {
            const QPoint cell = MouseCoord(pos);
            if (cell.x() >= m_fixedCols && cell.y() >= m_fixedRows)
                setCurrent(cell.x(), cell.y(), false);
        }
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

void TRsGrid::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
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
