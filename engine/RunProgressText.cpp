#include "engine/RunProgressText.h"

#include "app/Lang.h"
#include "app/LangExtra.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

QString GroupedNumber(qint64 value)
{
    const bool negative = value < 0;
    QString digits = QString::number(negative ? -value : value);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, u',');
    return negative ? u'-' + digits : digits;
}

QString ByteSizeText(qint64 bytes)
{
    static const char16_t* const units[] = {u"B", u"KB", u"MB", u"GB", u"TB", u"PB"};
    double value = double(qMax<qint64>(0, bytes));
    int unit = 0;
    while (value >= 1024.0 && unit < 5) {
        value /= 1024.0;
        ++unit;
    }
    // One decimal where it tells something: "1.5 GB", but "782 MB" and "512 B".
    const bool decimal = unit > 0 && value < 9.95;
    const QString number = decimal ? QString::number(value, 'f', 1) : QString::number(qint64(std::floor(value + 0.5)));
    return number + u' ' + QString::fromUtf16(units[unit]);
}

QString DurationText(double seconds)
{
    const qint64 total = qint64(std::max(0.0, std::ceil(seconds - 0.001)));
    const qint64 h = total / 3600;
    const qint64 m = (total / 60) % 60;
    const qint64 s = total % 60;
    const QString ss = QString::number(s).rightJustified(2, u'0');
    if (h > 0)
        return QString::number(h) + u':' + QString::number(m).rightJustified(2, u'0') + u':' + ss;
    return QString::number(m) + u':' + ss;
}

namespace {

QString TaskPrefix(const TRunProgress& progress)
{
    return u'[' + TaskLabel + QString::number(progress.TaskIndex) + u"] "_s;
}

QString CountsText(const TRunProgress& progress)
{
    QStringList parts{FormatLangText(ProgressItems, GroupedNumber(progress.ItemsDone), GroupedNumber(progress.ItemsTotal))};
    if (progress.BytesTotal > 0)
        parts << ByteSizeText(progress.BytesDone) + u" / "_s + ByteSizeText(progress.BytesTotal);
    if (progress.RemainingSeconds >= 0)
        parts << FormatLangText(ProgressRemaining, DurationText(progress.RemainingSeconds));
    return parts.join(u"  "_s);
}

} // namespace

QString RunProgressText(const TRunProgress& progress)
{
    if (progress.TaskIndex < 0)
        return QString();
    switch (progress.Phase) {
    case TRunPhase::Scan:
        return TaskPrefix(progress)
               + FormatLangText(ProgressScan, GroupedNumber(progress.SrcEntries), GroupedNumber(progress.DstEntries));
    case TRunPhase::Collect:
        if (progress.ItemsTotal == 0)
            return TaskPrefix(progress) + ProgressCompare;
        return TaskPrefix(progress) + ProgressDigest + u' ' + CountsText(progress);
    case TRunPhase::Execute:
        return TaskPrefix(progress) + CountsText(progress);
    }
    return QString();
}

double RunProgressFraction(const TRunProgress& progress)
{
    if (progress.Phase == TRunPhase::Scan)
        return 0.0;
    double sum = 0.0;
    int parts = 0;
    if (progress.ItemsTotal > 0) {
        sum += double(progress.ItemsDone) / double(progress.ItemsTotal);
        ++parts;
    }
    if (progress.BytesTotal > 0) {
        sum += double(progress.BytesDone) / double(progress.BytesTotal);
        ++parts;
    }
    return parts ? std::clamp(sum / parts, 0.0, 1.0) : 0.0;
}

QString RunSummaryText(const TRunOutcome& outcome, double seconds)
{
    return FormatLangText(outcome.Stopped ? RunSummaryStopped : RunSummaryFinished, GroupedNumber(outcome.Counts.Done),
                          GroupedNumber(outcome.Counts.Failed), DurationText(seconds));
}

QString RunFailureLine(const QString& taskListName, const TRunOutcome& outcome)
{
    QStringList parts;
    if (outcome.Counts.Failed > 0)
        parts << FormatLangText(RunFailedItems, GroupedNumber(outcome.Counts.Failed));
    if (outcome.PathsMissing > 0)
        parts << FormatLangText(RunFailedPaths, GroupedNumber(outcome.PathsMissing));
    if (outcome.TasksRefused > 0)
        parts << FormatLangText(RunFailedRefused, GroupedNumber(outcome.TasksRefused));
    if (outcome.Stopped)
        parts << RunFailedStopped;
    if (!outcome.LogFileError.isEmpty())
        parts << FormatLangText(RunFailedLogNotWritten, outcome.LogFileName, outcome.LogFileError);
    else if (!outcome.LogFileName.isEmpty())
        parts << FormatLangText(RunFailedLog, outcome.LogFileName);
    return FormatLangText(RunFailedList, taskListName) + u' ' + parts.join(u", "_s);
}
