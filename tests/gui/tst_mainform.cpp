// The minimal main window's creation and destruction: texts, settings, task lists and the
// command-line lookup.

#include "app/Ini.h"
#include "app/Lang.h"
#include "app/MsgDialog.h"
#include "app/ProgramDir.h"
#include "app/TmkLib.h"
#include "support/TestSupport.h"
#include "ui/Main.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct RecordingPresenter : TMsgDialogPresenter
{
    QStringList texts;
    TMsgDlgResult present(const QString&, const QString& text, TMsgDlgType, TMsgDlgButtons, QObject*) override
    {
        // The button strip is not installed here; its message is the window's own business.
        if (!text.contains(u"Tmk24.png"_s))
            texts << text;
        return TMsgDlgResult::OK;
    }
};

} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir* m_dir = nullptr;
    RecordingPresenter m_presenter;
    QString dir() const { return m_dir->path() + u'/'; }

    // Settings naming the lists "Daily" and "Weekly", both with their files.
    void installTwoLists()
    {
        for (const QString& name : {u"Daily"_s, u"Weekly"_s}) {
            TRsTaskList list;
            list.SetTaskListName(name);
            QVERIFY(list.SaveToFile(list.GetTaskListFileName()));
        }
        QVERIFY(testsupport::writeBytes(
            dir() + u"tsumiki.ini"_s,
            testsupport::utf16leWithBom(u"[MainForm]\r\nGrid101.Row=2\r\n[TaskListManager]\r\nTaskListCount=2\r\nTaskList0="_s +
                                        dir() + u"Daily.ini\r\nTaskList1="_s + dir() + u"Weekly.ini\r\n"_s)));
    }

private slots:
    void init()
    {
        m_dir = new QTemporaryDir;
        SetProgramDirectory(m_dir->path());
        SetExecutableBaseName(u"tsumiki"_s);
        ClearCommandLineRunRequest();
        LangFileName.clear();
        m_presenter.texts.clear();
        setMsgDialogPresenter(&m_presenter);
    }
    void cleanup()
    {
        setMsgDialogPresenter(nullptr);
        ClearCommandLineRunRequest();
        SetProgramDirectory(QString());
        SetExecutableBaseName(QString());
        delete m_dir;
        m_dir = nullptr;
    }

    void firstStart()
    {
        {
            TMainForm form;
            QVERIFY(!form.EndAtStart());
            QCOMPARE(form.windowTitle(), u"つみき！"_s);
            QCOMPARE(form.Action(u"ActTaskListRunTaskList"_s)->text(), u"タスク リストの じっこー(&R)"_s);
            QVERIFY(QFile::exists(dir() + u"Lang/Tmk日本語_かな.lang"_s));
            QVERIFY(!QFile::exists(dir() + u"tsumiki.ini"_s)); // written at exit only
        }
        const TIniFile ini(dir() + u"tsumiki.ini"_s);
        QCOMPARE(ini.ReadSections(), (QStringList{u"Language"_s, u"MainForm"_s, u"TaskListManager"_s}));
        QCOMPARE(ini.ReadInteger(u"TaskListManager"_s, u"TaskListCount"_s, -1), 0);
        QVERIFY(m_presenter.texts.isEmpty());
    }

    // What the window's state at exit leaves in the settings: a minimised window, from whichever state
    // it was minimised, opens normal again; a maximised one keeps its maximised bounds.
    void placementAtExit_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("maximisedBounds");
        QTest::newRow("normal") << int(Qt::WindowNoState) << 0 << false;
        QTest::newRow("maximised") << int(Qt::WindowMaximized) << 2 << true;
        QTest::newRow("minimised") << int(Qt::WindowMinimized) << 0 << false;
        QTest::newRow("minimised from maximised") << int(Qt::WindowMinimized | Qt::WindowMaximized) << 0 << false;
    }

    void placementAtExit()
    {
        QFETCH(int, state);
        QFETCH(int, stored);
        QFETCH(bool, maximisedBounds);
        // The settings hold the outer bounds, the frame included, as the user sees the window.
        QSize normalOuter;
        QSize maximisedOuter;
        {
            TMainForm form;
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            form.move(100, 80);
            form.resize(700, 420);
            QTRY_COMPARE(form.size(), QSize(700, 420));
            normalOuter = form.frameGeometry().size();
            if (state & Qt::WindowMaximized) {
                form.setWindowState(Qt::WindowMaximized);
                QTRY_VERIFY(form.width() > 700);
                maximisedOuter = form.frameGeometry().size();
            }
            if (state & Qt::WindowMinimized)
                form.setWindowState(form.windowState() | Qt::WindowMinimized);
        }
        const TIniFile ini(dir() + u"tsumiki.ini"_s);
        QCOMPARE(ini.ReadInteger(u"MainForm"_s, u"WindowState"_s, -1), stored);
        const QSize size(ini.ReadInteger(u"MainForm"_s, u"Width"_s, -1), ini.ReadInteger(u"MainForm"_s, u"Height"_s, -1));
        QCOMPARE(size, maximisedBounds ? maximisedOuter : normalOuter);
    }

    // Stored outer bounds come back as the window's outer bounds once it is framed, and a window
    // closed without changes stores what it read: nothing grows by a frame at each start.
    void outerBoundsRoundTrip()
    {
        const QString settings = dir() + u"tsumiki.ini"_s;
        {
            TIniFile ini(settings);
            ini.WriteInteger(u"MainForm"_s, u"Left"_s, 120);
            ini.WriteInteger(u"MainForm"_s, u"Top"_s, 90);
            ini.WriteInteger(u"MainForm"_s, u"Width"_s, 640);
            ini.WriteInteger(u"MainForm"_s, u"Height"_s, 400);
            QVERIFY(ini.UpdateFile());
        }
        for (int start = 0; start < 2; ++start) {
            {
                TMainForm form;
                form.show();
                QVERIFY(QTest::qWaitForWindowExposed(&form));
                QTRY_COMPARE(form.frameGeometry().size(), QSize(640, 400));
                QCOMPARE(form.frameGeometry().topLeft(), QPoint(120, 90));
            }
            const TIniFile ini(settings);
            QCOMPARE(ini.ReadInteger(u"MainForm"_s, u"Left"_s, -1), 120);
            QCOMPARE(ini.ReadInteger(u"MainForm"_s, u"Top"_s, -1), 90);
            QCOMPARE(ini.ReadInteger(u"MainForm"_s, u"Width"_s, -1), 640);
            QCOMPARE(ini.ReadInteger(u"MainForm"_s, u"Height"_s, -1), 400);
        }
    }

    void listsLoadedAndRowKept()
    {
        installTwoLists();
        {
            TMainForm form;
            QCOMPARE(form.AManager.Count(), 2);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QCOMPARE(form.windowTitle(), u"つみき！ - Weekly"_s);
            form.AManager.Move(1, 0);
        }
        const TIniFile ini(dir() + u"tsumiki.ini"_s);
        QCOMPARE(ini.ReadString(u"TaskListManager"_s, u"TaskList0"_s, QString()), dir() + u"Weekly.ini"_s);
        QCOMPARE(ini.ReadInteger(u"MainForm"_s, u"Grid101.Row"_s, -1), 2);
    }

    void commandLineLookup_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<bool>("noDisplay");
        QTest::addColumn<bool>("endAtStart");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("runStillRequested");

        const QStringList notFound{u"タスク リスト [monthly] が ありません\n\nバックアップを ちゅーし します"_s};
        QTest::newRow("not found") << u"monthly"_s << false << false << false << 0 << notFound << false;
        QTest::newRow("not found, unattended with display") << u"monthly"_s << true << false << false << 0 << notFound << false;
        QTest::newRow("not found, unattended without display") << u"monthly"_s << true << true << true << 2 << notFound << false;
        QTest::newRow("found, start-up run") << u"daily"_s << false << false << false << 0 << QStringList{} << true;
        // Found: the run starts once the event loop runs (not while the window is made).
        QTest::newRow("found, unattended") << u"weekly"_s << true << true << false << 0 << QStringList{} << true;
    }

    void commandLineLookup()
    {
        installTwoLists();
        QFETCH(QString, name);
        QFETCH(bool, silent);
        QFETCH(bool, noDisplay);
        SetCommandLineRunRequest({true, silent, name});
        TMainForm form(noDisplay);
        QTEST(form.EndAtStart(), "endAtStart");
        if (form.EndAtStart())
            QTEST(form.ExitStatus(), "status");
        QTEST(m_presenter.texts, "messages");
        QTEST(CommandLineRun, "runStillRequested");
        if (!CommandLineRun) {
            QVERIFY(!SilentRun);
            QVERIFY(CommandLineTaskListName.isEmpty());
        } else {
            QCOMPARE(CommandLineTaskListIndex, name == u"daily"_s ? 0 : 1);
        }
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
