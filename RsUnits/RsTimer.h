#pragma once

#include <QObject>

#include <atomic>
#include <memory>
#include <vector>

class TRsTimerThread;

// A timer whose ticks come from a worker thread of its own: they can start after an initial
// delay, end by themselves after a given time, and keep millisecond steps. Both events run on
// the main thread, one at a time: the worker hands each tick over and waits until the handler
// has returned, so ticks never overlap or pile up.
//
// Switching the timer off from outside a handler returns when the worker has ended (OnStopTimer
// has run by then); from inside a handler it only asks the worker to stop. Destroy a timer from
// one of its own handlers only with deleteLater().
class TRsTimer : public QObject {
    Q_OBJECT
public:
    explicit TRsTimer(QObject* parent = nullptr);
    ~TRsTimer() override;

    bool Enabled() const { return m_enabled.load(); }
    void SetEnabled(bool value);
    // Milliseconds between wake-ups of the worker; 0 makes the worker end at once. Default 1000.
    quint32 Interval() const { return m_interval; }
    void SetInterval(quint32 value);
    // Stop by itself once this many milliseconds have passed since the worker started; 0 = never.
    quint32 AutoStopTime() const { return m_autoStopTime; }
    void SetAutoStopTime(quint32 value);
    // No tick before this many milliseconds have passed since the worker started; 0 = none.
    quint32 InitialDelayTime() const { return m_initialDelayTime; }
    void SetInitialDelayTime(quint32 value);

signals:
    void OnTimer(TRsTimer* sender);
    // A worker has ended, for whatever reason (switched off, stopped by itself, interval 0).
    void OnStopTimer(TRsTimer* sender);

protected:
    // One tick, on the main thread: raises OnTimer unless the worker was asked to stop.
    virtual void DoTimer();

private:
    friend class TRsTimerThread;

    void serveCalls();
    bool serveOne(TRsTimerThread* thread);
    void waitForThread(TRsTimerThread* thread);
    void doStopTimer(TRsTimerThread* thread);
    void reapRetired();
    std::unique_ptr<TRsTimerThread> startThread();

    std::atomic<bool> m_enabled{false};
    quint32 m_interval = 1000;
    quint32 m_autoStopTime = 0;
    quint32 m_initialDelayTime = 0;
    std::unique_ptr<TRsTimerThread> m_thread;
    // Workers asked to stop from inside a handler while a new one was started; freed once ended.
    std::vector<std::unique_ptr<TRsTimerThread>> m_retired;
    int m_handlerDepth = 0; // > 0 while OnTimer or OnStopTimer runs
    TRsTimerThread* m_calling = nullptr; // the worker whose call runs now
    bool m_destroying = false;
};
