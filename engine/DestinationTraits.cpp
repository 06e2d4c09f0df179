#include "engine/DestinationTraits.h"

#include "engine/RsBackupList.h"
#include "engine/platform/FileSystemKind.h"

namespace {

// A range end the file system reported, as the scan's milliseconds; an open end stays open.
void applyRange(const platform::TimeKeeping& keeping, TDestinationTimeRule& rule)
{
    if (!keeping.bounded)
        return;
    // An open end is left at the limit of what a time can be (see probeTimeKeeping).
    constexpr qint64 kOpen = std::numeric_limits<int64_t>::max() / 1'000'000'000;
    if (keeping.earliest.seconds > -kOpen)
        rule.earliestMs = DateTimeToMilliseconds(platform::toLocalDateTime(keeping.earliest));
    if (keeping.latest.seconds < kOpen)
        rule.latestMs = DateTimeToMilliseconds(platform::toLocalDateTime(keeping.latest));
}

} // namespace

TDestinationTraits LearnDestinationTraits(const TRsBackupList& dst)
{
    TDestinationTraits traits;
    const platform::FileSystemKind kind = platform::describeFileSystem(PathViewOf(dst.BasePath()));
    traits.keepsPermissions = !kind.found || kind.keepsPermissions;
    platform::TimeKeeping keeping;
    bool known = kind.found && kind.timesKnown == platform::TimesKnown::FromType;
    if (known)
        keeping = kind.times;
    else
        known = platform::probeTimeKeeping(PathViewOf(dst.BasePath()), keeping);
    if (known) {
        traits.times.resolutionMs = keeping.resolutionNs / 1'000'000;
        applyRange(keeping, traits.times);
        return traits;
    }
    // Nothing tells: the copies' times as they read back show what the destination kept of them.
    QList<qint64> times;
    times.reserve(dst.Count());
    for (int j = 0; j < dst.Count(); ++j)
        times.append(DateTimeToMilliseconds(dst.Items(j).TimeStamp()));
    traits.times.resolutionMs = ResolutionShownByTimes(times);
    return traits;
}

bool DirAttributesDiffer(quint32 source, quint32 destination, const TDestinationTraits& traits)
{
    if (traits.keepsPermissions)
        return source != destination;
    constexpr quint32 kKept = ~(0xFFFF0000u | platform::kAttrReadOnly);
    return (source & kKept) != (destination & kKept);
}
