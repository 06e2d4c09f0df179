// Program entry: chooses the platform, reads the command line and creates the main window.

#include "app/DisplayProbe.h"
#include "app/MsgDialog.h"
#include "app/StopSignals.h"
#include "app/TmkLib.h"
#include "app/UnattendedRun.h"
#include "ui/InstanceChannel.h"
#include "ui/Main.h"
#include "ui/MsgDialogWidgets.h"

#include <QApplication>
#include <QLoggingCategory>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Exit status of a start that could not even begin: bad command line, or an unattended run whose
// task list does not exist.
constexpr int ExitUsageError = 2;
// Exit status of an interactive start refused because there is no display.
constexpr int ExitNoDisplay = 1;

// The program says what it has to say through its message boxes (on standard error without a
// display); what the toolkit prints on its own is dropped, fatal errors apart.
QtMessageHandler toolkitHandler = nullptr;

void dropToolkitMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg)
        return;
    if (toolkitHandler)
        toolkitHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

bool platformChosenByUser()
{
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char* argv[])
{
    // Without a choice of the user's, fall back to the offscreen platform when no display can be
    // reached, so that an unattended run also works from cron or on a server.
    const bool userPlatform = platformChosenByUser();
    // The command line as given: the application object takes its own options ("-style",
    // "-reverse", ...) out of argv, and they must reach the grammar as the invalid options they are here.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    TCommandLineRequest request;
    const TCommandLineResult parsed = ParseCommandLine(arguments, request);
    // An unattended run (from cron, say) is silent unless something is wrong: the toolkit's own
    // notes about the environment ("XDG_RUNTIME_DIR not set", ...) would be mailed on every run.
    // Asking for them with QT_LOGGING_RULES still shows them.
    if (parsed == TCommandLineResult::Ok && request.silent && !qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
        toolkitHandler = qInstallMessageHandler(dropToolkitMessage);

    // Unattended without a display: no window at all, not even a hidden one.
    if (parsed == TCommandLineResult::Ok && request.silent && !DisplayReachable()) {
        QCoreApplication app(argc, argv);
        if (!IsSupportedOperatingSystem()) {
            ShowMsgDialog(u"Tsumiki! needs Windows XP or later."_s, TMsgDlgType::Warning);
            return ExitUsageError;
        }
        SetCommandLineRunRequest(request);
        TStopSignals stopSignals;
        int status = RunUnattended();
        if (stopSignals.ReceivedSignal() != 0 && status == 0)
            status = 1;
        return status;
    }
    if (!userPlatform) {
        qputenv("QT_QPA_PLATFORM", "xcb;offscreen");
        // A failed display connection is expected here and handled below; keep the probe quiet.
        // (QT_LOGGING_RULES, when set, still takes precedence.)
        QLoggingCategory::setFilterRules(u"qt.qpa.xcb=false\nqt.qpa.plugin=false"_s);
    }
    QApplication app(argc, argv);
    if (!userPlatform) {
        qunsetenv("QT_QPA_PLATFORM"); // programs we start choose for themselves
        QLoggingCategory::setFilterRules(QString());
    }
    const bool noDisplay = !userPlatform && QGuiApplication::platformName() == u"offscreen"_s;

    // Without a display the core's presenter writes every message to standard error.
    TMsgDialogWidgetsPresenter widgetsPresenter;
    if (!noDisplay)
        setMsgDialogPresenter(&widgetsPresenter);

    if (!IsSupportedOperatingSystem()) {
        ShowMsgDialog(u"Tsumiki! needs Windows XP or later."_s, TMsgDlgType::Warning);
        return ExitUsageError;
    }

    ClearCommandLineRunRequest();
    if (parsed != TCommandLineResult::Ok) {
        ShowMsgDialog(CommandLineErrorText(parsed), TMsgDlgType::Error);
        return ExitUsageError;
    }
    SetCommandLineRunRequest(request);

    if (noDisplay && !SilentRun) {
        std::fputs("Tsumiki! needs a display, and none could be reached.\n"
                   "To run a task list unattended, without a display, start the program as:\n"
                   "  tsumiki /t=<task list name> /s\n",
                   stderr);
        return ExitNoDisplay;
    }

    // No application display name is set: the desktop would append it to every window title, and
    // the main window's title is exactly what the language file and the selected list make it.
    // SIGINT, SIGTERM and SIGHUP stop a run and close the window instead of killing the program.
    TStopSignals stopSignals;
    int status = 0;
    {
        // Declared before the window so that it goes after it: a copy quitting this one waits for
        // this socket to close, which must not happen before the settings are written.
        TInstanceServer instanceServer;
        TMainForm form(noDisplay);
        // A signal may close the window before the event loop is entered (while a start-up message
        // is open); the loop would then wait for ever.
        if (form.EndAtStart() || stopSignals.ReceivedSignal() != 0) {
            status = form.ExitStatus();
        } else if (SilentRun) {
            // The window stays hidden while the list runs (an icon in the notification area shows
            // it on request); the run's end quits with the run's exit status.
            if (!noDisplay)
                instanceServer.Listen(QCoreApplication::applicationFilePath(), [&form] { return form.isVisible(); },
                                      [&form] { form.close(); });
            app.exec();
            status = form.ExitStatus();
        } else {
            if (form.Placement().WindowState == 2)
                form.showMaximized();
            else
                form.show();
            if (!noDisplay)
                instanceServer.Listen(QCoreApplication::applicationFilePath(), [&form] { return form.isVisible(); },
                                      [&form] { form.close(); });
            status = app.exec();
        }
        // A settings or task list file that could not be kept is a failure, not a success.
        if (!form.SaveStateAtExit() && status == 0)
            status = 1;
    }
    if (stopSignals.ReceivedSignal() != 0 && status == 0)
        status = 1;
    setMsgDialogPresenter(nullptr);
    return status;
}
