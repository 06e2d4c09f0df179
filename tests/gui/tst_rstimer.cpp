#include "RsUnits/RsTimer.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>
#include <QThread>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Records what the timer raised, in order, and lets a test act inside a handler.
class Recorder : public QObject {
public:
    explicit Recorder(TRsTimer* timer) : m_timer(timer)
    {
        connect(timer, &TRsTimer::OnTimer, this, [this](TRsTimer* sender) {
            ++depth;
            maxDepth = qMax(maxDepth, depth);
            if (sender != m_timer || QThread::currentThread() != thread())
                wrongContext = true;
            ++ticks;
            log << u"tick"_s;
            tickTimes << clock.elapsed();
            if (onTick)
                onTick(ticks);
            --depth;
        });
        connect(timer, &TRsTimer::OnStopTimer, this, [this](TRsTimer* sender) {
            if (sender != m_timer || QThread::currentThread() != thread())
                wrongContext = true;
            ++stops;
            log << u"stop"_s;
            if (onStop)
                onStop(stops);
        });
        clock.start();
    }

    int ticks = 0;
    int stops = 0;
    int depth = 0;
    int maxDepth = 0;
    bool wrongContext = false;
    QStringList log;
    QList<qint64> tickTimes;
    QElapsedTimer clock;
    std::function<void(int)> onTick;
    std::function<void(int)> onStop;

private:
    TRsTimer* m_timer;
};

void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QTest::qWait(10);
}

} // namespace

class TestRsTimer : public QObject {
    Q_OBJECT
private slots:
    void defaults();
    void delayThenAutoStop();
    void stopFromOutsideWaitsForTheEnd();
    void stopFromInsideHandler();
    void offAndOnInsideOneHandler();
    void zeroInterval_data();
    void zeroInterval();
    void slowHandlerNeverOverlaps();
    void intervalChangeTakesEffect();
    void destroyingRaisesNoStop();
    void reEnableAfterAutoStop();
};

void TestRsTimer::defaults()
{
    TRsTimer timer;
    QCOMPARE(timer.Enabled(), false);
    QCOMPARE(timer.Interval(), 1000u);
    QCOMPARE(timer.AutoStopTime(), 0u);
    QCOMPARE(timer.InitialDelayTime(), 0u);
}

void TestRsTimer::delayThenAutoStop()
{
    TRsTimer timer;
    Recorder rec(&timer);
    timer.SetInterval(40);
    timer.SetInitialDelayTime(170);
    timer.SetAutoStopTime(600);
    rec.clock.restart();
    timer.SetEnabled(true);
    QVERIFY(timer.Enabled());

    QTRY_COMPARE_WITH_TIMEOUT(rec.stops, 1, 10000);
    QVERIFY(rec.ticks > 0);
    // No tick comes before the initial delay has passed.
    QVERIFY2(rec.tickTimes.first() >= 170, qPrintable(QString::number(rec.tickTimes.first())));
    // The stop by time comes after the last tick, and leaves the timer switched off.
    QCOMPARE(rec.log.last(), u"stop"_s);
    QCOMPARE(rec.log.count(u"stop"_s), 1);
    QCOMPARE(timer.Enabled(), false);
    QVERIFY(!rec.wrongContext);

    const int ticks = rec.ticks;
    settle(200);
    QCOMPARE(rec.ticks, ticks);
    QCOMPARE(rec.stops, 1);
}

void TestRsTimer::stopFromOutsideWaitsForTheEnd()
{
    TRsTimer timer;
    Recorder rec(&timer);
    timer.SetInterval(25);
    timer.SetEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(rec.ticks >= 2, 10000);

    timer.SetEnabled(false);
    // Switching off from outside returns only after the worker has ended and reported it.
    QCOMPARE(rec.stops, 1);
    QCOMPARE(rec.log.last(), u"stop"_s);
    const int ticks = rec.ticks;
    settle(150);
    QCOMPARE(rec.ticks, ticks);
    QCOMPARE(rec.stops, 1);
    QCOMPARE(timer.Enabled(), false);
}

void TestRsTimer::stopFromInsideHandler()
{
    TRsTimer timer;
    Recorder rec(&timer);
    timer.SetInterval(20);
    rec.onTick = [&](int n) {
        if (n == 3) {
            timer.SetEnabled(false);
            // It only asks the worker to stop: the stop report comes after this handler.
            rec.log << u"off"_s;
        }
    };
    timer.SetEnabled(true);
    QTRY_COMPARE_WITH_TIMEOUT(rec.stops, 1, 10000);
    QCOMPARE(rec.log, (QStringList{u"tick"_s, u"tick"_s, u"tick"_s, u"off"_s, u"stop"_s}));
    settle(120);
    QCOMPARE(rec.ticks, 3);
    QCOMPARE(timer.Enabled(), false);

    // And it can be switched on again afterwards, from outside.
    rec.onTick = nullptr;
    timer.SetEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(rec.ticks >= 4, 10000);
    timer.SetEnabled(false);
    QCOMPARE(rec.stops, 2);
}

void TestRsTimer::offAndOnInsideOneHandler()
{
    TRsTimer timer;
    Recorder rec(&timer);
    timer.SetInterval(20);
    rec.onTick = [&](int n) {
        if (n == 2) {
            timer.SetEnabled(false);
            timer.SetEnabled(true);
        }
    };
    timer.SetEnabled(true);
    // The first worker ends and reports it; the second keeps ticking.
    QTRY_COMPARE_WITH_TIMEOUT(rec.stops, 1, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(rec.ticks >= 5, 10000);
    QVERIFY(timer.Enabled());
    QCOMPARE(rec.maxDepth, 1);
    timer.SetEnabled(false);
    QCOMPARE(rec.stops, 2);
}

void TestRsTimer::zeroInterval_data()
{
    QTest::addColumn<quint32>("autoStop");
    QTest::addColumn<bool>("enabledAfter");
    QTest::newRow("no auto stop: stays on") << 0u << true;
    QTest::newRow("auto stop: switched off") << 1000u << false;
}

void TestRsTimer::zeroInterval()
{
    QFETCH(quint32, autoStop);
    QFETCH(bool, enabledAfter);
    TRsTimer timer;
    Recorder rec(&timer);
    timer.SetInterval(0);
    timer.SetAutoStopTime(autoStop);
    timer.SetEnabled(true);
    QTRY_COMPARE_WITH_TIMEOUT(rec.stops, 1, 10000);
    settle(100);
    QCOMPARE(rec.ticks, 0);
    QCOMPARE(rec.stops, 1);
    QCOMPARE(timer.Enabled(), enabledAfter);
    // Switching on again changes nothing while it still reads as on.
    timer.SetEnabled(true);
    settle(50);
    QCOMPARE(rec.stops, enabledAfter ? 1 : 2);
}

void TestRsTimer::slowHandlerNeverOverlaps()
{
    TRsTimer timer;
    Recorder rec(&timer);
    timer.SetInterval(5);
    rec.onTick = [](int) {
        QThread::msleep(30);
        // A handler that lets the event loop run must not receive a second tick meanwhile.
        QCoreApplication::processEvents();
    };
    timer.SetEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(rec.ticks >= 5, 10000);
    timer.SetEnabled(false);
    QCOMPARE(rec.maxDepth, 1);
    QVERIFY(!rec.wrongContext);
}

void TestRsTimer::intervalChangeTakesEffect()
{
    TRsTimer timer;
    Recorder rec(&timer);
    timer.SetInterval(15);
    timer.SetEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(rec.ticks >= 2, 10000);
    timer.SetInterval(100000);
    QCOMPARE(timer.Interval(), 100000u);
    const int ticks = rec.ticks;
    settle(300);
    // At most the wait that was already running ends in a tick; then the long interval applies.
    QVERIFY(rec.ticks <= ticks + 1);
    // Switching off does not sit out the long wait.
    timer.SetEnabled(false);
    QCOMPARE(rec.stops, 1);
}

void TestRsTimer::destroyingRaisesNoStop()
{
    auto* timer = new TRsTimer;
    int stops = 0;
    int ticks = 0;
    QObject guard;
    connect(timer, &TRsTimer::OnStopTimer, &guard, [&](TRsTimer*) { ++stops; });
    connect(timer, &TRsTimer::OnTimer, &guard, [&](TRsTimer*) { ++ticks; });
    timer->SetInterval(10);
    timer->SetEnabled(true);
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= 1, 10000);
    delete timer;
    settle(50);
    QCOMPARE(stops, 0);
}

void TestRsTimer::reEnableAfterAutoStop()
{
    TRsTimer timer;
    Recorder rec(&timer);
    timer.SetInterval(20);
    timer.SetAutoStopTime(100);
    timer.SetEnabled(true);
    QTRY_COMPARE_WITH_TIMEOUT(rec.stops, 1, 10000);
    QCOMPARE(timer.Enabled(), false);
    const int ticks = rec.ticks;
    timer.SetEnabled(true);
    QTRY_COMPARE_WITH_TIMEOUT(rec.stops, 2, 10000);
    QVERIFY(rec.ticks > ticks);
    QCOMPARE(timer.Enabled(), false);
}

QTEST_MAIN(TestRsTimer)
#include "tst_rstimer.moc"
