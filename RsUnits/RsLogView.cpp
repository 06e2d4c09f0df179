#include "RsUnits/RsLogView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <climits>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Lines kept laid out: several screens' worth. Beyond that the cache starts over, since only the lines
// on screen are ever needed again soon.
constexpr std::size_t MaxLaidLines = 512;
// The space between the text and the pane's edges: what a plain text box leaves (its document margin).
constexpr qreal TextMargin = 4;
// How often a drag beyond the top or bottom edge scrolls.
constexpr int AutoScrollMilliseconds = 50;

// The clipboard's copy of a selection, made only when something asks for it: copying a million lines
// costs nothing until they are pasted, and then only the text itself. It shares the lines, so it stays
// valid after the pane is emptied or gone.
class TLogMimeData : public QMimeData {
public:
    TLogMimeData(std::shared_ptr<const TRsLogLines> lines, TRsLogPosition from, TRsLogPosition to)
        : m_lines(std::move(lines))
        , m_from(from)
        , m_to(to)
    {
    }

    QStringList formats() const override { return {u"text/plain"_s}; }
    bool hasFormat(const QString& mimeType) const override { return mimeType == u"text/plain"_s; }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType) const override
    {
        if (mimeType != u"text/plain"_s)
            return QVariant();
        return m_lines->Text(m_from.line, m_from.column, m_to.line, m_to.column);
    }

private:
    std::shared_ptr<const TRsLogLines> m_lines;
    TRsLogPosition m_from;
    TRsLogPosition m_to;
};

// The context menu has the words and shortcut texts of the toolkit's own text boxes, so it reads
// like those of every other box in the program.
QString textBoxMenuText(const char* text, QKeySequence::StandardKey key)
{
    QString caption = QCoreApplication::translate("QWidgetTextControl", text);
    if (!QCoreApplication::testAttribute(Qt::AA_DontShowShortcutsInContextMenus) &&
        QGuiApplication::styleHints()->showShortcutsInContextMenus())
        caption += u'\t' + QKeySequence(key).toString(QKeySequence::NativeText);
    return caption;
}

void setThemeIcon(QAction* action, const QString& name)
{
    const QIcon icon = QIcon::fromTheme(name);
    if (!icon.isNull())
        action->setIcon(icon);
}

bool isLineBreak(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator;
}

} // namespace

struct TRsLogView::Laid {
    Laid(const QString& text, const QFont& font, const QPaintDevice* device)
        : layout(text, font, device)
    {
    }

    QTextLayout layout;
    qreal height = 0;
};

TRsLogView::TRsLogView(QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_lines(std::make_shared<TRsLogLines>())
{
    setFocusPolicy(Qt::WheelFocus);
    // Lines wrap at the pane's width, so there is never anything to scroll sideways; the vertical bar
    // stays so that wrapping does not change when it would come and go.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setCursor(Qt::IBeamCursor);
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this, &TRsLogView::onScrollBarAction);
    syncScrollBar();
}

TRsLogView::~TRsLogView() = default;

// ---- Lines

void TRsLogView::appendSplit(QStringView text)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (!isLineBreak(c))
            continue;
        m_lines->Append(text.sliced(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    m_lines->Append(text.sliced(start));
}

void TRsLogView::appendLines(const QStringList& lines)
{
    if (lines.isEmpty())
        return;
    for (const QString& line : lines)
        appendSplit(line);
    linesAdded();
}

void TRsLogView::appendLine(QStringView line)
{
    appendSplit(line);
    linesAdded();
}

void TRsLogView::linesAdded()
{
    // Lines already laid out keep their layouts: only the end moved.
    m_endValid = false;
    setTop(m_atEnd ? endTop() : m_top);
}

void TRsLogView::clear()
{
    const bool hadSelection = hasSelection();
    // A copy on the clipboard may still read the old lines, so they are let go of rather than emptied.
    m_lines = std::make_shared<TRsLogLines>();
    dropLayouts();
    m_anchor = m_caret = TRsLogPosition();
    m_unit = Unit::Characters;
    setTop(TopPosition());
    if (hadSelection)
        emit selectionChanged();
}

TRsLogPosition TRsLogView::endPosition() const
{
    if (m_lines->IsEmpty())
        return TRsLogPosition();
    const qsizetype last = m_lines->Count() - 1;
    return {last, m_lines->LineLength(last)};
}

// ---- Layout

const TRsLogView::Laid& TRsLogView::layoutOf(qsizetype line) const
{
    const qreal width = qMax<qreal>(1, viewport()->width() - 2 * TextMargin);
    if (width != m_layoutWidth) {
        m_layouts.clear();
        m_layoutWidth = width;
    }
    if (const auto found = m_layouts.find(line); found != m_layouts.end())
        return *found->second;
    if (m_layouts.size() >= MaxLaidLines)
        m_layouts.clear();

    auto laid = std::make_unique<Laid>(m_lines->Line(line), font(), viewport());
    QTextLayout& layout = laid->layout;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTextDirection(layoutDirection());
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    // Stacked as a plain text box stacks the lines of a paragraph, so the text sits where it always did.
    qreal y = 0;
    layout.beginLayout();
    for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
        l.setLeadingIncluded(true);
        l.setLineWidth(width);
        l.setPosition(QPointF(TextMargin, y));
        y += l.height();
        if (l.leading() < 0)
            y += std::ceil(l.leading());
    }
    layout.endLayout();
    laid->height = y;
    return *m_layouts.emplace(line, std::move(laid)).first->second;
}

void TRsLogView::dropLayouts()
{
    m_layouts.clear();
    m_endValid = false;
}

qreal TRsLogView::firstLineY() const
{
    if (m_top == TopPosition())
        return TextMargin;
    if (m_top.line >= m_lines->Count())
        return 0;
    return -layoutOf(m_top.line).layout.lineAt(m_top.sub).y();
}

// The end is the first top from which everything down to the last line fits, found by laying out
// lines backwards from the last one; the lines before it are never looked at.
TRsLogView::TopPosition TRsLogView::endTop() const
{
    if (m_endValid)
        return m_end;
    m_endValid = true;
    m_end = TopPosition();
    const qsizetype count = m_lines->Count();
    const qreal room = viewport()->height() - TextMargin;
    qreal used = 0;
    for (qsizetype line = count - 1; line >= 0; --line) {
        const Laid& laid = layoutOf(line);
        if (used + laid.height <= room) {
            used += laid.height;
            continue;
        }
        // Only the last screen lines of this line fit.
        const QTextLayout& layout = laid.layout;
        const int screenLines = layout.lineCount();
        for (int sub = 0; sub < screenLines; ++sub) {
            if (used + laid.height - layout.lineAt(sub).y() <= room) {
                m_end = {line, sub};
                return m_end;
            }
        }
        // Not even one: the last screen line is shown whatever the pane's height.
        m_end = line == count - 1 ? TopPosition{line, qMax(0, screenLines - 1)} : TopPosition{line + 1, 0};
        return m_end;
    }
    return m_end;
}

void TRsLogView::setTop(TopPosition top)
{
    const TopPosition end = endTop();
    top = std::clamp(top, TopPosition(), end);
    if (top.sub > 0)
        top.sub = qMin(top.sub, qMax(0, layoutOf(top.line).layout.lineCount() - 1));
    m_top = top;
    m_atEnd = top >= end;
    syncScrollBar();
    viewport()->update();
}

void TRsLogView::syncScrollBar()
{
    qsizetype whole = 0;
    countVisible(&whole, nullptr);
    QScrollBar* bar = verticalScrollBar();
    m_syncingBar = true;
    bar->setRange(0, int(qMin<qsizetype>(endTop().line, INT_MAX)));
    bar->setPageStep(int(std::clamp<qsizetype>(whole, 1, INT_MAX)));
    bar->setValue(int(qMin<qsizetype>(m_top.line, INT_MAX)));
    m_syncingBar = false;
}

void TRsLogView::countVisible(qsizetype* logLines, qsizetype* screenLines) const
{
    const qreal bottom = viewport()->height();
    qsizetype whole = 0;
    qsizetype screen = 0;
    qreal y = firstLineY();
    for (qsizetype line = m_top.line; line < m_lines->Count() && y < bottom; ++line) {
        const Laid& laid = layoutOf(line);
        const int first = line == m_top.line ? m_top.sub : 0;
        for (int k = first; k < laid.layout.lineCount(); ++k) {
            const QTextLine l = laid.layout.lineAt(k);
            if (y + l.y() + l.height() > bottom)
                break;
            ++screen;
        }
        if (first == 0 && y + laid.height <= bottom)
            ++whole;
        y += laid.height;
    }
    if (logLines)
        *logLines = whole;
    if (screenLines)
        *screenLines = screen;
}

// ---- Scrolling

void TRsLogView::scrollToTop()
{
    setTop(TopPosition());
}

void TRsLogView::scrollToEnd()
{
    setTop(endTop());
}

void TRsLogView::scrollByScreenLines(qsizetype count)
{
    TopPosition top = m_top;
    const TopPosition end = endTop();
    for (; count > 0 && top < end; --count) {
        if (top.sub + 1 < layoutOf(top.line).layout.lineCount())
            ++top.sub;
        else
            top = {top.line + 1, 0};
    }
    for (; count < 0 && top > TopPosition(); ++count) {
        if (top.sub > 0) {
            --top.sub;
        } else {
            --top.line;
            top.sub = qMax(0, layoutOf(top.line).layout.lineCount() - 1);
        }
    }
    setTop(top);
}

void TRsLogView::pageBy(int direction)
{
    qsizetype screen = 0;
    countVisible(nullptr, &screen);
    scrollByScreenLines(direction * qMax<qsizetype>(1, screen));
}

void TRsLogView::scrollContentsBy(int, int)
{
    if (m_syncingBar)
        return;
    // Dragged or set from outside: the bar's value is the first line; its maximum is the end.
    const QScrollBar* bar = verticalScrollBar();
    if (bar->value() >= bar->maximum())
        setTop(endTop());
    else
        setTop({bar->value(), 0});
}

void TRsLogView::onScrollBarAction(int action)
{
    // The bar's arrows and its trough step by screen lines and pages, as the keys do, rather than by
    // the whole log lines its value counts.
    int direction = 0;
    bool page = false;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        direction = 1;
        break;
    case QAbstractSlider::SliderSingleStepSub:
        direction = -1;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        direction = 1;
        page = true;
        break;
    case QAbstractSlider::SliderPageStepSub:
        direction = -1;
        page = true;
        break;
    default:
        return;
    }
    QScrollBar* bar = verticalScrollBar();
    bar->setSliderPosition(bar->value());
    if (page)
        pageBy(direction);
    else
        scrollByScreenLines(direction);
}

// ---- Painting and geometry

void TRsLogView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QRect clip = event->rect();
    const qreal bottom = viewport()->height();
    painter.setPen(palette().color(QPalette::Text));

    const TRsLogPosition from = std::min(m_anchor, m_caret);
    const TRsLogPosition to = std::max(m_anchor, m_caret);
    QTextCharFormat selected;
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    selected.setBackground(palette().brush(group, QPalette::Highlight));
    selected.setForeground(palette().brush(group, QPalette::HighlightedText));

    qreal y = firstLineY();
    for (qsizetype line = m_top.line; line < m_lines->Count() && y < bottom; ++line) {
        const Laid& laid = layoutOf(line);
        if (y + laid.height > clip.top() && y <= clip.bottom()) {
            QList<QTextLayout::FormatRange> ranges;
            if (from != to && line >= from.line && line <= to.line) {
                const qsizetype start = line == from.line ? from.column : 0;
                // A selection that goes on past the end of the line takes its break: one more position,
                // which the layout shows as a little highlight after the text.
                const qsizetype end = line == to.line ? to.column : laid.layout.text().size() + 1;
                if (end > start)
                    ranges.append({int(start), int(end - start), selected});
            }
            laid.layout.draw(&painter, QPointF(0, y), ranges, clip);
        }
        y += laid.height;
    }
}

void TRsLogView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    // A new width wraps differently (layoutOf notices), a new height moves the end.
    m_endValid = false;
    setTop(m_atEnd ? endTop() : m_top);
}

void TRsLogView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::LayoutDirectionChange) {
        dropLayouts();
        setTop(m_atEnd ? endTop() : m_top);
    }
}

QRect TRsLogView::cursorRect(const TRsLogPosition& position) const
{
    if (position.line < m_top.line || position.line >= m_lines->Count())
        return QRect();
    const qreal bottom = viewport()->height();
    qreal y = firstLineY();
    for (qsizetype line = m_top.line; line < position.line; ++line) {
        y += layoutOf(line).height;
        if (y >= bottom)
            return QRect();
    }
    const QTextLayout& layout = layoutOf(position.line).layout;
    const int column = int(qBound<qsizetype>(0, position.column, layout.text().size()));
    const QTextLine l = layout.lineForTextPosition(column);
    if (!l.isValid())
        return QRect();
    return QRect(qRound(l.cursorToX(column)), qRound(y + l.y()), 1, qRound(l.height()));
}

TRsLogPosition TRsLogView::positionAt(const QPoint& point) const
{
    const qsizetype count = m_lines->Count();
    if (count == 0)
        return TRsLogPosition();
    // Above or below the viewport the nearest screen line counts, as when a drag leaves the pane.
    const qreal bottom = viewport()->height();
    const qreal py = qBound<qreal>(0, point.y(), qMax<qreal>(0, bottom - 1));
    qreal y = firstLineY();
    for (qsizetype line = m_top.line; line < count; ++line) {
        const Laid& laid = layoutOf(line);
        if (py < y + laid.height) {
            const QTextLayout& layout = laid.layout;
            int k = line == m_top.line ? m_top.sub : 0;
            while (k + 1 < layout.lineCount() && py >= y + layout.lineAt(k).y() + layout.lineAt(k).height())
                ++k;
            return {line, layout.lineAt(k).xToCursor(point.x())};
        }
        y += laid.height;
    }
    // Below the last line.
    return endPosition();
}

// ---- Selection

void TRsLogView::setSelection(TRsLogPosition anchor, TRsLogPosition caret)
{
    if (anchor == m_anchor && caret == m_caret)
        return;
    m_anchor = anchor;
    m_caret = caret;
    viewport()->update();
    emit selectionChanged();
}

void TRsLogView::selectAll()
{
    if (m_lines->IsEmpty())
        return;
    m_unit = Unit::Characters;
    setSelection(TRsLogPosition(), endPosition());
}

QString TRsLogView::selectedText() const
{
    const TRsLogPosition from = std::min(m_anchor, m_caret);
    const TRsLogPosition to = std::max(m_anchor, m_caret);
    return m_lines->Text(from.line, from.column, to.line, to.column);
}

QMimeData* TRsLogView::selectionMimeData() const
{
    return new TLogMimeData(m_lines, std::min(m_anchor, m_caret), std::max(m_anchor, m_caret));
}

void TRsLogView::copy()
{
    if (hasSelection())
        QGuiApplication::clipboard()->setMimeData(selectionMimeData());
}

// X11 lets a selection be pasted with the middle button without copying it first.
void TRsLogView::putSelectionOnX11Selection()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection())
        clipboard->setMimeData(selectionMimeData(), QClipboard::Selection);
}

void TRsLogView::moveCaretToEnd()
{
    m_unit = Unit::Characters;
    setSelection(endPosition(), endPosition());
    scrollToEnd();
}

std::pair<TRsLogPosition, TRsLogPosition> TRsLogView::wordAt(TRsLogPosition at) const
{
    // The toolkit's own idea of a word, so that a double click picks what it picks in any text box.
    const QString text = m_lines->Line(at.line);
    QTextDocument document(text);
    QTextCursor cursor(&document);
    cursor.setPosition(int(qBound<qsizetype>(0, at.column, text.size())));
    cursor.select(QTextCursor::WordUnderCursor);
    return {{at.line, cursor.selectionStart()}, {at.line, cursor.selectionEnd()}};
}

std::pair<TRsLogPosition, TRsLogPosition> TRsLogView::lineAt(qsizetype line) const
{
    if (line + 1 < m_lines->Count())
        return {{line, 0}, {line + 1, 0}};
    return {{line, 0}, endPosition()};
}

void TRsLogView::extendSelection(TRsLogPosition to)
{
    switch (m_unit) {
    case Unit::Characters:
        setSelection(m_anchor, to);
        break;
    case Unit::Words: {
        const auto [start, end] = wordAt(to);
        if (to < m_unitStart)
            setSelection(m_unitEnd, start);
        else
            setSelection(m_unitStart, std::max(end, m_unitEnd));
        break;
    }
    case Unit::Lines: {
        const auto [start, end] = lineAt(to.line);
        if (to.line < m_unitStart.line)
            setSelection(m_unitEnd, start);
        else
            setSelection(m_unitStart, std::max(end, m_unitEnd));
        break;
    }
    }
}

// ---- Keys and mouse

void TRsLogView::keyPressEvent(QKeyEvent* event)
{
    if (event == QKeySequence::SelectAll) {
        selectAll();
        return;
    }
    if (event == QKeySequence::Copy ||
        (event->key() == Qt::Key_Insert && event->modifiers() == Qt::ControlModifier)) {
        copy();
        return;
    }
    const Qt::KeyboardModifiers held = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Space:
        pageBy(held & Qt::ShiftModifier ? -1 : 1);
        return;
    case Qt::Key_Up:
        scrollByScreenLines(-1);
        return;
    case Qt::Key_Down:
        scrollByScreenLines(1);
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
        // Taken all the same: they are the pane's keys, and lines wrap, so there is nothing sideways.
        return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (held == Qt::NoModifier) {
            pageBy(event->key() == Qt::Key_PageDown ? 1 : -1);
            return;
        }
        break;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (held == Qt::NoModifier || held == Qt::ControlModifier) {
            if (event->key() == Qt::Key_Home)
                scrollToTop();
            else
                scrollToEnd();
            return;
        }
        break;
    default:
        break;
    }
    event->ignore();
}

void TRsLogView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_lines->IsEmpty()) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    m_mousePoint = point;
    const TRsLogPosition at = positionAt(point);
    if (m_tripleClick.isActive() && (point - m_tripleClickPoint).manhattanLength() < QApplication::startDragDistance()) {
        m_tripleClick.stop();
        m_unit = Unit::Lines;
        std::tie(m_unitStart, m_unitEnd) = lineAt(at.line);
        setSelection(m_unitStart, m_unitEnd);
    } else if (event->modifiers() == Qt::ShiftModifier) {
        extendSelection(at);
    } else {
        m_unit = Unit::Characters;
        setSelection(at, at);
    }
    m_selecting = true;
}

void TRsLogView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_selecting || !(event->buttons() & Qt::LeftButton)) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    m_mousePoint = event->position().toPoint();
    if (m_mousePoint.y() < 0 || m_mousePoint.y() >= viewport()->height()) {
        if (!m_autoScroll.isActive())
            m_autoScroll.start(AutoScrollMilliseconds, this);
    } else {
        m_autoScroll.stop();
    }
    extendSelection(positionAt(m_mousePoint));
}

void TRsLogView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_selecting) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    m_selecting = false;
    m_autoScroll.stop();
    putSelectionOnX11Selection();
}

void TRsLogView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_lines->IsEmpty()) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    m_unit = Unit::Words;
    std::tie(m_unitStart, m_unitEnd) = wordAt(positionAt(point));
    setSelection(m_unitStart, m_unitEnd);
    m_selecting = true;
    m_mousePoint = point;
    m_tripleClickPoint = point;
    m_tripleClick.start(QApplication::doubleClickInterval(), this);
    putSelectionOnX11Selection();
}

void TRsLogView::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_tripleClick.timerId()) {
        m_tripleClick.stop();
    } else if (event->timerId() == m_autoScroll.timerId()) {
        const int height = viewport()->height();
        const int beyond = m_mousePoint.y() < 0 ? m_mousePoint.y() : qMax(0, m_mousePoint.y() - height + 1);
        if (beyond == 0) {
            m_autoScroll.stop();
            return;
        }
        // The farther from the edge, the faster.
        const qsizetype lines = 1 + qAbs(beyond) / qMax(1, fontMetrics().height());
        scrollByScreenLines(beyond < 0 ? -lines : lines);
        extendSelection(positionAt(m_mousePoint));
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

void TRsLogView::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        event->ignore();
        return;
    }
    event->accept();
    if (event->modifiers() & Qt::ControlModifier) {
        zoom(delta / 120.0);
    } else if (event->modifiers() & Qt::ShiftModifier) {
        pageBy(delta < 0 ? 1 : -1);
    } else {
        // Fine-grained wheels send a fraction of a notch at a time; the rest waits for the next one.
        m_wheelRest += delta * QApplication::wheelScrollLines();
        const int lines = m_wheelRest / 120;
        m_wheelRest -= lines * 120;
        scrollByScreenLines(-lines);
    }
}

void TRsLogView::zoom(qreal steps)
{
    QFont f = font();
    const qreal size = f.pointSizeF() + steps;
    if (f.pointSizeF() <= 0 || size <= 0)
        return;
    f.setPointSizeF(size);
    setFont(f);
}

void TRsLogView::contextMenuEvent(QContextMenuEvent* event)
{
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* copyAction = menu->addAction(textBoxMenuText("&Copy", QKeySequence::Copy), this, &TRsLogView::copy);
    copyAction->setObjectName(u"edit-copy"_s);
    copyAction->setEnabled(hasSelection());
    setThemeIcon(copyAction, u"edit-copy"_s);
    menu->addSeparator();
    QAction* allAction =
        menu->addAction(textBoxMenuText("Select All", QKeySequence::SelectAll), this, &TRsLogView::selectAll);
    allAction->setObjectName(u"select-all"_s);
    allAction->setEnabled(!m_lines->IsEmpty());
    setThemeIcon(allAction, u"edit-select-all"_s);
    menu->popup(event->globalPos());
}

void TRsLogView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    // The selection has the active colours only while the pane has the focus.
    viewport()->update();
}

void TRsLogView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}
