#include "RsUnits/RsPanel.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

// A frame of the given width, top and left lines in one colour, bottom and right in the other;
// rect shrinks by the width on every side.
void frame3D(QPainter& painter, QRect& rect, const QColor& topLeft, const QColor& bottomRight, int width)
{
    for (int i = 0; i < width && rect.width() > 0 && rect.height() > 0; ++i) {
        const int l = rect.left();
        const int t = rect.top();
        const int r = rect.right();
        const int b = rect.bottom();
        painter.fillRect(QRect(l, t, r - l, 1), topLeft);     // top, without the top-right corner
        painter.fillRect(QRect(l, t, 1, b - t), topLeft);     // left, without the bottom-left corner
        painter.fillRect(QRect(r, t, 1, b - t + 1), bottomRight);
        painter.fillRect(QRect(l, b, r - l + 1, 1), bottomRight);
        rect.adjust(1, 1, -1, -1);
    }
}

void bevel(QPainter& painter, QRect& rect, TBevelCut cut, int width, const QPalette& palette)
{
    if (cut == bvNone)
        return;
    const QColor light = palette.color(QPalette::Light);
    const QColor shadow = palette.color(QPalette::Dark);
    if (cut == bvLowered)
        frame3D(painter, rect, shadow, light, width);
    else
        frame3D(painter, rect, light, shadow, width);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// View options

namespace RsPanel {

TViewOptions::TViewOptions(TRsPanel* panel)
    : FRsPanel(panel)
    , FGradientEndColor(TRsColor::FromRole(QPalette::Button))
    , FGradientStartColor(TRsColor::FromRole(QPalette::Button))
{
}

void TViewOptions::Assign(const TViewOptions& source)
{
    if (&source == this)
        return;
    FCaptionEndEllipsis = source.FCaptionEndEllipsis;
    FCaptionMarginLeft = source.FCaptionMarginLeft;
    FCaptionMarginRight = source.FCaptionMarginRight;
    FCaptionMarginTop = source.FCaptionMarginTop;
    FCaptionMarginBottom = source.FCaptionMarginBottom;
    FDrawingStyle = source.FDrawingStyle;
    FGradientDirection = source.FGradientDirection;
    FGradientEndColor = source.FGradientEndColor;
    FGradientStartColor = source.FGradientStartColor;
}

void TViewOptions::AdjustDefaultColors()
{
    // Qt's styles are all themed: the light start of current desktops over the button face.
    FGradientStartColor = QColor(0xFA, 0xFA, 0xFA);
    FGradientEndColor = TRsColor::FromRole(QPalette::Button);
}

QColor TViewOptions::GradientEndColor() const
{
    return FGradientEndColor.Resolve(FRsPanel->palette());
}

QColor TViewOptions::GradientStartColor() const
{
    return FGradientStartColor.Resolve(FRsPanel->palette());
}

template <typename T> void TViewOptions::set(T& field, const T& value)
{
    if (field == value)
        return;
    field = value;
    FRsPanel->update();
}

void TViewOptions::SetCaptionEndEllipsis(bool value) { set(FCaptionEndEllipsis, value); }
void TViewOptions::SetCaptionMarginLeft(int value) { set(FCaptionMarginLeft, value); }
void TViewOptions::SetCaptionMarginRight(int value) { set(FCaptionMarginRight, value); }
void TViewOptions::SetCaptionMarginTop(int value) { set(FCaptionMarginTop, value); }
void TViewOptions::SetCaptionMarginBottom(int value) { set(FCaptionMarginBottom, value); }
void TViewOptions::SetDrawingStyle(TPanelDrawingStyle value) { set(FDrawingStyle, value); }
void TViewOptions::SetGradientDirection(TGradientDirection value) { set(FGradientDirection, value); }
void TViewOptions::SetGradientEndColor(const TRsColor& value) { set(FGradientEndColor, value); }
void TViewOptions::SetGradientStartColor(const TRsColor& value) { set(FGradientStartColor, value); }

} // namespace RsPanel

// ---------------------------------------------------------------------------------------------
// Panel

TRsPanel::TRsPanel(QWidget* parent)
    : QWidget(parent)
    , m_viewOptions(new TViewOptions(this))
    , m_color(TRsColor::FromRole(QPalette::Button))
{
}

TRsPanel::~TRsPanel()
{
    delete m_viewOptions;
}

void TRsPanel::SetViewOptions(const TViewOptions& value)
{
    m_viewOptions->Assign(value);
}

void TRsPanel::SetCaption(const QString& value)
{
    if (value == m_caption)
        return;
    m_caption = value;
    update();
}

void TRsPanel::SetShowCaption(bool value)
{
    if (value == m_showCaption)
        return;
    m_showCaption = value;
    update();
}

void TRsPanel::SetAlignment(Qt::Alignment value)
{
    value &= Qt::AlignHorizontal_Mask;
    if (value == m_alignment)
        return;
    m_alignment = value;
    update();
}

void TRsPanel::SetVerticalAlignment(Qt::Alignment value)
{
    value &= Qt::AlignVertical_Mask;
    if (value == m_verticalAlignment)
        return;
    m_verticalAlignment = value;
    update();
}

void TRsPanel::SetBevelInner(TBevelCut value)
{
    m_bevelInner = value;
    update();
}

void TRsPanel::SetBevelOuter(TBevelCut value)
{
    m_bevelOuter = value;
    update();
}

void TRsPanel::SetBevelWidth(int value)
{
    m_bevelWidth = std::max(value, 1);
    update();
}

void TRsPanel::SetBorderWidth(int value)
{
    m_borderWidth = std::max(value, 0);
    update();
}

QColor TRsPanel::Color() const
{
    return m_color.Resolve(palette());
}

void TRsPanel::SetColor(const TRsColor& value)
{
    if (value == m_color)
        return;
    m_color = value;
    update();
}

void TRsPanel::SetParentBackground(bool value)
{
    m_parentBackground = value;
    update();
}

QString TRsPanel::shownCaption(int maxWidth)
{
    if (!m_viewOptions->CaptionEndEllipsis())
        return m_caption;
    bool truncated = false;
    const QString text = FitTextWithEllipsis(QFontMetrics(font()), maxWidth, m_caption, truncated);
    FIsCaptionTruncated = truncated;
    return text;
}

QRect TRsPanel::CaptionRect()
{
    if (m_caption.isEmpty() || !m_showCaption)
        return QRect(0, 0, 0, 0);
    const TViewOptions& vo = *m_viewOptions;
    const QRect r = rect().adjusted(vo.CaptionMarginLeft(), vo.CaptionMarginTop(), -vo.CaptionMarginRight(),
                                    -vo.CaptionMarginBottom());
    const QString text = shownCaption(r.width());
    const QFontMetrics metrics(font());
    const int textWidth = metrics.horizontalAdvance(text);
    const int textHeight = metrics.height();
    int x = r.left();
    if (m_alignment & Qt::AlignRight)
        x = r.left() + r.width() - textWidth;
    else if (m_alignment & Qt::AlignHCenter)
        x = r.left() + (r.width() - textWidth) / 2;
    int y = r.top();
    if (m_verticalAlignment & Qt::AlignBottom)
        y = r.top() + r.height() - textHeight;
    else if (m_verticalAlignment & Qt::AlignVCenter)
        y = r.top() + (r.height() - textHeight) / 2;
    return QRect(x, y, textWidth, textHeight);
}

void TRsPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QRect r = rect();
    bevel(painter, r, m_bevelOuter, m_bevelWidth, palette());
    if (m_parentBackground)
        r.adjust(m_borderWidth, m_borderWidth, -m_borderWidth, -m_borderWidth);
    else
        frame3D(painter, r, Color(), Color(), m_borderWidth);
    bevel(painter, r, m_bevelInner, m_bevelWidth, palette());

    const TViewOptions& vo = *m_viewOptions;
    if (vo.DrawingStyle() == dsGradient) {
        const QPoint end = vo.GradientDirection() == gdVertical ? r.bottomLeft() : r.topRight();
        QLinearGradient gradient(r.topLeft(), end);
        gradient.setColorAt(0, vo.GradientStartColor());
        gradient.setColorAt(1, vo.GradientEndColor());
        painter.fillRect(r, gradient);
    } else if (!m_parentBackground) {
        painter.fillRect(r, Color());
    }

    if (m_caption.isEmpty() || !m_showCaption)
        return;
    const QFontMetrics metrics(font());
    // The anchor point of the text, as a left, right or centre end and a top, bottom or centre line.
    int x = r.left() + vo.CaptionMarginLeft();
    if (m_alignment & Qt::AlignRight)
        x = r.left() + r.width() - vo.CaptionMarginRight();
    else if (m_alignment & Qt::AlignHCenter)
        x = r.left() + width() / 2;
    int y = r.top() + vo.CaptionMarginTop();
    if (m_verticalAlignment & Qt::AlignBottom) {
        y = r.top() + r.height() - vo.CaptionMarginBottom();
    } else if (m_verticalAlignment & Qt::AlignVCenter) {
        const int diff = height() - metrics.height();
        y = r.top() + (diff >= 0 ? diff / 2 : static_cast<int>(std::nearbyint(diff / 2.0)));
    }
    r.adjust(vo.CaptionMarginLeft(), vo.CaptionMarginTop(), -vo.CaptionMarginRight(), -vo.CaptionMarginBottom());
    const QString text = shownCaption(r.width());
    const int textWidth = metrics.horizontalAdvance(text);
    if (m_alignment & Qt::AlignRight)
        x -= textWidth;
    else if (m_alignment & Qt::AlignHCenter)
        x -= textWidth / 2;
    if (m_verticalAlignment & Qt::AlignBottom)
        y -= metrics.height();
    painter.setClipRect(r);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QPoint(x, y + metrics.ascent()), text);
}

void TRsPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_viewOptions->DrawingStyle() == dsGradient)
        update();
    emit resized(this);
}

// ---------------------------------------------------------------------------------------------
// Mouse tracking that stays right while a press holds the mouse.

void TRsPanel::setMouseInControl(bool value)
{
    if (value == FMouseInControl)
        return;
    FMouseInControl = value;
    if (value)
        emit mouseEnter(this);
    else
        emit mouseLeave(this);
}

void TRsPanel::recheckMouse(const QPoint& pos)
{
    if (!isEnabled())
        return;
    const QWidget* under = childAt(pos);
    setMouseInControl(rect().contains(pos) && under == nullptr);
}

void TRsPanel::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    setMouseInControl(true);
}

void TRsPanel::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    setMouseInControl(false);
}

void TRsPanel::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    FMouseInControl = rect().contains(pos);
    emit mouseDown(this, event->button(), event->modifiers(), pos);
    event->accept();
}

void TRsPanel::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    recheckMouse(pos);
    emit mouseUp(this, event->button(), event->modifiers(), pos);
}

void TRsPanel::mouseMoveEvent(QMouseEvent* event)
{
    if (!FMouseInControl || event->buttons() != Qt::NoButton)
        recheckMouse(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}
