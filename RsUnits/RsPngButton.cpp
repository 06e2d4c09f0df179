#include "RsUnits/RsPngButton.h"

#include "RsUnits/RsImageList.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace {

constexpr Qt::TextFlag kMnemonic = Qt::TextShowMnemonic;

QPixmap halfAlpha(const QPixmap& source)
{
    if (source.isNull())
        return QPixmap();
    QImage image = source.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qRgba(qRed(line[x]), qGreen(line[x]), qBlue(line[x]), qAlpha(line[x]) >> 1);
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(source.devicePixelRatio());
    return result;
}

QSize logicalSize(const QPixmap& pixmap)
{
    return pixmap.isNull() ? QSize(0, 0) : pixmap.deviceIndependentSize().toSize();
}

} // namespace

TRsPngButton::TRsPngButton(QWidget* parent) : QWidget(parent)
{
    // The press that closes our drop-down menu must not reach us again and reopen it.
    setAttribute(Qt::WA_NoMouseReplay);
    setBackgroundRole(QPalette::Button);
    resize(24, 22);
}

TRsPngButton::~TRsPngButton() = default;

void TRsPngButton::SetAllowAllUp(bool value)
{
    if (m_allowAllUp == value)
        return;
    m_allowAllUp = value;
    tellGroup();
}

void TRsPngButton::SetGrouped(bool value)
{
    if (m_grouped == value)
        return;
    m_grouped = value;
    tellGroup();
}

void TRsPngButton::SetButtonStyle(TRsPngButtonStyle value)
{
    if (m_buttonStyle == value)
        return;
    // The arrow area is added to the width, so the image area keeps its size.
    if (m_buttonStyle == pbsDropdown)
        resize(width() - ArrowWidth, height());
    else if (value == pbsDropdown)
        resize(width() + ArrowWidth, height());
    m_buttonStyle = value;
    update();
}

void TRsPngButton::SetDown(bool value)
{
    if (value == m_down)
        return;
    // A grouped button is raised by pressing another one of its group, not directly.
    if (m_down && m_grouped && !m_allowAllUp)
        return;
    m_down = value;
    if (value) {
        m_buttonState = bsExclusive;
        update();
        tellGroup();
    } else {
        m_buttonState = isEnabled() ? bsUp : bsDisabled;
        update();
    }
}

void TRsPngButton::SetDownOffsetStyle(TRsDownOffsetStyle value)
{
    m_downOffsetStyle = value;
    update();
}

void TRsPngButton::SetDropDownMenu(QMenu* menu)
{
    m_dropDownMenu = menu;
    if (menu)
        menu->setLayoutDirection(layoutDirection());
}

void TRsPngButton::SetLayout(TButtonLayout value)
{
    if (m_layout == value)
        return;
    m_layout = value;
    update();
}

void TRsPngButton::SetSpacing(int value)
{
    if (m_spacing == value)
        return;
    m_spacing = value;
    update();
}

void TRsPngButton::SetTransparent(bool value)
{
    if (m_transparent == value)
        return;
    m_transparent = value;
    setAttribute(Qt::WA_OpaquePaintEvent, !value);
    update();
}

void TRsPngButton::SetCaption(const QString& value)
{
    if (m_caption == value)
        return;
    m_caption = value;
    updateGeometry();
    update();
}

void TRsPngButton::SetHint(const QString& value)
{
    m_hint = value;
    setToolTip(m_hint);
}

void TRsPngButton::SetGlyphUp(const QPixmap& value)
{
    m_glyphUp = value;
    deriveDisabledGlyph();
    m_imageFromAction = false;
    updateGeometry();
    update();
}

void TRsPngButton::SetGlyphDown(const QPixmap& value)
{
    m_glyphDown = value;
    update();
}

void TRsPngButton::SetGlyphHot(const QPixmap& value)
{
    m_glyphHot = value;
    update();
}

void TRsPngButton::deriveDisabledGlyph()
{
    m_glyphDisabled = halfAlpha(m_glyphUp);
}

// ---- action binding -------------------------------------------------------------------------

void TRsPngButton::SetAction(QAction* action)
{
    if (m_action == action)
        return;
    if (m_action)
        disconnect(m_action, nullptr, this, nullptr);
    m_action = action;
    if (!action)
        return;
    connect(action, &QAction::changed, this, &TRsPngButton::actionChanged);
    // Binding copies everything; later changes of the action reach only what still follows it.
    m_actionText = action->text();
    m_actionChecked = action->isChecked();
    SetCaption(action->text());
    setEnabled(action->isEnabled());
    takeImageFromAction();
    if (action->isCheckable())
        SetDown(action->isChecked());
}

void TRsPngButton::actionChanged()
{
    QAction* action = m_action;
    if (!action)
        return;
    if (m_caption == m_actionText)
        SetCaption(action->text());
    m_actionText = action->text();
    setEnabled(action->isEnabled());
    if (action->isChecked() != m_actionChecked) {
        const bool linked = m_actionChecked == m_down;
        m_actionChecked = action->isChecked();
        if (linked && action->isCheckable())
            SetDown(m_actionChecked);
    }
    takeImageFromAction();
}

void TRsPngButton::takeImageFromAction()
{
    QAction* action = m_action;
    if (!action || (!m_glyphUp.isNull() && !m_imageFromAction))
        return;
    QPixmap pixmap;
    const TRsImageList* list = ActionImageList(action);
    const int index = ActionImageIndex(action);
    if (list) {
        if (index < 0 || index >= list->Count())
            return;
        pixmap = list->Pixmap(index, devicePixelRatioF());
    } else if (!action->icon().isNull()) {
        const QList<QSize> sizes = action->icon().availableSizes();
        pixmap = action->icon().pixmap(sizes.isEmpty() ? QSize(24, 24) : sizes.first(), devicePixelRatioF());
    } else {
        return;
    }
    m_glyphUp = pixmap;
    deriveDisabledGlyph();
    m_imageFromAction = true;
    updateGeometry();
    update();
}

// ---- group ----------------------------------------------------------------------------------

void TRsPngButton::tellGroup()
{
    if (!m_grouped || !parentWidget())
        return;
    const auto siblings = parentWidget()->findChildren<TRsPngButton*>(Qt::FindDirectChildrenOnly);
    for (TRsPngButton* sibling : siblings)
        sibling->groupButtonPressed(this);
}

void TRsPngButton::groupButtonPressed(TRsPngButton* sender)
{
    if (sender == this || !m_grouped)
        return;
    if (sender->m_down && m_down) {
        m_down = false;
        m_buttonState = isEnabled() ? bsUp : bsDisabled;
        if (m_action && m_action->isCheckable())
            m_action->setChecked(false);
        update();
    }
    m_allowAllUp = sender->m_allowAllUp;
}

// ---- geometry and painting ------------------------------------------------------------------

bool TRsPngButton::shownPressed() const
{
    return (m_buttonState == bsDown || m_buttonState == bsExclusive) && m_mouseInControl;
}

TRsPngButton::Geometry TRsPngButton::computeGeometry() const
{
    const int w = width();
    const int h = height();
    const int a = m_buttonStyle == pbsDropdown ? ArrowWidth : 0;
    const QSize g = logicalSize(CurrentGlyph());
    const int gw = g.width();
    const int gh = g.height();
    int tw = 0;
    int th = 0;
    if (!m_caption.isEmpty()) {
        const QRect r = fontMetrics().boundingRect(QRect(0, 0, qMax(0, w - a), h), kMnemonic, m_caption);
        tw = r.width();
        th = r.height();
    }
    const int s = (gw == 0 || tw == 0) ? 0 : m_spacing;

    int gx = (w - a - gw) / 2;
    int gy = (h - gh) / 2;
    int tx = (w - a - tw) / 2;
    int ty = (h - th) / 2;
    switch (m_layout) {
    case blGlyphLeft:
        gx = (w - a - gw - tw - s) / 2;
        tx = gx + gw + s;
        break;
    case blGlyphRight:
        tx = (w - a - gw - tw - s) / 2;
        gx = tx + tw + s;
        break;
    case blGlyphTop:
        gy = (h - gh - th - s) / 2;
        ty = gy + gh + s;
        break;
    case blGlyphBottom:
        ty = (h - gh - th - s) / 2;
        gy = ty + th + s;
        break;
    }
    int ax = w - ArrowWidth;
    int ay = 0;

    const int d = (shownPressed() || m_down) ? 1 : 0;
    if (m_downOffsetStyle != dosNone) {
        gx += d;
        tx += d;
        ax += d;
    }
    if (m_downOffsetStyle == dosBottomRight) {
        gy += d;
        ty += d;
        ay += d;
    }

    Geometry geo;
    geo.glyph = QRect(gx, gy, gw, gh);
    const int captionBottom = m_layout == blGlyphBottom ? gy : h;
    geo.caption = QRect(QPoint(tx, ty), QPoint(tx + tw - 1, captionBottom - 1));
    geo.arrow = QRect(ax, ay, ArrowWidth, h);
    return geo;
}

QRect TRsPngButton::GlyphRect() const { return computeGeometry().glyph; }
QRect TRsPngButton::CaptionRect() const { return computeGeometry().caption; }
QRect TRsPngButton::ArrowRect() const { return computeGeometry().arrow; }

QPixmap TRsPngButton::CurrentGlyph() const
{
    if (!isEnabled() && !m_glyphDisabled.isNull())
        return m_glyphDisabled;
    if ((m_buttonState == bsDown || m_buttonState == bsExclusive) && !m_glyphDown.isNull())
        return m_glyphDown;
    if (m_mouseInControl && !m_glyphHot.isNull())
        return m_glyphHot;
    return m_glyphUp;
}

QSize TRsPngButton::sizeHint() const
{
    const QSize g = logicalSize(m_glyphUp);
    QSize t(0, 0);
    if (!m_caption.isEmpty())
        t = fontMetrics().boundingRect(QRect(0, 0, 10000, 10000), kMnemonic, m_caption).size();
    const int s = (g.isEmpty() || t.isEmpty()) ? 0 : m_spacing;
    QSize content;
    if (m_layout == blGlyphLeft || m_layout == blGlyphRight)
        content = QSize(g.width() + s + t.width(), qMax(g.height(), t.height()));
    else
        content = QSize(qMax(g.width(), t.width()), g.height() + s + t.height());
    content += QSize(8, 4);
    if (m_buttonStyle == pbsDropdown)
        content.rwidth() += ArrowWidth;
    return content.expandedTo(QSize(24, 22));
}

void TRsPngButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_transparent)
        painter.fillRect(rect(), palette().color(QPalette::Button));

    const bool pressed = shownPressed() || m_down;
    if (m_buttonStyle != pbsNoFrame && isEnabled() && (pressed || m_mouseInControl)) {
        // A flat toolbar button: a tinted frame only while hot, held or latched, in the
        // palette's highlight colour so that it follows the desktop's colours.
        const QColor highlight = palette().color(QPalette::Active, QPalette::Highlight);
        QColor fillColour = highlight;
        QColor edgeColour = highlight;
        if (shownPressed()) {
            fillColour.setAlpha(90);
            edgeColour.setAlpha(220);
        } else if (m_down) {
            fillColour.setAlpha(m_mouseInControl ? 75 : 55);
            edgeColour.setAlpha(190);
        } else {
            fillColour.setAlpha(38);
            edgeColour.setAlpha(160);
        }
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(edgeColour, 1.0));
        painter.setBrush(fillColour);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3.0, 3.0);
        painter.restore();
    }

    const Geometry geo = computeGeometry();
    const QPixmap glyph = CurrentGlyph();
    if (!glyph.isNull())
        painter.drawPixmap(geo.glyph.topLeft(), glyph);

    const QColor textColor = isEnabled() ? palette().color(QPalette::Active, QPalette::ButtonText)
                                         : palette().color(QPalette::Disabled, QPalette::ButtonText);
    if (!m_caption.isEmpty()) {
        painter.setPen(textColor);
        painter.drawText(geo.caption, Qt::AlignHCenter | Qt::AlignTop | kMnemonic, m_caption);
    }

    if (m_buttonStyle == pbsDropdown) {
        const QRect& r = geo.arrow;
        const int y = r.top() + (r.height() - 4) / 2;
        const QPoint corners[3] = {QPoint(r.left() + 5, y), QPoint(r.left() + 11, y), QPoint(r.left() + 8, y + 3)};
        painter.save();
        painter.setPen(textColor);
        painter.setBrush(textColor);
        painter.drawPolygon(corners, 3);
        painter.restore();
    }
}

// ---- mouse ----------------------------------------------------------------------------------

void TRsPngButton::mousePressEvent(QMouseEvent* event)
{
    if (m_menuTracking)
        return;
    const bool inside = rect().contains(event->position().toPoint());
    m_mouseInControl = inside;
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    if (!m_down) {
        m_buttonState = bsDown;
        update();
    }
    m_leftClicked = true;
    m_menuTracking = true;
    QPointer<TRsPngButton> self(this);
    dropDown();
    if (self)
        m_menuTracking = false;
}

void TRsPngButton::dropDown()
{
    QMenu* menu = m_dropDownMenu;
    if (!menu || menu->actions().isEmpty())
        return;
    QPoint at = DropDownPoint();
    const QPoint belowLeft = mapToGlobal(QPoint(0, height()));
    if (at.y() != belowLeft.y()) {
        // Too low on the screen for the menu: hang it above the button instead of below.
        at.setY(at.y() - menu->sizeHint().height());
    }
    QPointer<TRsPngButton> self(this);
    menu->exec(at);
    if (!self)
        return;
    // The release of this press went to the menu: finish the press here (no click: the menu
    // was tracked).
    releaseStep(rect().contains(mapFromGlobal(QCursor::pos())));
}

QPoint TRsPngButton::DropDownPoint() const
{
    if (!m_dropDownMenu)
        return QPoint();
    const QPoint topLeft = mapToGlobal(QPoint(0, 0));
    int x = topLeft.x();
    int y = topLeft.y() + height();
    if (m_dropDownAlignment & Qt::AlignRight)
        x += width();
    else if (m_dropDownAlignment & Qt::AlignHCenter)
        x += width() / 2;
    QScreen* screen = QGuiApplication::screenAt(QPoint(x, y));
    if (!screen)
        screen = this->screen();
    if (screen) {
        const QRect monitor = screen->geometry();
        x = qBound(monitor.left(), x, monitor.left() + monitor.width());
        if (monitor.top() + monitor.height() - y < m_dropDownMenu->sizeHint().height())
            y -= height();
    }
    return QPoint(x, y);
}

void TRsPngButton::mouseMoveEvent(QMouseEvent* event)
{
    if (m_leftClicked) {
        const bool inside = rect().contains(event->position().toPoint());
        const TRsButtonState state = m_down ? bsExclusive : (inside ? bsDown : bsUp);
        if (state != m_buttonState) {
            m_buttonState = state;
            update();
        }
    } else if (!m_mouseInControl) {
        recheckMouse();
    }
}

void TRsPngButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_leftClicked)
        return;
    releaseStep(rect().contains(event->position().toPoint()));
}

void TRsPngButton::releaseStep(bool inside)
{
    m_leftClicked = false;
    if (m_buttonStyle != pbsFlatCheck) {
        m_buttonState = bsUp;
        update();
    } else if (inside) {
        SetDown(!m_down);
        update();
    } else {
        m_buttonState = m_down ? bsExclusive : bsUp;
        update();
    }
    if (!isEnabled())
        m_buttonState = bsDisabled;
    QPointer<TRsPngButton> self(this);
    if (inside && !m_menuTracking)
        Click();
    if (self)
        recheckMouse();
}

void TRsPngButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (m_menuTracking)
        return;
    // A double click is also a press, as the system delivers it.
    QPointer<TRsPngButton> self(this);
    mousePressEvent(event);
    if (self && event->button() == Qt::LeftButton && m_down)
        emit OnDblClick();
}

void TRsPngButton::Click()
{
    QPointer<TRsPngButton> self(this);
    emit OnClick();
    if (self && m_action)
        m_action->trigger();
}

void TRsPngButton::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    mouseEntered(true);
}

void TRsPngButton::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    mouseLeft(true);
}

// The events are raised for every real crossing of the edge; a re-check after a click raises
// them only when it finds the mouse somewhere else than it was marked.
void TRsPngButton::mouseEntered(bool crossed)
{
    if (isEnabled() && (crossed || !m_mouseInControl))
        emit OnMouseEnter();
    if (!m_mouseInControl && isEnabled() && !QWidget::mouseGrabber()) {
        m_mouseInControl = true;
        update();
    }
}

void TRsPngButton::mouseLeft(bool crossed)
{
    if (isEnabled() && (crossed || m_mouseInControl))
        emit OnMouseLeave();
    if (m_mouseInControl && isEnabled() && !m_leftClicked) {
        m_mouseInControl = false;
        update();
    }
}

void TRsPngButton::recheckMouse()
{
    if (!isEnabled())
        return;
    if (QApplication::widgetAt(QCursor::pos()) == this)
        mouseEntered(false);
    else
        mouseLeft(false);
}

void TRsPngButton::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        m_buttonState = isEnabled() ? (m_down ? bsExclusive : bsUp) : bsDisabled;
        if (!isEnabled()) {
            m_leftClicked = false;
            m_mouseInControl = false;
        }
        recheckMouse();
        update();
        break;
    case QEvent::FontChange:
        updateGeometry();
        update();
        break;
    case QEvent::LayoutDirectionChange:
        if (m_dropDownMenu)
            m_dropDownMenu->setLayoutDirection(layoutDirection());
        break;
    default:
        break;
    }
}

bool TRsPngButton::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && !m_showHint) {
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}
