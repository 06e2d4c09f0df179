// The editing commands of the main window: deletion with the list's files, moves, the grids after
// each command, and no editing while a run is in progress.

#include "DialogDriver.h"
#include "MainFormFixture.h"

#include "RsUnits/RsGrid.h"
#include "app/Ini.h"
#include "app/Lang.h"

#include <QAction>

using namespace Qt::StringLiterals;

namespace {

void touch(const MainFormFixture& f, const QString& name)
{
    QFile file(f.path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
}

QStringList names(const TRsTaskListManager& manager)
{
    QStringList result;
    for (int i = 0; i < manager.Count(); ++i)
        result << manager[i]->TaskListName();
    return result;
}

QStringList sources(const TRsTaskList* list)
{
    QStringList result;
    for (int i = 0; i < list->Count(); ++i)
        result << list->Items(i)->SrcPath;
    return result;
}

const QList<ListSpec> ThreeLists = {
    {u"A"_s, {{u"/a1/"_s, u"/b1/"_s}, {u"/a2/"_s, u"/b2/"_s}, {u"/a3/"_s, u"/b3/"_s}}},
    {u"B"_s, {}},
    {u"C"_s, {{u"/c/"_s, u"/d/"_s}}},
};

} // namespace

class TestEditCommands : public QObject
{
    Q_OBJECT

private:
    static TRsGrid* grid(MainFormFixture& f, const char* name) { return f.child<TRsGrid>(name); }
    static void trigger(MainFormFixture& f, const char* name) { f.form->Action(QString::fromLatin1(name))->trigger(); }

private slots:
    void deleteListTakesItsLogs();
    void deleteListCancelled();
    void moveLists();
    void movedListStartsAtFirstRow();
    void moveTasksAndOrderWrittenAtExit();
    void deleteOnlyTask();
    void deleteTaskCancelled();
    void commandsWithNothingToActOn();
    void noDialogDuringRun();
};

void TestEditCommands::deleteListTakesItsLogs()
{
    MainFormFixture f({{u"Daily"_s, {}}, {u"Weekly"_s, {}}});
    for (const QString& name : {u"DAILY.log"_s, u"Daily20161013.log"_s, u"Daily2016.log"_s, u"Weekly20161013.log"_s,
                                u"Daily_20161013.log"_s, u"daily20161013.log"_s})
        touch(f, name);
    QVERIFY(f.open());
    f.boxes.clear();
    trigger(f, "ActTaskListDeleteTaskList");
    QCOMPARE(f.boxes.count(), 1);
    QCOMPARE(f.boxes.last().text, u"[Daily] を さくじょ します\n\nよろしーですか？"_s);
    QStringList left = QDir(f.dir->path()).entryList({u"*.ini"_s, u"*.log"_s}, QDir::Files);
    left.sort();
    QCOMPARE(left, (QStringList{u"Daily2016.log"_s, u"Daily_20161013.log"_s, u"Weekly.ini"_s, u"Weekly20161013.log"_s,
                                u"daily20161013.log"_s, u"tsumiki.ini"_s}));
    QCOMPARE(names(f.form->AManager), QStringList{u"Weekly"_s});
    QCOMPARE(grid(f, "Grid101")->RowCount(), 2);
}

void TestEditCommands::deleteListCancelled()
{
    MainFormFixture f({{u"Daily"_s, {}}});
    QVERIFY(f.open());
    f.boxes.clear();
    f.boxes.enqueueAnswer(TMsgDlgResult::Cancel);
    trigger(f, "ActTaskListDeleteTaskList");
    QCOMPARE(f.form->AManager.Count(), 1);
    QVERIFY(QFile::exists(f.path(u"Daily.ini"_s)));
}

void TestEditCommands::moveLists()
{
    MainFormFixture f(ThreeLists);
    QVERIFY(f.open());
    TRsGrid* g = grid(f, "Grid101");
    g->SetRow(1);
    trigger(f, "ActTaskListMoveTaskListUpward");
    QCOMPARE(names(f.form->AManager), (QStringList{u"A"_s, u"B"_s, u"C"_s}));
    g->SetRow(3);
    trigger(f, "ActTaskListMoveTaskListDownward");
    QCOMPARE(names(f.form->AManager), (QStringList{u"A"_s, u"B"_s, u"C"_s}));
    g->SetRow(2);
    trigger(f, "ActTaskListMoveTaskListUpward");
    QCOMPARE(names(f.form->AManager), (QStringList{u"B"_s, u"A"_s, u"C"_s}));
    QCOMPARE(g->Row(), 1);
    g->SetRow(2);
    trigger(f, "ActTaskListMoveTaskListDownward");
    QCOMPARE(names(f.form->AManager), (QStringList{u"B"_s, u"C"_s, u"A"_s}));
    QCOMPARE(g->Row(), 3);
    // The moved list keeps its tasks and is the one shown.
    QCOMPARE(f.form->AManager[2]->Count(), 3);
    QCOMPARE(grid(f, "Grid201")->RowCount(), 4);
    QCOMPARE(f.form->windowTitle(), ApplicationTitle + u" - A"_s);
    // The order reaches the settings file at exit.
    f.form.reset();
    const TIniFile ini(SettingsFileName());
    QCOMPARE(ini.ReadString(u"TaskListManager"_s, u"TaskList0"_s, QString()), f.path(u"B.ini"_s));
    QCOMPARE(ini.ReadString(u"TaskListManager"_s, u"TaskList2"_s, QString()), f.path(u"A.ini"_s));
}

void TestEditCommands::movedListStartsAtFirstRow()
{
    MainFormFixture f(ThreeLists);
    QVERIFY(f.open());
    f.form->AManager[0]->LastRow = 3;
    grid(f, "Grid101")->SetRow(1);
    trigger(f, "ActTaskListMoveTaskListDownward");
    QCOMPARE(names(f.form->AManager), (QStringList{u"B"_s, u"A"_s, u"C"_s}));
    QCOMPARE(f.form->AManager[1]->LastRow, 1);
    QCOMPARE(grid(f, "Grid201")->Row(), 1);
}

void TestEditCommands::moveTasksAndOrderWrittenAtExit()
{
    MainFormFixture f(ThreeLists);
    QVERIFY(f.open());
    TRsGrid* tasks = grid(f, "Grid201");
    tasks->SetRow(1);
    trigger(f, "ActTaskMoveTaskUpward");
    tasks->SetRow(3);
    trigger(f, "ActTaskMoveTaskDownward");
    TRsTaskList* list = f.form->AManager[0];
    QCOMPARE(sources(list), (QStringList{u"/a1/"_s, u"/a2/"_s, u"/a3/"_s}));
    tasks->SetRow(3);
    trigger(f, "ActTaskMoveTaskUpward");
    QCOMPARE(sources(list), (QStringList{u"/a1/"_s, u"/a3/"_s, u"/a2/"_s}));
    QCOMPARE(tasks->Row(), 2);
    trigger(f, "ActTaskMoveTaskUpward");
    QCOMPARE(sources(list), (QStringList{u"/a3/"_s, u"/a1/"_s, u"/a2/"_s}));
    QCOMPARE(tasks->Row(), 1);
    // Not written by the move itself; written at exit.
    TRsTaskList before;
    QVERIFY(before.LoadFromFile(f.path(u"A.ini"_s)));
    QCOMPARE(sources(&before), (QStringList{u"/a1/"_s, u"/a2/"_s, u"/a3/"_s}));
    f.form.reset();
    TRsTaskList after;
    QVERIFY(after.LoadFromFile(f.path(u"A.ini"_s)));
    QCOMPARE(sources(&after), (QStringList{u"/a3/"_s, u"/a1/"_s, u"/a2/"_s}));
}

void TestEditCommands::deleteOnlyTask()
{
    MainFormFixture f(ThreeLists);
    QVERIFY(f.open());
    f.boxes.clear();
    grid(f, "Grid101")->SetRow(3);
    trigger(f, "ActTaskDeleteTask");
    QCOMPARE(f.boxes.count(), 1);
    QCOMPARE(f.boxes.last().text,
             u"[オリジナル: /c/\n バックアップ: /d/] を さくじょ します\n\nよろしーですか？"_s);
    QCOMPARE(f.form->AManager[2]->Count(), 0);
    QCOMPARE(grid(f, "Grid201")->RowCount(), 2);
    TRsTaskList written;
    QVERIFY(written.LoadFromFile(f.path(u"C.ini"_s)));
    QCOMPARE(written.Count(), 0);
}

void TestEditCommands::deleteTaskCancelled()
{
    MainFormFixture f(ThreeLists);
    QVERIFY(f.open());
    f.boxes.clear();
    f.boxes.enqueueAnswer(TMsgDlgResult::Cancel);
    trigger(f, "ActTaskDeleteTask");
    QCOMPARE(f.form->AManager[0]->Count(), 3);
}

void TestEditCommands::commandsWithNothingToActOn()
{
    MainFormFixture f({{u"B"_s, {}}});
    QVERIFY(f.open());
    f.boxes.clear();
    ModalDialogCloser closer;
    for (const char* name : {"ActTaskDeleteTask", "ActTaskConfigTask", "ActTaskMoveTaskUpward", "ActTaskMoveTaskDownward"})
        trigger(f, name);
    QCOMPARE(closer.closed, 0);
    QCOMPARE(f.boxes.count(), 0);
    trigger(f, "ActTaskListDeleteTaskList");
    QCOMPARE(f.form->AManager.Count(), 0);
    for (const char* name : {"ActTaskListDeleteTaskList", "ActTaskListConfigTaskList", "ActTaskListMoveTaskListUpward",
                             "ActTaskAddTask"})
        trigger(f, name);
    QCOMPARE(closer.closed, 0);
    QCOMPARE(f.boxes.count(), 1);
}

void TestEditCommands::noDialogDuringRun()
{
    MainFormFixture f(ThreeLists);
    QVERIFY(f.open());
    f.boxes.clear();
    ModalDialogCloser closer;
    TMainForm* form = f.form.get();
    // The window as a run leaves it while it runs.
    form->FIsBackupRunning = true;
    form->SetRunControls(form->ActTaskListRunTaskList, false);
    TRsGrid* g1 = grid(f, "Grid101");
    TRsGrid* g2 = grid(f, "Grid201");
    QTest::mouseDClick(g1->viewport(), Qt::LeftButton, {}, g1->CellRect(0, 1).center());
    QTest::mouseDClick(g2->viewport(), Qt::LeftButton, {}, g2->CellRect(1, 1).center());
    // Even a command that reached its handler (a shortcut bound elsewhere) opens nothing.
    form->ActTaskListAddTaskListExecute();
    form->ActTaskListConfigTaskListExecute();
    form->ActTaskAddTaskExecute();
    form->ActTaskConfigTaskExecute();
    form->ActTaskListDeleteTaskListExecute();
    form->ActTaskDeleteTaskExecute();
    form->ActTaskListMoveTaskListDownwardExecute();
    form->ActTaskMoveTaskDownwardExecute();
    QTest::qWait(20);
    form->FIsBackupRunning = false;
    form->SetRunControls(form->ActTaskListRunTaskList, true);
    QCOMPARE(closer.closed, 0);
    QCOMPARE(f.boxes.count(), 0);
    QCOMPARE(names(form->AManager), (QStringList{u"A"_s, u"B"_s, u"C"_s}));
    QCOMPARE(sources(form->AManager[0]), (QStringList{u"/a1/"_s, u"/a2/"_s, u"/a3/"_s}));
    // After the run the double click opens the dialog again.
    QTest::mouseDClick(g1->viewport(), Qt::LeftButton, {}, g1->CellRect(0, 1).center());
    QCOMPARE(closer.closed, 1);
}

QTEST_MAIN(TestEditCommands)
#include "tst_editcommands.moc"
