#pragma once

#include "app/RsLogLines.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QPoint>
#include <QStringList>

#include <compare>
#include <memory>
#include <unordered_map>

class QMimeData;
class QTextLayout;

// A place in the log: a line, and a UTF-16 position in it (0 before its first character, its length
// after its last).
struct TRsLogPosition {
    qsizetype line = 0;
    qsizetype column = 0;

    friend auto operator<=>(const TRsLogPosition&, const TRsLogPosition&) = default;
};

// A read-only log pane that stays light and quick with millions of lines: the lines live in a
// TRsLogLines, and only the lines on screen are laid out, each wrapped at the pane's width.
//
// It looks and behaves like a read-only plain text box: lines are only ever added at the end, the view
// follows them while it shows the end (so a user can read back while lines arrive), text is selected
// with the mouse (drag, double click for a word, triple click for a line, Shift+click to extend) or
// all at once, and copied with Ctrl+C, Ctrl+Ins or the context menu. The keys scroll: arrows by one
// screen line, PgUp/PgDn, Space and Shift+Space by a page, Home/End and Ctrl+Home/Ctrl+End to either
// end. Ctrl+wheel zooms the font.
//
// The vertical scroll bar counts lines of the log, not pixels, so its range does not depend on laying
// out lines nobody looks at.
class TRsLogView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TRsLogView(QWidget* parent = nullptr);
    ~TRsLogView() override;

    // A line break inside a line (CR, LF, CR LF or U+2029) starts a new line, as in a text box.
    void appendLines(const QStringList& lines);
    void appendLine(QStringView line);
    // Empties the log and the selection.
    void clear();

    qsizetype lineCount() const { return m_lines->Count(); }
    QString line(qsizetype index) const { return m_lines->Line(index); }
    const TRsLogLines& lines() const { return *m_lines; }
    // Every line joined by '\n'.
    QString toPlainText() const { return m_lines->Text(); }

    void selectAll();
    // Puts the selection on the clipboard; nothing happens without one.
    void copy();
    bool hasSelection() const { return m_anchor != m_caret; }
    // The selected lines joined by '\n'; a selection that runs past the end of a line holds its break.
    QString selectedText() const;
    // The selection runs from the anchor to the caret; the caret is where a click or a drag ended.
    TRsLogPosition anchor() const { return m_anchor; }
    TRsLogPosition caret() const { return m_caret; }
    // The end of the last line.
    TRsLogPosition endPosition() const;
    // Clears the selection, puts the caret after the last line and scrolls to the end.
    void moveCaretToEnd();

    // Whether the view shows the end of the log, and so follows new lines.
    bool isAtEnd() const { return m_atEnd; }
    void scrollToTop();
    void scrollToEnd();
    // Scrolls by screen lines (wrapped parts of a log line count one each); negative moves up.
    void scrollByScreenLines(qsizetype count);

    // The caret rectangle at a position, in viewport coordinates, or an empty one when its line is not
    // on screen.
    QRect cursorRect(const TRsLogPosition& position) const;
    // The position nearest a point of the viewport.
    TRsLogPosition positionAt(const QPoint& point) const;

signals:
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct Laid;
    // Where the view starts: a line, and how many of its screen lines are scrolled off above.
    struct TopPosition {
        qsizetype line = 0;
        int sub = 0;

        friend auto operator<=>(const TopPosition&, const TopPosition&) = default;
    };
    enum class Unit { Characters, Words, Lines };

    void appendSplit(QStringView text);
    void linesAdded();
    const Laid& layoutOf(qsizetype line) const;
    void dropLayouts();
    // The y of the top of the first line on screen.
    qreal firstLineY() const;
    TopPosition endTop() const;
    void setTop(TopPosition top);
    void syncScrollBar();
    // Screen lines that fit whole in the viewport from the current top: log lines and screen lines.
    void countVisible(qsizetype* logLines, qsizetype* screenLines) const;
    void pageBy(int direction);
    void onScrollBarAction(int action);

    void setSelection(TRsLogPosition anchor, TRsLogPosition caret);
    void extendSelection(TRsLogPosition to);
    // The word at a position as QTextCursor::WordUnderCursor finds it; an empty range on an empty line.
    std::pair<TRsLogPosition, TRsLogPosition> wordAt(TRsLogPosition at) const;
    // A whole line with its line break (up to the start of the next line; the end of the last one).
    std::pair<TRsLogPosition, TRsLogPosition> lineAt(qsizetype line) const;
    QMimeData* selectionMimeData() const;
    void putSelectionOnX11Selection();
    void zoom(qreal steps);

    std::shared_ptr<TRsLogLines> m_lines;
    mutable std::unordered_map<qsizetype, std::unique_ptr<Laid>> m_layouts;
    mutable qreal m_layoutWidth = -1;
    mutable TopPosition m_end;
    mutable bool m_endValid = false;
    TopPosition m_top;
    bool m_atEnd = true;
    bool m_syncingBar = false;

    TRsLogPosition m_anchor;
    TRsLogPosition m_caret;
    // What a double or triple click selected, which a drag or Shift+click then extends by its unit.
    Unit m_unit = Unit::Characters;
    TRsLogPosition m_unitStart;
    TRsLogPosition m_unitEnd;
    bool m_selecting = false;
    QPoint m_mousePoint;
    QBasicTimer m_autoScroll;
    QBasicTimer m_tripleClick;
    QPoint m_tripleClickPoint;
    int m_wheelRest = 0;
};
