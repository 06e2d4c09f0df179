#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QFlags>
#include <QHash>
#include <QList>
#include <QPalette>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QVector>

class QFontMetrics;
class QPainter;
class QTimer;
class TRsGrid;

// A colour that either holds its own RGB value or follows a role of the palette it is drawn with,
// so that defaults such as "the window text colour" keep following the desktop's colours.
class TRsColor {
public:
    TRsColor(const QColor& color) : m_rgb(color) {}
    TRsColor(Qt::GlobalColor color) : m_rgb(color) {}
    static TRsColor FromRole(QPalette::ColorRole role);
    QColor Resolve(const QPalette& palette) const;
    bool IsRole() const { return m_role >= 0; }
    bool operator==(const TRsColor& other) const = default;

private:
    TRsColor() = default;
    QColor m_rgb;
    int m_role = -1;
};

// Grid options, as the grids of the windows know them.
enum TGridOption : unsigned {
    goFixedVertLine = 0x0001,
    goFixedHorzLine = 0x0002,
    goVertLine = 0x0004,
    goHorzLine = 0x0008,
    goRangeSelect = 0x0010,
    goRowSizing = 0x0020,
    goColSizing = 0x0040,
    goRowSelect = 0x0080,
    goThumbTracking = 0x0100,
    goFixedColClick = 0x0200,
    goFixedRowClick = 0x0400,
    goFixedHotTrack = 0x0800,
};
Q_DECLARE_FLAGS(TGridOptions, TGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridOptions)

// State of one cell as it is handed to the cell drawing.
enum TGridDrawStateFlag : unsigned {
    gdSelected = 0x01,
    gdFocused = 0x02,
    gdFixed = 0x04,
    gdRowSelected = 0x08,
    gdHotTrack = 0x10,
    gdPressed = 0x20,
};
Q_DECLARE_FLAGS(TGridDrawState, TGridDrawStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridDrawState)

// Sizing state of the grid for a point: over a column or row boundary in the fixed cells, or neither.
enum TGridSizingState { gsNormal, gsRowSizing, gsColSizing };

// Each channel of Color1 moved Percent (clamped to 0..100) of the way towards Color2, rounded to the
// nearest integer with halves to even.
QColor BlendColor(const QColor& color1, const QColor& color2, int percent);

// Text when it fits in maxWidth pixels; otherwise the longest prefix followed by "..." that fits, or an
// empty text when not even one character with "..." fits. truncated tells whether the text was shortened.
QString FitTextWithEllipsis(const QFontMetrics& metrics, int maxWidth, const QString& text, bool& truncated);

namespace RsGrid {

// Colours of the grid's fixed and selected cells and its scroll bar switches.
class TViewOptions {
public:
    explicit TViewOptions(TRsGrid* grid);

    // Copies every colour, the alpha value and both switches without repainting.
    void Assign(const TViewOptions& source);
    // Sets the fixed cell gradients and the selection colours to suit the desktop's look; no repaint.
    void AdjustDefaultColors();

    QColor FixedFontColor() const;
    QColor FixedNormalStartColor() const;
    QColor FixedNormalEndColor() const;
    QColor FixedHotStartColor() const;
    QColor FixedHotEndColor() const;
    QColor SelectedFontColor() const;
    QColor InactiveSelectedFontColor() const;
    QColor SelectedColor() const;
    QColor InactiveSelectedColor() const;
    int SelectedColorAlphaBlendValue() const { return FSelectedColorAlphaBlendValue; }
    bool ShowHorzScrollBar() const { return FShowHorzScrollBar; }
    bool ShowVertScrollBar() const { return FShowVertScrollBar; }

    void SetFixedFontColor(const TRsColor& value);
    void SetFixedNormalStartColor(const TRsColor& value);
    void SetFixedNormalEndColor(const TRsColor& value);
    void SetFixedHotStartColor(const TRsColor& value);
    void SetFixedHotEndColor(const TRsColor& value);
    void SetSelectedFontColor(const TRsColor& value);
    void SetInactiveSelectedFontColor(const TRsColor& value);
    void SetSelectedColor(const TRsColor& value);
    void SetInactiveSelectedColor(const TRsColor& value);
    void SetSelectedColorAlphaBlendValue(int value);
    void SetShowHorzScrollBar(bool value);
    void SetShowVertScrollBar(bool value);

private:
    QColor resolve(const TRsColor& color) const;
    void setColor(TRsColor& field, const TRsColor& value);

    TRsGrid* FRsGrid;
    TRsColor FFixedFontColor;
    TRsColor FFixedNormalStartColor;
    TRsColor FFixedNormalEndColor;
    TRsColor FFixedHotStartColor;
    TRsColor FFixedHotEndColor;
    TRsColor FSelectedFontColor;
    TRsColor FInactiveSelectedFontColor;
    TRsColor FSelectedColor;
    TRsColor FInactiveSelectedColor;
    int FSelectedColorAlphaBlendValue = 255;
    bool FShowHorzScrollBar = true;
    bool FShowVertScrollBar = true;
};

} // namespace RsGrid

// The owner-drawn grid of the windows' lists: gradient header cells, focus-dependent selection colours,
// keyboard and wheel navigation that wraps at the ends, sizes that can be locked, and update locking.
// Cells are addressed (column, row); rows and columns below FixedRows / FixedCols do not scroll.
class TRsGrid : public QAbstractScrollArea {
    Q_OBJECT

public:
    using TViewOptions = RsGrid::TViewOptions;

    explicit TRsGrid(QWidget* parent = nullptr);
    ~TRsGrid() override;

    // Size in cells and fixed cells.
    int ColCount() const { return m_colWidths.size(); }
    int RowCount() const { return m_rowHeights.size(); }
    int FixedCols() const { return m_fixedCols; }
    int FixedRows() const { return m_fixedRows; }
    void SetColCount(int value);
    void SetRowCount(int value);
    void SetFixedCols(int value);
    void SetFixedRows(int value);

    // Sizes in pixels. Setting a default size resets every column or row to it.
    int DefaultColWidth() const { return m_defaultColWidth; }
    int DefaultRowHeight() const { return m_defaultRowHeight; }
    void SetDefaultColWidth(int value);
    void SetDefaultRowHeight(int value);
    int ColWidths(int col) const;
    int RowHeights(int row) const;
    void SetColWidths(int col, int width);
    void SetRowHeights(int row, int height);
    int GridLineWidth() const { return m_gridLineWidth; }
    void SetGridLineWidth(int value);

    // Current cell, first visible scrollable column and row, counts of fully visible scrollable ones.
    int Col() const { return m_col; }
    int Row() const { return m_row; }
    void SetCol(int value);
    void SetRow(int value);
    int LeftCol() const { return m_leftCol; }
    int TopRow() const { return m_topRow; }
    void SetLeftCol(int value);
    void SetTopRow(int value);
    int VisibleColCount() const;
    int VisibleRowCount() const;

    TGridOptions Options() const { return m_options; }
    void SetOptions(TGridOptions value);

    // Background colour of the cells (the grid's Color).
    QColor Color() const;
    void SetColor(const TRsColor& value);

    // Texts kept per cell; a cell's text is drawn before drawCell is raised.
    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& text);

    TViewOptions* ViewOptions() { return m_viewOptions; }
    const TViewOptions* ViewOptions() const { return m_viewOptions; }
    void SetViewOptions(const TViewOptions& value);

    // Update locking: nothing is repainted until the outermost EndUpdate, which repaints once.
    void BeginUpdate();
    void EndUpdate();
    int UpdateLock() const { return FUpdateLock; }

    // Rectangle of a cell in the viewport; empty when the cell is scrolled out of view.
    QRect CellRect(int col, int row) const;
    // Cell under a viewport point, or (-1, -1) when there is none.
    QPoint MouseCoord(const QPoint& pos) const;
    void MouseToCell(int x, int y, int& col, int& row) const;

    void MakeColVisible(int col);
    void MakeRowVisible(int row);
    void MakeCellVisible(int col, int row);
    // barFlag 0: the horizontal bar, otherwise the vertical one.
    bool IsScrollBarVisible(int barFlag) const;
    // Narrows every scrollable column that is as wide as the space beside the fixed columns.
    void LimitColWidth();
    void SetWidthFixedCols(const QList<int>& indexes);
    void SetHeightFixedRows(const QList<int>& indexes);
    void SetClickDisabledFixedCells(const QList<QPoint>& cells);

    // Sizing state for a viewport point (column or row boundary in the fixed cells).
    TGridSizingState CalcSizingState(const QPoint& pos, int* index = nullptr) const;

    // The painter of the cell being drawn; valid only while drawCell is being raised.
    QPainter* Canvas() const { return m_canvas; }

signals:
    // The cell's background and font colour are prepared on the painter; the handler draws the content.
    void drawCell(TRsGrid* sender, int col, int row, const QRect& rect, TGridDrawState state);
    void colWidthsChanged(TRsGrid* sender);
    void rowHeightsChanged(TRsGrid* sender);
    void resized(TRsGrid* sender);
    // key is 0 when the grid consumed it (a wrap-around).
    void keyDown(TRsGrid* sender, int& key, Qt::KeyboardModifiers shift);
    void keyUp(TRsGrid* sender, int& key, Qt::KeyboardModifiers shift);
    void mouseWheelUp(TRsGrid* sender, Qt::KeyboardModifiers shift, const QPoint& pos, bool& handled);
    void mouseWheelDown(TRsGrid* sender, Qt::KeyboardModifiers shift, const QPoint& pos, bool& handled);
    // The current cell changed by keyboard, wheel or program, or a click on a cell was completed.
    void clicked(TRsGrid* sender);
    void currentCellChanged(TRsGrid* sender, int col, int row);
    void dblClicked(TRsGrid* sender);
    void fixedCellClicked(TRsGrid* sender, int col, int row);
    // Raised after the grid's own handling (a left press has already moved the selection).
    void mouseDown(TRsGrid* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos);
    void mouseUp(TRsGrid* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos);
    void mouseMove(TRsGrid* sender, Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, const QPoint& pos);
    void entered(TRsGrid* sender);
    void exited(TRsGrid* sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    friend class RsGrid::TViewOptions;

    // Geometry along one axis: sizes, fixed count, first scrollable index, lines.
    struct Axis {
        const QVector<int>* sizes;
        int fixed;
        int first;
        int fixedLine;
        int line;
        int extent;
    };
    Axis horzAxis() const;
    Axis vertAxis() const;
    static int axisStart(const Axis& axis, int index);
    static int axisVisibleCount(const Axis& axis);
    static int axisMaxFirst(const Axis& axis);
    static int axisHit(const Axis& axis, int pos);
    int fixedExtent(const Axis& axis) const;

    void UpdateScrollBars();
    void UpdateHorzScrollBar();
    void UpdateVertScrollBar();
    void clampTopLeft();
    void setCurrent(int col, int row, bool raiseClick);
    void changed();
    bool isClickableFixed(int col, int row) const;
    bool inFixedSizeRect(const QPoint& pos, TGridSizingState state) const;
    void updateCursor(const QPoint& pos);
    void setHot(int col, int row, bool pressed);
    void DrawCell(QPainter& painter, int col, int row, QRect rect, TGridDrawState state);
    bool arrowKey(int& key);
    void pageKey(int key);
    void wheelStep(bool up, Qt::KeyboardModifiers shift, const QPoint& pos);
    void dragSelect(const QPoint& pos);

    int FUpdateLock = 0;
    TViewOptions* m_viewOptions;
    bool FFlagVkDown = true;
    bool FFlagVkUp = true;
    bool FFlagVkRight = true;
    bool FFlagVkLeft = true;
    QList<int> FWidthFixedCols;
    QList<int> FHeightFixedRows;
    QList<QPoint> FClickDisabledFixedCells;

    QVector<int> m_colWidths;
    QVector<int> m_rowHeights;
    QHash<quint64, QString> m_cells;
    int m_fixedCols = 1;
    int m_fixedRows = 1;
    int m_defaultColWidth = 64;
    int m_defaultRowHeight = 24;
    int m_gridLineWidth = 1;
    int m_col = 1;
    int m_row = 1;
    int m_leftCol = 1;
    int m_topRow = 1;
    TGridOptions m_options;
    TRsColor m_color;

    QPainter* m_canvas = nullptr;
    bool m_updatingBars = false;
    int m_wheelRemainder = 0;

    // Mouse state: selecting with the left button, sizing a boundary, or pressing a fixed cell.
    enum class Drag { None, Selecting, Sizing, FixedPress };
    Drag m_drag = Drag::None;
    TGridSizingState m_sizingState = gsNormal;
    int m_sizingIndex = -1;
    int m_sizingOrigin = 0;
    int m_sizingStartSize = 0;
    QPoint m_hotCell{-1, -1};
    bool m_hotPressed = false;
    QPoint m_pressedCell{-1, -1};
    // Keeps a selecting drag going while the mouse rests beyond the scrollable cells.
    QTimer* m_dragScrollTimer;
    QPoint m_lastDragPos;
};
