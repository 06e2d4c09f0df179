// The settings file: what is written at exit, how task lists come back, and what happens to files
// that cannot be written.

#include "app/Ini.h"
#include "app/Lang.h"
#include "app/MsgDialog.h"
#include "app/ProgramDir.h"
#include "app/Settings.h"
#include "model/RsTaskList.h"
#include "support/TestSupport.h"

#include <QDir>
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
        texts << text;
        return TMsgDlgResult::OK;
    }
};

TRsTaskList* newList(const QString& name)
{
    auto* list = new TRsTaskList;
    list->SetTaskListName(name);
    return list;
}

QStringList names(const TRsTaskListManager& manager)
{
    QStringList result;
    for (int i = 0; i < manager.Count(); ++i)
        result << manager.Items(i)->TaskListName();
    return result;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir* m_dir = nullptr;
    RecordingPresenter m_presenter;
    QString dir() const { return m_dir->path() + u'/'; }
    void writeSettings(const QString& text) { QVERIFY(testsupport::writeBytes(SettingsFileName(), testsupport::utf16leWithBom(text))); }

private slots:
    void init()
    {
        m_dir = new QTemporaryDir;
        SetProgramDirectory(m_dir->path());
        SetExecutableBaseName(u"tsumiki"_s);
        LangFileName = dir() + u"Lang/Tmk日本語_かな.lang"_s;
        m_presenter.texts.clear();
        setMsgDialogPresenter(&m_presenter);
    }
    void cleanup()
    {
        setMsgDialogPresenter(nullptr);
        SetProgramDirectory(QString());
        SetExecutableBaseName(QString());
        delete m_dir;
        m_dir = nullptr;
    }

    void fileNamesFollowTheExecutable()
    {
        QCOMPARE(SettingsFileName(), dir() + u"tsumiki.ini"_s);
        QCOMPARE(ShortcutKeyFileName(), dir() + u"tsumikiKey.ini"_s);
    }

    void noSettingsFile()
    {
        TRsTaskListManager manager;
        const TMainFormPlacement designed{209, 304, 730, 345, 0, 361, 150};
        const TMainFormPlacement p = LoadMainSettings(designed, manager);
        QCOMPARE(p.Left, 209);
        QCOMPARE(p.Width, 730);
        QCOMPARE(p.BottomPanelHeight, 150);
        QCOMPARE(manager.Count(), 0);
        QCOMPARE(LoadSelectedRow(0), 1);
        QCOMPARE(LoadLangFileNameSetting(), QString());

        QVERIFY(SaveMainSettings(p, 1, false, manager).isEmpty());
        const TIniFile ini(SettingsFileName());
        QCOMPARE(ini.ReadSections(), (QStringList{u"Language"_s, u"MainForm"_s, u"TaskListManager"_s}));
        QCOMPARE(ini.ReadString(u"Language"_s, u"LangFileName"_s, QString()), LangFileName);
        QCOMPARE(ini.ReadSection(u"MainForm"_s),
                 (QStringList{u"Left"_s, u"Top"_s, u"Width"_s, u"Height"_s, u"WindowState"_s, u"LeftPanel.Width"_s,
                              u"BottomPanel.Height"_s, u"Grid101.Row"_s}));
        QCOMPARE(ini.ReadSection(u"TaskListManager"_s), QStringList{u"TaskListCount"_s});
        QCOMPARE(ini.ReadString(u"TaskListManager"_s, u"TaskListCount"_s, QString()), u"0"_s);
        QVERIFY(m_presenter.texts.isEmpty());
    }

    void twoListsRoundTripAndMove()
    {
        TRsTaskListManager manager;
        manager.Add(newList(u"A"_s));
        manager.Add(newList(u"B"_s));
        QVERIFY(SaveMainSettings({}, 2, false, manager).isEmpty());
        {
            const TIniFile ini(SettingsFileName());
            QCOMPARE(ini.ReadInteger(u"TaskListManager"_s, u"TaskListCount"_s, -1), 2);
            QCOMPARE(ini.ReadString(u"TaskListManager"_s, u"TaskList0"_s, QString()), dir() + u"A.ini"_s);
            QCOMPARE(ini.ReadString(u"TaskListManager"_s, u"TaskList1"_s, QString()), dir() + u"B.ini"_s);
        }
        QVERIFY(QFile::exists(dir() + u"A.ini"_s));
        QVERIFY(QFile::exists(dir() + u"B.ini"_s));

        TRsTaskListManager loaded;
        LoadMainSettings({}, loaded);
        QCOMPARE(names(loaded), (QStringList{u"A"_s, u"B"_s}));
        QCOMPARE(LoadSelectedRow(loaded.Count()), 2);

        loaded.Move(1, 0);
        QVERIFY(SaveMainSettings({}, 1, false, loaded).isEmpty());
        const TIniFile ini(SettingsFileName());
        QCOMPARE(ini.ReadString(u"TaskListManager"_s, u"TaskList0"_s, QString()), dir() + u"B.ini"_s);
        QCOMPARE(ini.ReadString(u"TaskListManager"_s, u"TaskList1"_s, QString()), dir() + u"A.ini"_s);
    }

    void missingListFileIsSkippedAndRenumbered()
    {
        TRsTaskListManager manager;
        manager.Add(newList(u"A"_s));
        manager.Add(newList(u"B"_s));
        manager.Add(newList(u"C"_s));
        QVERIFY(SaveMainSettings({}, 1, false, manager).isEmpty());
        QVERIFY(QFile::remove(dir() + u"B.ini"_s));

        TRsTaskListManager loaded;
        LoadMainSettings({}, loaded);
        QCOMPARE(names(loaded), (QStringList{u"A"_s, u"C"_s}));
        QVERIFY(m_presenter.texts.isEmpty()); // skipped without a message

        QVERIFY(SaveMainSettings({}, 1, false, loaded).isEmpty());
        const TIniFile ini(SettingsFileName());
        QCOMPARE(ini.ReadSection(u"TaskListManager"_s),
                 (QStringList{u"TaskListCount"_s, u"TaskList0"_s, u"TaskList1"_s}));
        QCOMPARE(ini.ReadInteger(u"TaskListManager"_s, u"TaskListCount"_s, -1), 2);
        QCOMPARE(ini.ReadString(u"TaskListManager"_s, u"TaskList1"_s, QString()), dir() + u"C.ini"_s);
    }

    void unwritableListFileIsReportedOthersWritten()
    {
        TRsTaskListManager manager;
        manager.Add(newList(u"A"_s));
        manager.Add(newList(u"B"_s));
        // A directory where A's file belongs: it cannot be written (even by a privileged user).
        QVERIFY(QDir(dir()).mkdir(u"A.ini"_s));
        const QStringList failed = SaveMainSettings({}, 1, false, manager);
        QCOMPARE(failed, QStringList{dir() + u"A.ini"_s});
        QVERIFY(QFile::exists(dir() + u"B.ini"_s));
        const TIniFile ini(SettingsFileName());
        QCOMPARE(ini.ReadInteger(u"TaskListManager"_s, u"TaskListCount"_s, -1), 2);
        QCOMPARE(m_presenter.texts.size(), 1);
        QVERIFY2(m_presenter.texts.first().contains(dir() + u"A.ini"_s), qPrintable(m_presenter.texts.first()));
        QVERIFY(!m_presenter.texts.first().contains(u"B.ini"_s));
    }

    void unwritableSettingsFileIsReportedListsWritten()
    {
        TRsTaskListManager manager;
        manager.Add(newList(u"A"_s));
        QVERIFY(QDir(dir()).mkdir(u"tsumiki.ini"_s));
        const QStringList failed = SaveMainSettings({}, 1, false, manager);
        QCOMPARE(failed, QStringList{dir() + u"tsumiki.ini"_s});
        QVERIFY(QFile::exists(dir() + u"A.ini"_s));
        QCOMPARE(m_presenter.texts.size(), 1);
        QVERIFY(m_presenter.texts.first().contains(dir() + u"tsumiki.ini"_s));

        // A dialog position cannot be stored either, and says so.
        QVERIFY(!SaveDialogPosition(u"ConfigForm101"_s, {1, 2}));
        QCOMPARE(m_presenter.texts.size(), 2);
    }

    // A list's name becomes the name of its files in the program folder: a name that cannot be one
    // gives way to the name of the file the list came from, with a warning, and nothing is written
    // anywhere else.
    void listNameThatIsNoFileName_data()
    {
        QTest::addColumn<QString>("storedName");
        QTest::newRow("outside the program folder") << u"../elsewhere/x"_s;
        QTest::newRow("empty") << QString();
        QTest::newRow("invalid character") << u"a|b"_s;
        QTest::newRow("control character") << u"a\tb"_s;
        QTest::newRow("the settings file's name") << u"tsumiki"_s;
        QTest::newRow("the shortcut key file's name") << u"TSUMIKIkey"_s;
    }
    void listNameThatIsNoFileName()
    {
        QFETCH(QString, storedName);
        // The program folder is one level down, so that "../elsewhere" stays inside the test's folder.
        const QString prog = dir() + u"prog/"_s;
        const QString outside = dir() + u"elsewhere"_s;
        QVERIFY(QDir().mkpath(prog) && QDir().mkpath(outside));
        SetProgramDirectory(prog);
        const QString listFile = prog + u"Daily.ini"_s;
        QVERIFY(testsupport::writeBytes(listFile, testsupport::utf16leWithBom(
                                                      u"[General]\r\nTaskListName=%1\r\nAddDateStr=1\r\nTaskCount=1\r\n"
                                                      "[Task0]\r\nSrcPath=/a/\r\nDstPath=/b/\r\n"_s.arg(storedName))));
        writeSettings(u"[TaskListManager]\r\nTaskListCount=1\r\nTaskList0=%1\r\n"_s.arg(listFile));
        // A dated log where the stored name points is not read either.
        const QString outsideLog = u"x"_s + QDate::currentDate().toString(u"yyyyMMdd"_s) + u".log"_s;
        QVERIFY(testsupport::writeBytes(outside + u'/' + outsideLog,
                                        testsupport::utf16leWithBom(u"not this list's log"_s)));

        TRsTaskListManager loaded;
        LoadMainSettings({}, loaded);
        QCOMPARE(names(loaded), QStringList{u"Daily"_s});
        QCOMPARE(loaded.Items(0)->Count(), 1);
        QVERIFY(!loaded.Items(0)->LogList.toStringList().join(u'\n').contains(u"not this list's log"_s));
        QCOMPARE(m_presenter.texts.size(), 1);
        QVERIFY2(m_presenter.texts.first().contains(listFile) && m_presenter.texts.first().contains(u"[Daily]"_s),
                 qPrintable(m_presenter.texts.first()));

        QVERIFY(SaveMainSettings({}, 1, false, loaded).isEmpty());
        QCOMPARE(QDir(outside).entryList(QDir::Files), QStringList{outsideLog});
        QCOMPARE(QDir(dir()).entryList(QDir::Files), QStringList());
        QCOMPARE(TIniFile(listFile).ReadString(u"General"_s, u"TaskListName"_s, QString()), u"Daily"_s);
        const TIniFile settings(SettingsFileName());
        QCOMPARE(settings.ReadString(u"TaskListManager"_s, u"TaskList0"_s, QString()), listFile);
        QVERIFY(!QFile::exists(ShortcutKeyFileName()));
    }

    void listsOfOneNameKeepTheirFiles()
    {
        // Two files naming the same list would be written into one at exit, the later over the
        // earlier; a file whose own name cannot serve either is left alone and reported.
        for (const QString& file : {u"A"_s, u"B"_s, u"tsumikiKey"_s})
            QVERIFY(testsupport::writeBytes(dir() + file + u".ini"_s,
                                            testsupport::utf16leWithBom(u"[General]\r\nTaskListName=a\r\n"_s)));
        writeSettings(u"[TaskListManager]\r\nTaskListCount=3\r\nTaskList0=%1A.ini\r\nTaskList1=%1B.ini\r\n"
                      "TaskList2=%1tsumikiKey.ini\r\n"_s.arg(dir()));
        TRsTaskListManager loaded;
        LoadMainSettings({}, loaded);
        QCOMPARE(names(loaded), (QStringList{u"a"_s, u"B"_s}));
        QCOMPARE(m_presenter.texts.size(), 2);
        const QString all = m_presenter.texts.join(u'\n');
        QVERIFY2(all.contains(dir() + u"B.ini"_s) && all.contains(dir() + u"tsumikiKey.ini"_s), qPrintable(all));
        const QByteArray keyFile = testsupport::readBytes(ShortcutKeyFileName());
        QVERIFY(SaveMainSettings({}, 1, false, loaded).isEmpty());
        QCOMPARE(testsupport::readBytes(ShortcutKeyFileName()), keyFile);
        QCOMPARE(TIniFile(dir() + u"B.ini"_s).ReadString(u"General"_s, u"TaskListName"_s, QString()), u"B"_s);
    }

    void unreadableDatedLogKeepsTheList()
    {
        const QString listFile = dir() + u"Daily.ini"_s;
        QVERIFY(testsupport::writeBytes(listFile, testsupport::utf16leWithBom(
                                                      u"[General]\r\nTaskListName=Daily\r\nAddDateStr=1\r\nTaskCount=1\r\n"
                                                      "[Task0]\r\nSrcPath=/a/\r\nDstPath=/b/\r\n"_s)));
        writeSettings(u"[TaskListManager]\r\nTaskListCount=1\r\nTaskList0=%1\r\n"_s.arg(listFile));
        // A directory cannot be read as a log (a user's unreadable file is the case in the field).
        const QString datedLog = dir() + u"Daily"_s + QDate::currentDate().toString(u"yyyyMMdd"_s) + u".log"_s;
        QVERIFY(QDir().mkpath(datedLog));

        TRsTaskListManager loaded;
        LoadMainSettings({}, loaded);
        QCOMPARE(names(loaded), QStringList{u"Daily"_s});
        QCOMPARE(loaded.Items(0)->Count(), 1);
        QCOMPARE(loaded.Items(0)->LogList.size(), 2); // the heading only
        QCOMPARE(m_presenter.texts.size(), 1);
        QVERIFY2(m_presenter.texts.first().contains(datedLog), qPrintable(m_presenter.texts.first()));

        // At exit the list stays in the settings.
        QVERIFY(SaveMainSettings({}, 1, false, loaded).isEmpty());
        QCOMPARE(TIniFile(SettingsFileName()).ReadString(u"TaskListManager"_s, u"TaskList0"_s, QString()), listFile);
        QCOMPARE(TIniFile(listFile).ReadInteger(u"General"_s, u"TaskCount"_s, 0), 1);
    }

    void placement_data()
    {
        QTest::addColumn<QString>("mainForm");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("windowState");
        QTest::addColumn<int>("leftPanelWidth");

        QTest::newRow("stored") << u"Left=-20\r\nWindowState=2\r\nLeftPanel.Width=400"_s << -20 << 2 << 400;
        QTest::newRow("hexadecimal") << u"Left=$10\r\nLeftPanel.Width=0x20"_s << 16 << 0 << 32;
        QTest::newRow("not numbers") << u"Left=abc\r\nWindowState=max\r\nLeftPanel.Width="_s << 209 << 0 << 361;
        QTest::newRow("minimised kept") << u"WindowState=1"_s << 209 << 1 << 361;
        QTest::newRow("state out of range") << u"WindowState=3"_s << 209 << 0 << 361;
        QTest::newRow("negative state") << u"WindowState=-1"_s << 209 << 0 << 361;
    }

    void placement()
    {
        QFETCH(QString, mainForm);
        writeSettings(u"[MainForm]\r\n"_s + mainForm + u"\r\n"_s);
        TRsTaskListManager manager;
        const TMainFormPlacement p = LoadMainSettings({209, 304, 730, 345, 0, 361, 150}, manager);
        QTEST(p.Left, "left");
        QTEST(p.WindowState, "windowState");
        QTEST(p.LeftPanelWidth, "leftPanelWidth");
        QCOMPARE(p.Top, 304);
    }

    void windowStateWritten_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("written");
        QTest::newRow("normal") << 0 << 0;
        QTest::newRow("minimised") << 1 << 0;
        QTest::newRow("maximised") << 2 << 2;
    }

    void windowStateWritten()
    {
        QFETCH(int, state);
        TMainFormPlacement p;
        p.WindowState = state;
        TRsTaskListManager manager;
        QVERIFY(SaveMainSettings(p, 1, false, manager).isEmpty());
        QTEST(TIniFile(SettingsFileName()).ReadInteger(u"MainForm"_s, u"WindowState"_s, -1), "written");
    }

    void selectedRow_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("lists");
        QTest::addColumn<int>("row");
        QTest::newRow("missing") << QString() << 3 << 1;
        QTest::newRow("second") << u"Grid101.Row=2"_s << 3 << 2;
        QTest::newRow("last") << u"Grid101.Row=3"_s << 3 << 3;
        QTest::newRow("beyond the lists") << u"Grid101.Row=4"_s << 3 << 1;
        QTest::newRow("heading row") << u"Grid101.Row=0"_s << 3 << 1;
        QTest::newRow("negative") << u"Grid101.Row=-2"_s << 3 << 1;
        QTest::newRow("not a number") << u"Grid101.Row=two"_s << 3 << 1;
        QTest::newRow("no lists") << u"Grid101.Row=2"_s << 0 << 1;
    }

    void selectedRow()
    {
        QFETCH(QString, stored);
        writeSettings(u"[MainForm]\r\n"_s + stored + u"\r\n"_s);
        QFETCH(int, lists);
        QTEST(LoadSelectedRow(lists), "row");
    }

    void silentRunKeepsStoredRow()
    {
        writeSettings(u"[MainForm]\r\nGrid101.Row=3\r\n"_s);
        TRsTaskListManager manager;
        QVERIFY(SaveMainSettings({}, 1, true, manager).isEmpty());
        QCOMPARE(TIniFile(SettingsFileName()).ReadInteger(u"MainForm"_s, u"Grid101.Row"_s, -1), 3);
        QVERIFY(SaveMainSettings({}, 1, false, manager).isEmpty());
        QCOMPARE(TIniFile(SettingsFileName()).ReadInteger(u"MainForm"_s, u"Grid101.Row"_s, -1), 1);
    }

    void dialogPositionKeepsOtherSections()
    {
        TRsTaskListManager manager;
        manager.Add(newList(u"A"_s));
        QVERIFY(SaveMainSettings({}, 1, false, manager).isEmpty());
        const QByteArray before = testsupport::readBytes(SettingsFileName());

        const TDialogPosition designed{205, 431};
        QCOMPARE(LoadDialogPosition(u"ConfigForm101"_s, designed).Left, 205);
        QVERIFY(SaveDialogPosition(u"ConfigForm101"_s, {10, 20}));
        QVERIFY(SaveDialogPosition(u"ConfigForm201"_s, {30, 40}));
        const TDialogPosition p = LoadDialogPosition(u"ConfigForm101"_s, designed);
        QCOMPARE(p.Left, 10);
        QCOMPARE(p.Top, 20);
        QCOMPARE(LoadDialogPosition(u"ConfigForm201"_s, designed).Top, 40);

        const TIniFile ini(SettingsFileName());
        QCOMPARE(ini.ReadSections(), (QStringList{u"Language"_s, u"MainForm"_s, u"TaskListManager"_s,
                                                  u"ConfigForm101"_s, u"ConfigForm201"_s}));
        QVERIFY(testsupport::readBytes(SettingsFileName()).startsWith(before));

        // Saving the main settings keeps the dialog sections.
        QVERIFY(SaveMainSettings({}, 1, false, manager).isEmpty());
        QCOMPARE(LoadDialogPosition(u"ConfigForm201"_s, designed).Left, 30);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
