#include "engine/TimeAtResolution.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 kMsPerDay = 86'400'000;

} // namespace

qint64 DateTimeToMilliseconds(double dateTime)
{
    // Before 1899-12-30 the whole part counts down while the fraction still counts up: -1.25 is
    // 06:00 on 1899-12-29.
    const double day = std::trunc(dateTime);
    const double fraction = std::fabs(dateTime - day);
    return qint64(day) * kMsPerDay + std::llround(fraction * double(kMsPerDay));
}

int CompareCopyTime(qint64 sourceMs, qint64 copyMs, const TDestinationTimeRule& rule)
{
    const qint64 source = std::clamp(sourceMs, rule.earliestMs, rule.latestMs);
    if (copyMs == source)
        return 0;
    const qint64 apart = copyMs > source ? copyMs - source : source - copyMs;
    if (rule.resolutionMs > 1 && apart < rule.resolutionMs)
        return 0;
    return copyMs < source ? -1 : 1;
}

qint64 ResolutionShownByTimes(const QList<qint64>& timesMs)
{
    if (timesMs.isEmpty())
        return 0;
    qint64 step = 2000;
    for (const qint64 t : timesMs) {
        if (t % 1000 != 0)
            return 0;
        if (t % 2000 != 0)
            step = 1000;
    }
    return step;
}
