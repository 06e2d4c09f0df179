#pragma once

// How long a run still needs, from what it has done so far. Many small files cost time per file,
// large ones per byte, so the estimate learns both costs from the run itself (starting from what
// an ordinary disk does) and applies them to the files and bytes still to do. The figure shown
// must be one a user can trust: none before the run has shown its pace, and one that does not jump
// back and forth from one update to the next.

#include <QtGlobal>

class TRemainingTimeEstimator
{
public:
    // Nothing is shown before this much of the run has passed.
    static constexpr double SettleSeconds = 2.0;

    void Reset();
    // What is done and what there is to do, at `seconds` since the run's start (never decreasing).
    void Update(double seconds, qint64 itemsDone, qint64 itemsTotal, qint64 bytesDone, qint64 bytesTotal);
    // The remaining time in seconds, or a negative value while there is none to show yet.
    double Remaining() const { return m_shown; }

    // The costs learnt so far: seconds per item and per byte.
    double SecondsPerItem() const { return m_perItem; }
    double SecondsPerByte() const { return m_perByte; }

private:
    void fit();

    // Sums of the weighted least-squares fit of elapsed = perItem * items + perByte * bytes.
    double m_sxx = 0, m_sxy = 0, m_syy = 0, m_sxt = 0, m_syt = 0;
    double m_lastSample = -1;
    double m_perItem = 0;
    double m_perByte = 0;
    double m_finish = -1; // the smoothed time at which the run should end
    double m_shown = -1;
};
