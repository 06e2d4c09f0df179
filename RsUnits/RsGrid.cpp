#include "RsUnits/RsGrid.h"

#include <QFontMetrics>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

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
    if (text.isEmpty() || metrics.horizontalAdvance(text) <= maxWidth) {
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
    , m_dragScrollTimer(new QTimer(this))
{
    m_dragScrollTimer->setInterval(60);
    connect(m_dragScrollTimer, &QTimer::timeout, this, [this] { dragSelect(m_lastDragPos); });
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
