// The notification area icon: hint escaping, the animation's index rules, presence, balloons and
// the order of its mouse events.

#include "RsUnits/RsImageList.h"
#include "RsUnits/RsTrayIcon.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// DoAnimate is what each tick of the animation does; a test calls it directly.
class TestableTrayIcon : public TRsTrayIcon
{
public:
    using TRsTrayIcon::DoAnimate;
};

QImage square(QColor colour)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

void fill(TRsImageList& list, int count)
{
    for (int i = 0; i < count; ++i)
        list.Add(square(QColor::fromHsv(i * 40, 255, 255)));
}

struct ProbeScope
{
    explicit ProbeScope(bool* available) { TRsTrayIcon::SetAvailabilityProbe([available] { return *available; }); }
    ~ProbeScope() { TRsTrayIcon::SetAvailabilityProbe(nullptr); }
};

} // namespace

class TestRsTrayIcon : public QObject
{
    Q_OBJECT

private slots:
    void hint_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("tip");
        QTest::newRow("one ampersand") << u"a&b"_s << u"a&&&b"_s << u"a&b"_s;
        QTest::newRow("caption") << u"つみき！ - Daily"_s << u"つみき！ - Daily"_s << u"つみき！ - Daily"_s;
        const QString longHint(200, u'x');
        QTest::newRow("200 characters") << longHint << longHint << longHint.left(127);
    }

    void hint()
    {
        QFETCH(QString, value);
        TRsTrayIcon icon;
        icon.SetHint(value);
        QTEST(icon.Hint(), "stored");
        QTEST(icon.ToolTip(), "tip");
    }

    void animationWraps_data()
    {
        QTest::addColumn<int>("images");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("next");
        QTest::newRow("three images, last") << 3 << 2 << 0;
        QTest::newRow("three images, first") << 3 << 0 << 1;
        QTest::newRow("one image") << 1 << 0 << 0;
        QTest::newRow("no image") << 0 << 0 << 0;
        QTest::newRow("index outside the list") << 3 << 7 << 0;
    }

    void animationWraps()
    {
        QFETCH(int, images);
        QFETCH(int, from);
        TRsImageList list;
        fill(list, images);
        TestableTrayIcon icon;
        icon.SetIcons(&list);
        icon.SetIconIndex(from);
        QSignalSpy ticks(&icon, &TRsTrayIcon::OnAnimate);
        icon.DoAnimate();
        QCOMPARE(ticks.count(), 1);
        QTEST(icon.IconIndex(), "next");
        if (images > 0)
            QCOMPARE(icon.ShownIcon().pixmap(16).toImage().convertToFormat(QImage::Format_ARGB32),
                     list.Image(icon.IconIndex()));
    }

    void animationFollowsVisibility()
    {
        TRsImageList list;
        fill(list, 8);
        TRsTrayIcon icon;
        const QIcon still(QPixmap::fromImage(square(Qt::black)));
        icon.SetIcon(still);
        icon.SetIcons(&list);
        icon.SetAnimateInterval(100);
        icon.SetAnimate(true);
        QVERIFY(!icon.IsAnimating()); // hidden: nothing runs yet
        icon.SetVisible(true);
        QVERIFY(icon.IsAnimating());
        QSignalSpy ticks(&icon, &TRsTrayIcon::OnAnimate);
        QVERIFY(ticks.wait(2000));
        QVERIFY(icon.IconIndex() > 0);
        icon.SetAnimate(false);
        QVERIFY(!icon.IsAnimating());
        QCOMPARE(icon.ShownIcon().cacheKey(), still.cacheKey());
        icon.SetAnimate(true);
        icon.SetVisible(false);
        QVERIFY(!icon.IsAnimating());
    }

    void applicationIconWhenNoneIsSet()
    {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::red);
        const QIcon appIcon(pixmap);
        QApplication::setWindowIcon(appIcon);
        TRsTrayIcon icon;
        icon.SetVisible(true);
        QVERIFY(!icon.Icon().isNull());
        QCOMPARE(icon.ShownIcon().pixmap(16).toImage(), appIcon.pixmap(16).toImage());
        QApplication::setWindowIcon(QIcon());
    }

    // Without a notification area the icon stays absent, silently, and shows once one appears.
    void presenceWaitsForANotificationArea()
    {
        bool available = false;
        ProbeScope probe(&available);
        TRsTrayIcon icon;
        icon.SetIcon(QIcon(QPixmap::fromImage(square(Qt::green))));
        icon.SetHint(u"a&b"_s);
        icon.SetVisible(true);
        QVERIFY(!icon.IsPresent());
        available = true;
        QTRY_VERIFY_WITH_TIMEOUT(icon.IsPresent(), 5000);
        icon.SetVisible(false);
        QVERIFY(!icon.IsPresent());
    }

    void balloonFlags()
    {
        bool available = true;
        ProbeScope probe(&available);
        TRsTrayIcon icon;
        icon.SetIcon(QIcon(QPixmap::fromImage(square(Qt::green))));
        icon.SetBalloonFlags(TRsBalloonFlags::rbfWarning);
        QCOMPARE(icon.InfoFlags(), 2u);
        icon.ShowBalloon(); // absent: nothing
        QCOMPARE(icon.InfoFlags(), 2u);
        icon.SetVisible(true);
        icon.SetOptions(rbfoNoSound);
        icon.ShowBalloon();
        QCOMPARE(icon.InfoFlags(), 0x12u);
        icon.SetOptions(0);
        icon.ShowBalloon(); // what earlier balloons asked for stays in the word
        QCOMPARE(icon.InfoFlags(), 0x12u);
        icon.ShowBalloon(u"t"_s, u"h"_s, TRsBalloonFlags::rbfInfo, rbfoRespectQuietTime, 3000);
        QCOMPARE(icon.InfoFlags(), 0x81u);
        QCOMPARE(icon.BalloonTimeout(), 3000);
        QCOMPARE(icon.BalloonTitle(), QString()); // the properties keep their own texts
        QPixmap large(32, 32);
        large.fill(Qt::blue);
        icon.SetNotificationIcon(QIcon(large));
        QVERIFY(icon.Options() & rbfoLargeIcon);
    }

    void mouseOrder_data()
    {
        using M = TRsTrayMouseMessage;
        QTest::addColumn<QList<TRsTrayMouseMessage>>("messages");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("left click") << QList<M>{M::LeftDown, M::LeftUp}
                                    << QStringList{u"down 1"_s, u"click"_s, u"up 1"_s};
        QTest::newRow("double click") << QList<M>{M::LeftDown, M::LeftUp, M::LeftDouble, M::LeftUp}
                                      << QStringList{u"down 1"_s, u"click"_s, u"up 1"_s, u"double"_s, u"up 1"_s};
        QTest::newRow("release without press") << QList<M>{M::LeftUp} << QStringList{u"up 1"_s};
        QTest::newRow("middle") << QList<M>{M::MiddleDown, M::MiddleUp} << QStringList{u"down 4"_s, u"up 4"_s};
        QTest::newRow("balloon reports") << QList<M>{M::BalloonHide, M::BalloonTimeout, M::BalloonClick}
                                         << QStringList{};
    }

    void mouseOrder()
    {
        QFETCH(QList<TRsTrayMouseMessage>, messages);
        TRsTrayIcon icon;
        QStringList events;
        connect(&icon, &TRsTrayIcon::OnMouseDown, this,
                [&](TRsTrayIcon*, Qt::MouseButton b, Qt::KeyboardModifiers, int, int) { events << u"down %1"_s.arg(int(b)); });
        connect(&icon, &TRsTrayIcon::OnMouseUp, this,
                [&](TRsTrayIcon*, Qt::MouseButton b, Qt::KeyboardModifiers, int, int) { events << u"up %1"_s.arg(int(b)); });
        connect(&icon, &TRsTrayIcon::OnClick, this, [&](TRsTrayIcon*) { events << u"click"_s; });
        connect(&icon, &TRsTrayIcon::OnDblClick, this, [&](TRsTrayIcon*) { events << u"double"_s; });
        for (TRsTrayMouseMessage m : messages)
            icon.DispatchMouseMessage(m);
        QTEST(events, "events");
    }

    void rightClickOpensTheMenuAfterTheRelease()
    {
        TRsTrayIcon icon;
        QMenu menu;
        menu.addAction(u"x"_s);
        icon.SetPopupMenu(&menu);
        bool menuOpenAtRelease = true;
        connect(&icon, &TRsTrayIcon::OnMouseUp, this,
                [&](TRsTrayIcon*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { menuOpenAtRelease = menu.isVisible(); });
        icon.DispatchMouseMessage(TRsTrayMouseMessage::RightDown);
        icon.DispatchMouseMessage(TRsTrayMouseMessage::RightUp);
        QVERIFY(!menuOpenAtRelease);
        QTRY_VERIFY(menu.isVisible());
        menu.close();
    }
};

QTEST_MAIN(TestRsTrayIcon)
#include "tst_rstrayicon.moc"
