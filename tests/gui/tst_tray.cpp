// The silent run's icon in the notification area: shown and animated while the list runs, the
// window brought up from it and hidden again, its menu, and nothing of it in the other start modes.

#include "app/Lang.h"
#include "MainFormFixture.h"
#include "RsUnits/RsLogView.h"
#include "RsUnits/RsTrayIcon.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>

using namespace Qt::StringLiterals;

namespace {

QStringList menuCaptions(QMenu* menu)
{
    emit menu->aboutToShow();
    QStringList captions;
    for (QAction* a : menu->actions())
        captions << (a->isSeparator() ? u"-"_s : a->text() + (a->isEnabled() ? QString() : u" (off)"_s));
    return captions;
}

struct TrayAvailable
{
    TrayAvailable() { TRsTrayIcon::SetAvailabilityProbe([] { return true; }); }
    ~TrayAvailable() { TRsTrayIcon::SetAvailabilityProbe(nullptr); }
};

} // namespace

class TestTray : public QObject
{
    Q_OBJECT

private slots:
    void silentRunShowsTheIconAndTheWindowOnRequest()
    {
        TrayAvailable available;
        QTemporaryDir trees;
        QVERIFY(QDir().mkpath(trees.path() + u"/d"_s) && QDir().mkpath(trees.path() + u"/s"_s));
        for (int i = 0; i < 1000; ++i)
            QVERIFY(testsupport::writeBytes(trees.path() + u"/s/f%1.txt"_s.arg(i), "x"));
        MainFormFixture f({{u"Night&Day"_s, {{trees.path() + u"/s"_s, trees.path() + u"/d"_s}}}});
        SetCommandLineRunRequest({true, true, u"Night&Day"_s});

        // The run starts once the event loop runs, with the window hidden; these checks run right
        // after it has started.
        bool checked = false;
        QStringList failures;
        auto expect = [&failures](bool ok, const char* what) {
            if (!ok)
                failures << QString::fromLatin1(what);
        };
        f.form = std::make_unique<TMainForm>();
        QVERIFY(!f.form->EndAtStart());
        QSignalSpy finished(f.form.get(), &TMainForm::runFinished);
        QMetaObject::invokeMethod(f.form.get(), [&] {
            checked = true;
            TMainForm* form = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                form = form ? form : qobject_cast<TMainForm*>(w);
            expect(form != nullptr, "window exists");
            if (!form)
                return;
            auto* tray = form->findChild<TRsTrayIcon*>(u"TrayIcon1"_s);
            QAction* toggle = form->Action(u"ActPopMinimizeRestoreWindow"_s);
            expect(tray && tray->IsPresent() && tray->Animate() && tray->IsAnimating(), "icon shown and animated");
            expect(tray && tray->AnimateInterval() == 100, "100 ms a frame");
            expect(tray && tray->ToolTip().startsWith(u"つみき！ - Night&Day"_s), "hint begins with the caption");
            expect(!form->isVisible(), "window hidden");
            expect(toggle->text() == RestoreWindowCaption, "caption says restore");
            expect(menuCaptions(form->findChild<QMenu*>(u"TrayIcon1Menu"_s))
                       == QStringList({RestoreWindowCaption, u"-"_s, form->Action(u"ActTaskListStopTaskList"_s)->text(),
                                       u"-"_s, form->Action(u"ActFileQuit"_s)->text()}),
                   "tray menu");

            emit tray->OnClick(tray); // as a left click on the icon
            // The caret goes to the end as the window comes back; lines the run adds afterwards come
            // after it, while the view keeps following them.
            auto* log = form->findChild<TRsLogView*>(u"Memo301"_s);
            expect(log && log->caret() == log->endPosition(), "caret at the end of the log");
            QCoreApplication::processEvents();
            expect(form->isVisible(), "click shows the window");
            expect(toggle->text() == MinimizeToTrayCaption, "caption says minimise");
            expect(log && log->isAtEnd(), "view at the end of the log");

            form->setWindowState(Qt::WindowMaximized);
            QCoreApplication::processEvents();
            form->setWindowState(Qt::WindowMaximized | Qt::WindowMinimized); // minimising hides to the tray
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            expect(!form->isVisible(), "minimised goes to the tray");
            expect(toggle->text() == RestoreWindowCaption, "caption says restore again");
            toggle->trigger();
            QCoreApplication::processEvents();
            expect(form->isVisible() && form->isMaximized(), "back maximised");
            toggle->trigger();
            expect(!form->isVisible(), "second click hides");
        }, Qt::QueuedConnection);
        QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1, 60000);
        QVERIFY(checked);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u"; ")));
        auto* tray = f.form->findChild<TRsTrayIcon*>(u"TrayIcon1"_s);
        QVERIFY(!tray->IsPresent());
        QVERIFY(!tray->IsAnimating());
        QCOMPARE(f.form->ExitStatus(), 0);
    }

    void interactiveStartHasNoTray()
    {
        TrayAvailable available;
        MainFormFixture f({{u"Daily"_s, {}}});
        TMainForm* form = f.open();
        QVERIFY(form);
        auto* tray = form->findChild<TRsTrayIcon*>(u"TrayIcon1"_s);
        QVERIFY(!tray->IsPresent());
        form->Action(u"ActPopMinimizeRestoreWindow"_s)->trigger();
        QVERIFY(form->isVisible());
        form->showMinimized();
        QCoreApplication::processEvents();
        QVERIFY(form->isVisible()); // minimised the usual way, not hidden
        QVERIFY(!tray->IsPresent());
        QVERIFY(!form->windowIcon().isNull());
    }
};

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
