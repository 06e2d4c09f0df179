#include "engine/RunLogFile.h"

#include "app/AtomicFileWriter.h"
#include "app/Lang.h"
#include "app/TmkLib.h"
#include "engine/EscapeForLog.h"
#include "model/RsTaskList.h"

#include <QDateTime>
#include <QLocale>

using namespace Qt::StringLiterals;

namespace {

QString& separatorOverride()
{
    static QString separator;
    return separator;
}

QString twoDigits(int value)
{
    return QString::number(value).rightJustified(2, u'0');
}

} // namespace

QString LocaleTimeSeparator()
{
    // The separator is whatever the locale's short time format puts right after the hours.
    const QString format = QLocale::system().timeFormat(QLocale::ShortFormat);
    qsizetype i = 0;
    while (i < format.size() && format.at(i) != u'h' && format.at(i) != u'H')
        ++i;
    while (i < format.size() && (format.at(i) == u'h' || format.at(i) == u'H'))
        ++i;
    QString separator;
    while (i < format.size() && format.at(i) != u'm') {
        if (format.at(i) != u'\'')
            separator += format.at(i);
        ++i;
    }
    return separator.isEmpty() ? u":"_s : separator;
}

QString LogTimeSeparator()
{
    return separatorOverride().isEmpty() ? LocaleTimeSeparator() : separatorOverride();
}

void SetLogTimeSeparator(const QString& separator)
{
    separatorOverride() = separator;
}

QString FormatLogTime(const QDateTime& time, const QString& separator)
{
    const QDate d = time.date();
    const QTime t = time.time();
    return QString::number(d.year()).rightJustified(4, u'0') + u'-' + twoDigits(d.month()) + u'-' +
           twoDigits(d.day()) + u' ' + twoDigits(t.hour()) + separator + twoDigits(t.minute()) + separator +
           twoDigits(t.second());
}

QString LogTimeNow()
{
    return FormatLogTime(CurrentDateTime(), LogTimeSeparator());
}

QStringList RunHeaderLines(const QString& commandCaption, const TRsTaskList& list, int index)
{
    const TRsTaskItem* task = list.Items(index);
    return {
        QString(78, u'-'),
        // Four characters go whatever they are: the accelerator suffix such as "(&R)".
        commandCaption.chopped(qMin<qsizetype>(4, commandCaption.size())),
        list.TaskListName() + u": "_s + TaskLabel + QString::number(index),
        // A path may hold any character a name may: shown escaped, so a line break in it forges no line.
        LogSrcPath + u' ' + EscapeTaskPathForLog(task->SrcPath),
        LogDstPath + u' ' + EscapeTaskPathForLog(task->DstPath),
        QString(),
        LogStartTime + u' ' + LogTimeNow(),
        QString(),
    };
}

QStringList RunFooterLines()
{
    return {QString(), LogFinishTime + u' ' + LogTimeNow()};
}

bool WriteLogFile(const QString& fileName, const QStringList& lines, QString* errorText)
{
    return WriteUtf16LeLinesFile(fileName, lines, errorText);
}

bool WriteLogFile(const QString& fileName, const TRsLogList& lines, QString* errorText)
{
    return WriteUtf16LeLinesFile(
        fileName,
        [&lines](const std::function<void(QStringView)>& sink) {
            lines.forEach(0, [&sink](QStringView line) {
                sink(line);
                return true;
            });
        },
        errorText);
}
