#pragma once

#include <QObject>

class QSocketNotifier;

// SIGINT, SIGTERM and SIGHUP as requests to stop, delivered on the main thread like the stop command.
//
// The handler itself only writes the signal's number into a pipe (the one thing it may safely do); a
// socket notifier on the pipe's other end turns that into stopRequested() in the event loop, also in
// the nested loops a run waits in. A second signal is not polite any more: it ends the program at once,
// the signal's usual way.
class TStopSignals : public QObject
{
    Q_OBJECT

public:
    // Installs the handlers; only one object may exist. The dispositions before it are restored when
    // it is destroyed.
    explicit TStopSignals(QObject* parent = nullptr);
    ~TStopSignals() override;
    TStopSignals(const TStopSignals&) = delete;
    TStopSignals& operator=(const TStopSignals&) = delete;

    // The installed object, or none (tests that build windows without a program around them).
    static TStopSignals* Instance();

    // The first signal received, or 0.
    int ReceivedSignal() const { return m_received; }

signals:
    void stopRequested(int signalNumber);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
    int m_received = 0;
};
