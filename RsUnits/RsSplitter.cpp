#include "RsUnits/RsSplitter.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int kDotSize = 3;
constexpr int kDotCount = 5;
constexpr int kGripLength = kDotCount * kDotSize + (kDotCount - 1);

int pick(Qt::Orientation orientation, const QPoint& point)
{
    return orientation == Qt::Horizontal ? point.x() : point.y();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Handle

TRsSplitterHandle::TRsSplitterHandle(Qt::Orientation orientation, TRsSplitter* parent)
    : QSplitterHandle(orientation, parent)
    , m_splitter(parent)
{
    setAttribute(Qt::WA_Hover, false);
    setCursor(orientation == Qt::Horizontal ? Qt::SizeHorCursor : Qt::SizeVerCursor);
}

bool TRsSplitterHandle::event(QEvent* event)
{
    if (event->type() == QEvent::OrientationChange)
        setCursor(orientation() == Qt::Horizontal ? Qt::SizeHorCursor : Qt::SizeVerCursor);
    return QSplitterHandle::event(event);
}

QPoint TRsSplitterHandle::GripOrigin() const
{
    // A bar between panes side by side is vertical: its dots run down; otherwise across.
    if (orientation() == Qt::Horizontal)
        return QPoint((width() - kDotSize) / 2, (height() - kGripLength) / 2);
    return QPoint((width() - kGripLength) / 2, (height() - kDotSize) / 2);
}

void TRsSplitterHandle::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor color = m_splitter->Color();
    painter.fillRect(rect(), color);
    if (!m_splitter->ShowGrab())
        return;
    // A raised dot lit from the top left.
    QImage dot(kDotSize, kDotSize, QImage::Format_RGB32);
    dot.fill(color);
    {
        QPainter dp(&dot);
        dp.fillRect(QRect(1, 1, 2, 2), palette().color(QPalette::Dark));
        dp.fillRect(QRect(0, 0, 2, 2), palette().color(QPalette::Light));
    }
    QPoint at = GripOrigin();
    const QPoint step = orientation() == Qt::Horizontal ? QPoint(0, kDotSize + 1) : QPoint(kDotSize + 1, 0);
    for (int i = 0; i < kDotCount; ++i, at += step)
        painter.drawImage(at, dot);
}

void TRsSplitterHandle::enterEvent(QEnterEvent* event)
{
    QSplitterHandle::enterEvent(event);
    emit m_splitter->mouseEnter(m_splitter);
}

void TRsSplitterHandle::leaveEvent(QEvent* event)
{
    QSplitterHandle::leaveEvent(event);
    emit m_splitter->mouseLeave(m_splitter);
}

void TRsSplitterHandle::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        m_mouseOffset = pick(orientation(), event->position().toPoint());
    }
    event->accept();
}

void TRsSplitterHandle::dragTo(const QPoint& globalPos)
{
    // Global positions: the bar itself moves under the mouse while it is dragged.
    const int index = m_splitter->indexOf(this);
    const int wanted = pick(orientation(), m_splitter->mapFromGlobal(globalPos)) - m_mouseOffset;
    int pos = m_splitter->LimitedPosition(index, wanted);
    // The leading pane's new size, as the handler sees it.
    const int leadStart = pick(orientation(), m_splitter->widget(index - 1)->geometry().topLeft());
    int newSize = pos - leadStart;
    bool accept = true;
    emit m_splitter->canResize(m_splitter, newSize, accept);
    if (!accept)
        return;
    pos = leadStart + newSize;
    if (pos != pick(orientation(), geometry().topLeft()))
        moveSplitter(pos);
}

void TRsSplitterHandle::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressed && event->buttons().testFlag(Qt::LeftButton))
        dragTo(event->globalPosition().toPoint());
    event->accept();
}

void TRsSplitterHandle::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_pressed && event->button() == Qt::LeftButton) {
        dragTo(event->globalPosition().toPoint());
        m_pressed = false;
    }
    event->accept();
}

// ---------------------------------------------------------------------------------------------
// Splitter

TRsSplitter::TRsSplitter(Qt::Orientation orientation, QWidget* parent)
    : QSplitter(orientation, parent)
    , m_color(TRsColor::FromRole(QPalette::Button))
{
    init();
}

TRsSplitter::TRsSplitter(QWidget* parent)
    : TRsSplitter(Qt::Horizontal, parent)
{
}

void TRsSplitter::init()
{
    setOpaqueResize(true);
    setChildrenCollapsible(m_autoSnap);
    setHandleWidth(3);
}

QSplitterHandle* TRsSplitter::createHandle()
{
    return new TRsSplitterHandle(orientation(), this);
}

void TRsSplitter::SetShowGrab(bool value)
{
    if (value == FShowGrab)
        return;
    FShowGrab = value;
    for (int i = 0; i < count(); ++i)
        handle(i)->update();
}

void TRsSplitter::SetMinSize(int value)
{
    m_minSize = std::max(value, 0);
}

void TRsSplitter::SetAutoSnap(bool value)
{
    m_autoSnap = value;
    setChildrenCollapsible(value);
}

QColor TRsSplitter::Color() const
{
    return m_color.Resolve(palette());
}

void TRsSplitter::SetColor(const TRsColor& value)
{
    if (value == m_color)
        return;
    m_color = value;
    for (int i = 0; i < count(); ++i)
        handle(i)->update();
}

int TRsSplitter::LimitedPosition(int handleIndex, int pos) const
{
    if (handleIndex < 1 || handleIndex >= count())
        return pos;
    const QWidget* lead = widget(handleIndex - 1);
    const QWidget* trail = widget(handleIndex);
    const QRect leadRect = lead->geometry();
    const QRect trailRect = trail->geometry();
    const bool horizontal = orientation() == Qt::Horizontal;
    // Space the two neighbours share, from the start of the leading pane to the end of the trailing one.
    const int start = horizontal ? leadRect.left() : leadRect.top();
    const int end = lead->isHidden() || trail->isHidden() ? start
                                                           : (horizontal ? trailRect.right() : trailRect.bottom()) + 1;
    const int bar = handleWidth();
    const int maxPos = end - bar;
    int leadSize = std::clamp(pos - start, 0, std::max(maxPos - start, 0));
    int trailSize = maxPos - start - leadSize;
    if (leadSize < m_minSize) {
        leadSize = m_autoSnap && leadSize < m_minSize / 2 ? 0 : m_minSize;
    } else if (trailSize < m_minSize) {
        trailSize = m_autoSnap && trailSize < m_minSize / 2 ? 0 : m_minSize;
        leadSize = maxPos - start - trailSize;
    }
    // When both panes cannot have MinSize, the bar stays inside the shared space.
    leadSize = std::clamp(leadSize, 0, std::max(maxPos - start, 0));
    return start + leadSize;
}
