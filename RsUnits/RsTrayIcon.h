#pragma once

// An icon in the desktop's notification area with a tooltip, an animation over the images of an
// image list, balloon messages, mouse events and a popup menu on a right click. Built on
// QSystemTrayIcon; where the desktop has no notification area the icon stays absent without a
// word, and shows as soon as one appears.

#include "RsUnits/RsImageList.h"

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QSystemTrayIcon;
class QTimer;

enum class TRsBalloonFlags { rbfNone, rbfInfo, rbfWarning, rbfError, rbfUser };

enum TRsBalloonOption : unsigned {
    rbfoNoSound = 0x10,
    rbfoLargeIcon = 0x20,
    rbfoRespectQuietTime = 0x80,
    rbfoIconMask = 0x0F,
};
using TRsBalloonOptions = unsigned; // the flags above, or-ed

// What happened at the icon, as the notification area reports it.
enum class TRsTrayMouseMessage {
    Move, LeftDown, LeftUp, RightDown, RightUp, MiddleDown, MiddleUp,
    LeftDouble, RightDouble, MiddleDouble, BalloonHide, BalloonTimeout, BalloonClick,
};

class TRsTrayIcon : public QObject
{
    Q_OBJECT

public:
    explicit TRsTrayIcon(QObject* parent = nullptr);
    ~TRsTrayIcon() override;

    bool Animate() const { return m_animate; }
    void SetAnimate(bool value);
    int AnimateInterval() const;
    void SetAnimateInterval(int milliseconds);
    TRsBalloonFlags BalloonFlags() const { return m_balloonFlags; }
    void SetBalloonFlags(TRsBalloonFlags value);
    QString BalloonHint() const { return m_balloonHint; }
    void SetBalloonHint(const QString& value);
    int BalloonTimeout() const { return m_balloonTimeout; }
    void SetBalloonTimeout(int milliseconds) { m_balloonTimeout = milliseconds; }
    QString BalloonTitle() const { return m_balloonTitle; }
    void SetBalloonTitle(const QString& value);
    // Reads back escaped: every "&" of the value stands as "&&&".
    QString Hint() const { return m_hint; }
    void SetHint(const QString& value);
    QIcon Icon() const { return m_icon; }
    void SetIcon(const QIcon& icon);
    int IconIndex() const { return m_iconIndex; }
    void SetIconIndex(int value);
    TRsImageList* Icons() const { return m_icons; }
    void SetIcons(TRsImageList* list);
    QIcon NotificationIcon() const { return m_notificationIcon; }
    void SetNotificationIcon(const QIcon& icon);
    TRsBalloonOptions Options() const { return m_options; }
    void SetOptions(TRsBalloonOptions value) { m_options = value; }
    QMenu* PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(QMenu* menu) { m_popupMenu = menu; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool value);

    void ShowBalloon();
    void ShowBalloon(const QString& title, const QString& hint, TRsBalloonFlags flags, TRsBalloonOptions options,
                     int timeout);
    void HideBalloon();

    // Handles one report of the notification area: the order of the events follows from it.
    void DispatchMouseMessage(TRsTrayMouseMessage message);

    // ---- What the notification area holds now (for the window and its tests)
    bool IsPresent() const { return m_loaded; }
    bool IsAnimating() const;
    QIcon ShownIcon() const { return m_shownIcon; }
    // The tooltip as the user reads it: at most 127 characters of the escaped hint, single ampersands.
    QString ToolTip() const;
    // The info word a balloon is shown with: the kind, and the options asked for so far.
    unsigned InfoFlags() const { return m_infoFlags; }

    // Whether a notification area exists; tests put their own answer in.
    static void SetAvailabilityProbe(std::function<bool()> probe);

signals:
    void OnAnimate(TRsTrayIcon* sender);
    void OnClick(TRsTrayIcon* sender);
    void OnDblClick(TRsTrayIcon* sender);
    void OnMouseDown(TRsTrayIcon* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseMove(TRsTrayIcon* sender, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(TRsTrayIcon* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

protected:
    virtual void DoAnimate();

private:
    void AddIcon();
    void RetryAddIcon();
    void ModifyIcon();
    void DeleteIcon();
    QIcon listIcon(int index) const;
    QIcon staticOrApplicationIcon() const;

    QSystemTrayIcon* m_tray = nullptr;
    bool m_loaded = false;
    bool m_animate = false;
    QTimer* m_animationTimer = nullptr;
    QTimer* m_retryTimer = nullptr;
    TRsBalloonFlags m_balloonFlags = TRsBalloonFlags::rbfNone;
    TRsBalloonOptions m_options = 0;
    unsigned m_infoFlags = 0;
    QString m_balloonTitle;
    QString m_balloonHint;
    int m_balloonTimeout = 10000;
    QString m_hint;
    QIcon m_icon;
    int m_iconIndex = 0;
    QIcon m_tempIcon;
    QIcon m_shownIcon;
    QPointer<TRsImageList> m_icons;
    QIcon m_notificationIcon;
    QPointer<QMenu> m_popupMenu;
    bool m_visible = false;
    bool m_leftClicked = false;
};
