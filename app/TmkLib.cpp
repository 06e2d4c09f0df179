#include "app/TmkLib.h"

using namespace Qt::StringLiterals;

bool CommandLineRun = false;
bool SilentRun = false;
QString CommandLineTaskListName;
int CommandLineTaskListIndex = -1;

namespace {

const QString TaskListOption = u"/t="_s;
const QString SilentOption = u"/s"_s;

std::function<QDateTime()>& nowFunction()
{
    static std::function<QDateTime()> f;
    return f;
}

char16_t asciiUpper(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}

} // namespace

TCommandLineResult ParseCommandLine(const QStringList& arguments, TCommandLineRequest& request)
{
    request = TCommandLineRequest();
    if (arguments.size() > 2)
        return TCommandLineResult::TooManyOptions;
    QStringList args;
    for (const QString& a : arguments)
        args.append(AsciiLowerCase(a));

    QString nameArgument;
    bool silent = false;
    if (args.isEmpty()) {
        return TCommandLineResult::Ok;
    } else if (args.size() == 1) {
        if (!args[0].startsWith(TaskListOption))
            return TCommandLineResult::InvalidOption;
        nameArgument = args[0];
    } else {
        // The first "/s" is the switch; the other argument must carry the name.
        const int switchAt = args[0] == SilentOption ? 0 : (args[1] == SilentOption ? 1 : -1);
        if (switchAt < 0)
            return TCommandLineResult::InvalidOption;
        nameArgument = args[1 - switchAt];
        if (!nameArgument.startsWith(TaskListOption))
            return TCommandLineResult::InvalidOption;
        silent = true;
    }
    const QString name = nameArgument.sliced(TaskListOption.size());
    if (name.isEmpty())
        return TCommandLineResult::EmptyTaskListName;
    request.run = true;
    request.silent = silent;
    request.taskListName = name;
    return TCommandLineResult::Ok;
}

QString CommandLineErrorText(TCommandLineResult result)
{
    switch (result) {
    case TCommandLineResult::Ok:
        return {};
    case TCommandLineResult::InvalidOption:
        return u"A command line option is invalid."_s;
    case TCommandLineResult::TooManyOptions:
        return u"There are too many options in a command line."_s;
    case TCommandLineResult::EmptyTaskListName:
        return u"A TaskListName is empty."_s;
    }
    return {};
}

void SetCommandLineRunRequest(const TCommandLineRequest& request)
{
    CommandLineRun = request.run;
    SilentRun = request.silent;
    CommandLineTaskListName = request.taskListName;
}

void ClearCommandLineRunRequest()
{
    CommandLineRun = false;
    SilentRun = false;
    CommandLineTaskListName.clear();
}

bool IsSupportedOperatingSystem()
{
    // The version check guards against systems older than the oldest the program was made for;
    // every system this code builds on is newer.
    return true;
}

QString AsciiLowerCase(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= u'A' && u <= u'Z')
            c = QChar(char16_t(u + (u'a' - u'A')));
    }
    return out;
}

QString AsciiUpperCase(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        c = QChar(asciiUpper(c.unicode()));
    return out;
}

int CompareTextAscii(QStringView a, QStringView b)
{
    const qsizetype n = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = asciiUpper(a[i].unicode());
        const char16_t y = asciiUpper(b[i].unicode());
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameTextAscii(QStringView a, QStringView b)
{
    return a.size() == b.size() && CompareTextAscii(a, b) == 0;
}

bool IsInvalidFileNameChar(QChar c)
{
    switch (c.unicode()) {
    case u'"':
    case u'*':
    case u'/':
    case u':':
    case u'<':
    case u'>':
    case u'?':
    case u'\\':
    case u'|':
        return true;
    default:
        return false;
    }
}

bool ContainsInvalidFileNameChar(QStringView name)
{
    for (QChar c : name) {
        if (c.unicode() < 0x20 || IsInvalidFileNameChar(c))
            return true;
    }
    return false;
}

QString GetInvalidFileNameCharsText()
{
    QString out;
    for (char16_t u = 0x21; u < 0x80; ++u) {
        if (!IsInvalidFileNameChar(QChar(u)))
            continue;
        if (!out.isEmpty())
            out += u' ';
        out += QChar(u);
    }
    return out;
}

QString DeleteAccelerator(const QString& text)
{
    const qsizetype at = text.indexOf(u"(&");
    if (at < 0)
        return text;
    QString out = text;
    out.remove(at, 4); // "(&X)"; a shorter tail is removed up to the end
    return out;
}

QDateTime CurrentDateTime()
{
    const auto& f = nowFunction();
    return f ? f() : QDateTime::currentDateTime();
}

void SetCurrentDateTimeFunction(std::function<QDateTime()> now)
{
    nowFunction() = std::move(now);
}
