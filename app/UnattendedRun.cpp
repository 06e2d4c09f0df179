#include "app/UnattendedRun.h"

#include "app/Lang.h"
#include "app/MsgDialog.h"
#include "app/ProgramDir.h"
#include "app/Settings.h"
#include "app/ShortcutKeyFile.h"
#include "app/StopSignals.h"
#include "app/TmkLib.h"
#include "app/WindowKeys.h"
#include "engine/RunDriver.h"
#include "engine/RunProgressText.h"
#include "model/RsTaskList.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <atomic>
#include <cstdio>

#include <sys/ioctl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The placement the window would store after a first start that never showed it: its designed
// bounds at 96 pixels per inch.
TMainFormPlacement DesignedPlacement()
{
    return {209, 304, 730, 370, 0, 361, 150};
}

// Columns a character takes on a terminal: the wide East Asian ranges (kana and kanji among them)
// take two.
int ColumnsOf(char32_t c)
{
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3)
                      || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60)
                      || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

// One line on a terminal, rewritten in place: never longer than the terminal is wide, so it never
// wraps into a second line that the next rewrite would leave behind.
class TTerminalProgressLine
{
public:
    TTerminalProgressLine() : m_enabled(::isatty(STDERR_FILENO) == 1) {}
    ~TTerminalProgressLine() { Clear(); }

    void Show(const QString& text)
    {
        if (!m_enabled)
            return;
        int columns = 80;
        struct winsize size{};
        if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
            columns = size.ws_col;
        QString fitted;
        int used = 0;
        for (const char32_t c : text.toUcs4()) {
            const int width = ColumnsOf(c);
            if (used + width > columns - 1)
                break;
            fitted += QString::fromUcs4(&c, 1);
            used += width;
        }
        std::fprintf(stderr, "\r%s\033[K", fitted.toLocal8Bit().constData());
        std::fflush(stderr);
        m_shown = true;
    }

    void Clear()
    {
        if (!m_shown)
            return;
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        m_shown = false;
    }

private:
    bool m_enabled;
    bool m_shown = false;
};

// Runs the enabled tasks of the list as the window's command-line run does; the run's outcome.
TRunOutcome RunTaskList(TRsTaskList* list, const QString& commandCaption)
{
    std::atomic<bool> breakFlag{false};
    TRunDriver driver(&breakFlag);
    // No one can answer the question about an empty source: its deletions are refused.
    TRunOutcome outcome;
    TTerminalProgressLine progressLine;
    QObject::connect(&driver, &TRunDriver::progressChanged, &driver,
                     [&progressLine](const TRunProgress& progress) { progressLine.Show(RunProgressText(progress)); });
    QObject::connect(&driver, &TRunDriver::finished, &driver, [&outcome](const TRunOutcome& o) {
        outcome = o;
        QCoreApplication::exit(0);
    });
    if (TStopSignals* stop = TStopSignals::Instance())
        QObject::connect(stop, &TStopSignals::stopRequested, &driver, [&driver] { driver.Stop(); });

    QList<int> tasks;
    for (int i = 0; i < list->Count(); ++i) {
        if (list->Items(i)->Enabled)
            tasks.append(i);
    }
    driver.Start({list, tasks, false, commandCaption});
    if (driver.IsRunning())
        QCoreApplication::exec();
    progressLine.Clear();
    return outcome;
}

} // namespace

int RunUnattended()
{
    // As the window's creation: the language, the settings with every task list, the shortcut keys.
    PrepareLanguage(ProgramDirectory(), LoadLangFileNameSetting(), nullptr);
    const TMainFormTexts texts = LoadMainFormTexts();
    TRsTaskListManager manager;
    const TMainFormPlacement placement = LoadMainSettings(DesignedPlacement(), manager, nullptr);
    QList<TShortcutKey> keys = DefaultShortcutKeys();
    const QString keyFile = ShortcutKeyFileName();
    if (QFileInfo::exists(keyFile))
        ReadShortcutKeyFile(keys, keyFile, [](TShortCut key) { return WindowKeyUse(key).isEmpty(); });

    int status = 0;
    CommandLineTaskListIndex = manager.IndexOfTaskListName(CommandLineTaskListName);
    const TStopSignals* stop = TStopSignals::Instance();
    if (CommandLineTaskListIndex < 0) {
        ShowMsgDialog(FormatLangText(MsgErrorTaskListNotFound, CommandLineTaskListName) + u"\n\n"_s + MsgErrorAbortBackup,
                      TMsgDlgType::Error);
        status = 2;
    } else if (stop && stop->ReceivedSignal() != 0) {
        status = 1; // stopped before it began
    } else {
        TRsTaskList* list = manager.Items(CommandLineTaskListIndex);
        const TRunOutcome outcome = RunTaskList(list, texts.captions.value(u"ActTaskListRunTaskList"_s));
        if (outcome.Failed()) {
            status = 1;
            std::fprintf(stderr, "%s\n", RunFailureLine(list->TaskListName(), outcome).toLocal8Bit().constData());
        }
    }

    // As the window's destruction: the settings and every task list file, then the shortcut keys.
    if (!SaveMainSettings(placement, 0, true, manager, nullptr).isEmpty() && status == 0)
        status = 1;
    QString reason;
    if (!WriteShortcutKeyFile(keys, keyFile, &reason)) {
        QString text = FormatLangText(MsgErrorOccurredInItem, QDir::toNativeSeparators(keyFile));
        if (!reason.isEmpty())
            text += u" ("_s + reason + u')';
        ShowMsgDialog(text, TMsgDlgType::Error);
        if (status == 0)
            status = 1;
    }
    return status;
}
