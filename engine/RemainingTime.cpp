#include "engine/RemainingTime.h"

#include <algorithm>
#include <cmath>

namespace {

// What an ordinary disk does, until the run shows its own pace: about 2,000 small files and
// 150 MiB a second. The prior weighs as much as this many seconds of the run itself.
constexpr double PriorPerItem = 1.0 / 2000.0;
constexpr double PriorPerByte = 1.0 / (150.0 * 1024 * 1024);
constexpr double PriorWeightSeconds = 1.0;
// Items and bytes are fitted in units of their prior costs, so both unknowns are of one size.
constexpr double ItemUnit = 1.0 / PriorPerItem;
constexpr double ByteUnit = 1.0 / PriorPerByte;
// Older samples count for less, so that a run whose pace changes (from small files to large ones)
// is followed: a sample's weight halves over this many seconds.
constexpr double HalfLifeSeconds = 20.0;
// The shown figure follows the estimate smoothly, with a time constant that grows with the run: a
// short run settles within a second, a long one is not thrown about by every swing.
constexpr double SmoothingShareOfElapsed = 0.15;
constexpr double SmoothingMinSeconds = 0.5;
constexpr double SmoothingMaxSeconds = 3.0;
// At most this often does the shown figure change.
constexpr double ShowIntervalSeconds = 0.5;

} // namespace

void TRemainingTimeEstimator::Reset()
{
    *this = TRemainingTimeEstimator();
}

void TRemainingTimeEstimator::Update(double seconds, qint64 itemsDone, qint64 itemsTotal, qint64 bytesDone,
                                     qint64 bytesTotal)
{
    const bool nothingLeft = itemsDone >= itemsTotal && bytesDone >= bytesTotal;
    if (nothingLeft && m_shown >= 0) {
        m_shown = 0.0; // the end is shown at once
        return;
    }
    if (m_lastSample >= 0 && seconds - m_lastSample < ShowIntervalSeconds)
        return;
    const double step = m_lastSample < 0 ? 0.0 : seconds - m_lastSample;
    m_lastSample = seconds;

    // Forget a little of the past, then take in this sample.
    const double decay = std::exp2(-step / HalfLifeSeconds);
    for (double* s : {&m_sxx, &m_sxy, &m_syy, &m_sxt, &m_syt})
        *s *= decay;
    const double x = double(itemsDone) / ItemUnit;
    const double y = double(bytesDone) / ByteUnit;
    m_sxx += x * x;
    m_sxy += x * y;
    m_syy += y * y;
    m_sxt += x * seconds;
    m_syt += y * seconds;
    fit();

    const double left = m_perItem * double(std::max<qint64>(0, itemsTotal - itemsDone))
                      + m_perByte * double(std::max<qint64>(0, bytesTotal - bytesDone));
    const double finish = seconds + left;
    if (seconds < SettleSeconds || (itemsDone == 0 && bytesDone == 0)) {
        // The fit learns meanwhile; the figure starts from what the run has shown by then, not from
        // the first guess, which is mostly the prior.
        m_shown = -1;
        return;
    }
    if (m_finish < 0) {
        m_finish = finish;
    } else {
        // Follow the estimate, but not every swing of it.
        const double tau = std::clamp(SmoothingShareOfElapsed * seconds, SmoothingMinSeconds, SmoothingMaxSeconds);
        m_finish += (finish - m_finish) * (1.0 - std::exp(-step / tau));
    }
    m_shown = nothingLeft ? 0.0 : std::max(0.0, m_finish - seconds);
}

// Weighted least squares of elapsed time on items and bytes, drawn towards the prior costs (which in
// fitted units are both 1) so that a run that has shown only one kind of work keeps a sane cost for
// the other; costs are never negative.
void TRemainingTimeEstimator::fit()
{
    const double p = PriorWeightSeconds;
    const double a11 = m_sxx + p, a12 = m_sxy, a22 = m_syy + p;
    const double b1 = m_sxt + p, b2 = m_syt + p;
    const double det = a11 * a22 - a12 * a12;
    double cx = 1.0, cy = 1.0;
    if (det > 1e-12) {
        cx = (b1 * a22 - b2 * a12) / det;
        cy = (a11 * b2 - a12 * b1) / det;
    }
    if (cx < 0) {
        cx = 0;
        cy = std::max(0.0, b2 / a22);
    } else if (cy < 0) {
        cy = 0;
        cx = std::max(0.0, b1 / a11);
    }
    m_perItem = cx / ItemUnit;
    m_perByte = cy / ByteUnit;
}
