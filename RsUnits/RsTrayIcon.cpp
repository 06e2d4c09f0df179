#include "RsUnits/RsTrayIcon.h"

#include "RsUnits/RsImageList.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QMetaMethod>
#include <QSystemTrayIcon>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype MaxTipLength = 127;
constexpr qsizetype MaxBalloonTitleLength = 63;
constexpr qsizetype MaxBalloonHintLength = 255;

std::function<bool()>& availabilityProbe()
{
    static std::function<bool()> probe = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    return probe;
}

QSystemTrayIcon::MessageIcon messageIconOf(TRsBalloonFlags flags)
{
    switch (flags) {
    case TRsBalloonFlags::rbfInfo:
        return QSystemTrayIcon::Information;
    case TRsBalloonFlags::rbfWarning:
        return QSystemTrayIcon::Warning;
    case TRsBalloonFlags::rbfError:
        return QSystemTrayIcon::Critical;
    case TRsBalloonFlags::rbfNone:
    case TRsBalloonFlags::rbfUser:
        break;
    }
    return QSystemTrayIcon::NoIcon;
}

Qt::KeyboardModifiers keyboardShift()
{
    return QGuiApplication::queryKeyboardModifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

} // namespace

void TRsTrayIcon::SetAvailabilityProbe(std::function<bool()> probe)
{
    availabilityProbe() = probe ? std::move(probe) : [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
}

TRsTrayIcon::TRsTrayIcon(QObject* parent)
    : QObject(parent)
{
    m_tray = new QSystemTrayIcon(this);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        switch (reason) {
        case QSystemTrayIcon::Trigger:
            DispatchMouseMessage(TRsTrayMouseMessage::LeftDown);
            DispatchMouseMessage(TRsTrayMouseMessage::LeftUp);
            break;
        case QSystemTrayIcon::DoubleClick:
            DispatchMouseMessage(TRsTrayMouseMessage::LeftDouble);
            break;
        case QSystemTrayIcon::Context:
            DispatchMouseMessage(TRsTrayMouseMessage::RightDown);
            DispatchMouseMessage(TRsTrayMouseMessage::RightUp);
            break;
        case QSystemTrayIcon::MiddleClick:
            DispatchMouseMessage(TRsTrayMouseMessage::MiddleDown);
            DispatchMouseMessage(TRsTrayMouseMessage::MiddleUp);
            break;
        case QSystemTrayIcon::Unknown:
            break;
        }
    });
    connect(m_tray, &QSystemTrayIcon::messageClicked, this,
            [this] { DispatchMouseMessage(TRsTrayMouseMessage::BalloonClick); });

    m_animationTimer = new QTimer(this);
    m_animationTimer->setInterval(1000);
    connect(m_animationTimer, &QTimer::timeout, this, &TRsTrayIcon::DoAnimate);
    // A desktop without a notification area may get one later (a panel started after us).
    m_retryTimer = new QTimer(this);
    m_retryTimer->setInterval(1000);
    connect(m_retryTimer, &QTimer::timeout, this, &TRsTrayIcon::RetryAddIcon);
}

TRsTrayIcon::~TRsTrayIcon()
{
    DeleteIcon();
}

// ---- Presence

void TRsTrayIcon::AddIcon()
{
    if (m_loaded)
        return;
    if (!availabilityProbe()()) {
        m_retryTimer->start();
        return;
    }
    m_loaded = true;
    ModifyIcon();
    m_tray->show();
}

void TRsTrayIcon::RetryAddIcon()
{
    if (!m_visible || m_loaded) {
        m_retryTimer->stop();
        return;
    }
    if (!availabilityProbe()())
        return;
    m_retryTimer->stop();
    AddIcon();
}

void TRsTrayIcon::ModifyIcon()
{
    if (!m_loaded)
        return;
    m_tray->setIcon(m_shownIcon);
    m_tray->setToolTip(ToolTip());
}

void TRsTrayIcon::DeleteIcon()
{
    m_retryTimer->stop();
    if (!m_loaded)
        return;
    m_tray->hide();
    m_loaded = false;
}

void TRsTrayIcon::SetVisible(bool value)
{
    m_visible = value;
    if (!value) {
        m_animationTimer->stop();
        DeleteIcon();
        return;
    }
    if (m_loaded)
        return;
    if (m_animate) {
        m_shownIcon = m_tempIcon.isNull() ? staticOrApplicationIcon() : m_tempIcon;
        AddIcon();
        m_animationTimer->start();
    } else {
        if (m_icon.isNull())
            m_icon = QApplication::windowIcon();
        m_shownIcon = m_icon;
        AddIcon();
    }
}

// ---- Texts

void TRsTrayIcon::SetHint(const QString& value)
{
    m_hint = value;
    // The notification area of the other desktop takes "&&" for one ampersand and a single "&"
    // as an accelerator mark, so every ampersand is stored as three.
    m_hint.replace(u'&', u"&&&"_s);
    ModifyIcon();
}

QString TRsTrayIcon::ToolTip() const
{
    QString tip = m_hint.left(MaxTipLength);
    tip.replace(u"&&&"_s, u"&"_s);
    tip.replace(u"&&"_s, u"&"_s);
    return tip;
}

void TRsTrayIcon::SetBalloonTitle(const QString& value)
{
    m_balloonTitle = value;
}

void TRsTrayIcon::SetBalloonHint(const QString& value)
{
    m_balloonHint = value;
}

void TRsTrayIcon::SetBalloonFlags(TRsBalloonFlags value)
{
    m_balloonFlags = value;
    m_infoFlags = unsigned(value) & 0x7F;
}

void TRsTrayIcon::SetNotificationIcon(const QIcon& icon)
{
    m_notificationIcon = icon;
    if (icon.availableSizes().contains(QSize(32, 32)))
        m_options |= rbfoLargeIcon;
}

// ---- Icons and the animation

QIcon TRsTrayIcon::listIcon(int index) const
{
    return m_icons ? m_icons->Icon(index) : QIcon();
}

QIcon TRsTrayIcon::staticOrApplicationIcon() const
{
    return m_icon.isNull() ? QApplication::windowIcon() : m_icon;
}

void TRsTrayIcon::SetIcon(const QIcon& icon)
{
    m_icon = icon;
    m_shownIcon = m_icon;
    ModifyIcon();
}

void TRsTrayIcon::SetIcons(TRsImageList* list)
{
    if (m_icons == list)
        return;
    m_icons = list;
    m_tempIcon = list ? listIcon(m_iconIndex) : staticOrApplicationIcon();
    m_shownIcon = m_tempIcon;
    ModifyIcon();
}

void TRsTrayIcon::SetIconIndex(int value)
{
    if (m_iconIndex == value)
        return;
    m_iconIndex = value;
    if (m_icons)
        m_tempIcon = listIcon(value);
    m_shownIcon = m_tempIcon;
    ModifyIcon();
}

void TRsTrayIcon::SetAnimate(bool value)
{
    if (m_animate == value)
        return;
    m_animate = value;
    if (m_icons && m_icons->Count() > 0 && m_visible) {
        if (value)
            m_animationTimer->start();
        else
            m_animationTimer->stop();
        if (!value)
            SetIcon(m_icon); // the static icon again
    }
}

bool TRsTrayIcon::IsAnimating() const
{
    return m_animationTimer->isActive();
}

int TRsTrayIcon::AnimateInterval() const
{
    return m_animationTimer->interval();
}

void TRsTrayIcon::SetAnimateInterval(int milliseconds)
{
    m_animationTimer->setInterval(milliseconds);
}

void TRsTrayIcon::DoAnimate()
{
    emit OnAnimate(this);
    if (!m_icons)
        return;
    const int count = m_icons->Count();
    int next = m_iconIndex + 1;
    if (count <= 1 || next > count - 1)
        next = 0;
    else if (next < 0)
        next = count - 1;
    SetIconIndex(next);
}

// ---- Balloons

void TRsTrayIcon::ShowBalloon()
{
    if (!m_loaded)
        return;
    // The options asked for stay in the word until the kind is set again.
    m_infoFlags |= m_options | unsigned(m_balloonFlags);
    const QString title = m_balloonTitle.left(MaxBalloonTitleLength);
    const QString hint = m_balloonHint.left(MaxBalloonHintLength);
    if (m_balloonFlags == TRsBalloonFlags::rbfUser && !m_notificationIcon.isNull())
        m_tray->showMessage(title, hint, m_notificationIcon, m_balloonTimeout);
    else
        m_tray->showMessage(title, hint, messageIconOf(m_balloonFlags), m_balloonTimeout);
}

void TRsTrayIcon::ShowBalloon(const QString& title, const QString& hint, TRsBalloonFlags flags,
                              TRsBalloonOptions options, int timeout)
{
    if (!m_loaded)
        return;
    m_infoFlags = options | unsigned(flags);
    m_balloonTimeout = timeout;
    if (flags == TRsBalloonFlags::rbfUser && !m_notificationIcon.isNull())
        m_tray->showMessage(title.left(MaxBalloonTitleLength), hint.left(MaxBalloonHintLength), m_notificationIcon,
                            timeout);
    else
        m_tray->showMessage(title.left(MaxBalloonTitleLength), hint.left(MaxBalloonHintLength), messageIconOf(flags),
                            timeout);
}

void TRsTrayIcon::HideBalloon()
{
    // Qt has no call to take a message back; the desktop's own time-out removes it.
}

// ---- Mouse

void TRsTrayIcon::DispatchMouseMessage(TRsTrayMouseMessage message)
{
    const Qt::KeyboardModifiers shift = keyboardShift();
    const QPoint at = QCursor::pos();
    switch (message) {
    case TRsTrayMouseMessage::Move:
        emit OnMouseMove(this, shift, at.x(), at.y());
        break;
    case TRsTrayMouseMessage::LeftDown:
        m_leftClicked = true;
        emit OnMouseDown(this, Qt::LeftButton, shift, at.x(), at.y());
        break;
    case TRsTrayMouseMessage::LeftUp:
        if (m_leftClicked && isSignalConnected(QMetaMethod::fromSignal(&TRsTrayIcon::OnClick))) {
            m_leftClicked = false;
            emit OnClick(this);
        }
        emit OnMouseUp(this, Qt::LeftButton, shift, at.x(), at.y());
        break;
    case TRsTrayMouseMessage::RightDown:
        emit OnMouseDown(this, Qt::RightButton, shift, at.x(), at.y());
        break;
    case TRsTrayMouseMessage::RightUp:
        emit OnMouseUp(this, Qt::RightButton, shift, at.x(), at.y());
        if (m_popupMenu)
            m_popupMenu->popup(at);
        break;
    case TRsTrayMouseMessage::MiddleDown:
        emit OnMouseDown(this, Qt::MiddleButton, shift, at.x(), at.y());
        break;
    case TRsTrayMouseMessage::MiddleUp:
        emit OnMouseUp(this, Qt::MiddleButton, shift, at.x(), at.y());
        break;
    case TRsTrayMouseMessage::LeftDouble:
    case TRsTrayMouseMessage::RightDouble:
    case TRsTrayMouseMessage::MiddleDouble:
        emit OnDblClick(this);
        break;
    case TRsTrayMouseMessage::BalloonHide:
    case TRsTrayMouseMessage::BalloonTimeout:
    case TRsTrayMouseMessage::BalloonClick:
        break;
    }
}
