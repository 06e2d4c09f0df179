// The task list grid and the task grid on the real window: selecting lists, the check boxes, the
// remembered rows, right clicks, shortened texts and their tooltips, geometry.

#include "DialogDriver.h"
#include "MainFormFixture.h"

#include "RsUnits/RsGrid.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QToolTip>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString stripFile()
{
    return QFINDTESTDATA("../../resources/dist/Image/Tmk24.png");
}

QList<TaskSpec> manyTasks(int count)
{
    QList<TaskSpec> tasks;
    for (int i = 0; i < count; ++i)
        tasks.append({u"/src/%1"_s.arg(i), u"/dst/%1"_s.arg(i)});
    return tasks;
}

const QList<ListSpec> Lists = {
    {u"まいにち"_s, {{u"/src/a"_s, u"/dst/a"_s}, {u"/src/b"_s, u"/dst/b"_s, false}, {u"/src/c"_s, u"/dst/c"_s}}},
    {u"しゅーまつ"_s, manyTasks(30)},
    {u"から"_s, {}},
};

// A move of the mouse with no button held, as the grid receives it.
void hover(QWidget* viewport, const QPoint& pos)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(pos), viewport->mapToGlobal(QPointF(pos)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &move);
}

QPoint cellCentre(TRsGrid* grid, int col, int row)
{
    return grid->CellRect(col, row).center();
}

} // namespace

class TestGrids : public QObject
{
    Q_OBJECT

private:
    static TRsGrid* grid(MainFormFixture& f, const char* name) { return f.child<TRsGrid>(name); }
    static TRsTaskList* list(MainFormFixture& f, int index) { return f.form->AManager.Items(index); }

private slots:
    void setUp();
    void selectingListsShowsTheirTasks();
    void pressLoadsTheListOnce();
    void noTaskLists();
    void checkBoxToggle_data();
    void checkBoxToggle();
    void spaceTogglesTheCurrentTask();
    void emptyListTogglesNothing();
    void rememberedRows();
    void rightClicks();
    void doubleClicksOpenTheDialogs();
    void shortenedTextsAndTooltips();
    void columnWidths();
};

void TestGrids::setUp()
{
    MainFormFixture f(Lists, stripFile());
    QVERIFY(f.open());
    TRsGrid* g1 = grid(f, "Grid101");
    TRsGrid* g2 = grid(f, "Grid201");
    QCOMPARE(g1->ColCount(), 1);
    QCOMPARE(g2->ColCount(), 3);
    QCOMPARE(g1->FixedRows(), 1);
    QCOMPARE(g1->FixedCols(), 0);
    QCOMPARE(g2->FixedCols(), 0);
    QCOMPARE(g1->RowCount(), 4);
    QCOMPARE(g2->RowCount(), 4);
    const int rowHeight = TMainForm::ScaleDesignSize(24, QGuiApplication::primaryScreen()->logicalDotsPerInchY());
    QCOMPARE(g1->DefaultRowHeight(), rowHeight);
    QCOMPARE(g2->DefaultRowHeight(), rowHeight);
    QCOMPARE(g2->ColWidths(0), rowHeight);
    QVERIFY(g1->Options().testFlag(goRowSelect));
    QVERIFY(!g1->Options().testFlag(goVertLine));
    QVERIFY(g2->Options().testFlag(goVertLine));
    QVERIFY(!g1->ViewOptions()->ShowHorzScrollBar());
    QVERIFY(g2->ViewOptions()->ShowVertScrollBar());
    if (rowHeight == 24) {
        QCOMPARE(f.form->FGridCheckBoxLeftMargin, 4);
        QCOMPARE(f.form->FGridCheckBoxTopMargin, 4);
    }
}

void TestGrids::selectingListsShowsTheirTasks()
{
    MainFormFixture f(Lists, stripFile());
    QVERIFY(f.open());
    TRsGrid* g1 = grid(f, "Grid101");
    TRsGrid* g2 = grid(f, "Grid201");
    QCOMPARE(f.form->windowTitle(), u"つみき！ - まいにち"_s);

    QTest::mouseClick(g1->viewport(), Qt::LeftButton, {}, cellCentre(g1, 0, 2));
    QCOMPARE(g1->Row(), 2);
    QCOMPARE(g2->RowCount(), 31);
    QCOMPARE(f.form->windowTitle(), u"つみき！ - しゅーまつ"_s);

    // The keyboard moves the selection and loads the list as well.
    g1->setFocus();
    QTest::keyClick(g1, Qt::Key_Down);
    QCOMPARE(g1->Row(), 3);
    QCOMPARE(g2->RowCount(), 2); // a list without tasks keeps one empty row
    QCOMPARE(f.form->windowTitle(), u"つみき！ - から"_s);

    // So does a change by the program.
    g1->SetRow(1);
    QCOMPARE(g2->RowCount(), 4);
    QCOMPARE(f.form->windowTitle(), u"つみき！ - まいにち"_s);
}

void TestGrids::pressLoadsTheListOnce()
{
    MainFormFixture f(Lists, stripFile());
    QVERIFY(f.open());
    TRsGrid* g1 = grid(f, "Grid101");
    TRsGrid* g2 = grid(f, "Grid201");
    list(f, 1)->LastRow = 5;
    QTest::mousePress(g1->viewport(), Qt::LeftButton, {}, cellCentre(g1, 0, 2));
    QVERIFY(f.form->FGrid101LeftClicked);
    QCOMPARE(g2->RowCount(), 31);
    QCOMPARE(g2->Row(), 5);
    // The completed click at the release does not load the list a second time.
    g2->SetRow(9);
    QTest::mouseRelease(g1->viewport(), Qt::LeftButton, {}, cellCentre(g1, 0, 2));
    QVERIFY(!f.form->FGrid101LeftClicked);
    QCOMPARE(g2->Row(), 9);
}

void TestGrids::noTaskLists()
{
    MainFormFixture f({}, stripFile());
    QVERIFY(f.open());
    TRsGrid* g1 = grid(f, "Grid101");
    TRsGrid* g2 = grid(f, "Grid201");
    QCOMPARE(g1->RowCount(), 2);
    QCOMPARE(g2->RowCount(), 2);
    QCOMPARE(f.form->windowTitle(), u"つみき！"_s);
    QVERIFY(!f.form->SelectedTaskList());
    QTest::mouseClick(g1->viewport(), Qt::LeftButton, {}, cellCentre(g1, 0, 1));
    QTest::mouseClick(g1->viewport(), Qt::RightButton, {}, cellCentre(g1, 0, 1));
    QTest::mouseClick(g2->viewport(), Qt::LeftButton, {}, cellCentre(g2, 0, 1));
    QVERIFY(!f.form->FGrid101LeftClicked);
    QCOMPARE(g2->RowCount(), 2);
    QCOMPARE(f.form->windowTitle(), u"つみき！"_s);
    g1->grab(); // drawing an empty grid is harmless
    g2->grab();
}

void TestGrids::checkBoxToggle_data()
{
    QTest::addColumn<QPoint>("offset"); // from the cell's top-left corner
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("toggles");
    // The box is the 16 x 16 square at the check box margins.
    QTest::addRow("centre of the box") << QPoint(-1, -1) << int(Qt::NoModifier) << true;
    QTest::addRow("box top-left pixel") << QPoint(-2, -2) << int(Qt::NoModifier) << true;
    QTest::addRow("box bottom-right pixel") << QPoint(-3, -3) << int(Qt::NoModifier) << true;
    QTest::addRow("cell corner, outside the box") << QPoint(1, 1) << int(Qt::NoModifier) << false;
    QTest::addRow("shift") << QPoint(-1, -1) << int(Qt::ShiftModifier) << false;
    QTest::addRow("ctrl") << QPoint(-1, -1) << int(Qt::ControlModifier) << false;
    QTest::addRow("alt") << QPoint(-1, -1) << int(Qt::AltModifier) << false;
}

void TestGrids::checkBoxToggle()
{
    QFETCH(QPoint, offset);
    QFETCH(int, modifiers);
    QFETCH(bool, toggles);
    MainFormFixture f(Lists, stripFile());
    QVERIFY(f.open());
    TRsGrid* g2 = grid(f, "Grid201");
    const QRect cell = g2->CellRect(0, 2);
    const QPoint box(cell.left() + f.form->FGridCheckBoxLeftMargin, cell.top() + f.form->FGridCheckBoxTopMargin);
    QPoint pos = cell.topLeft() + offset;
    if (offset == QPoint(-1, -1))
        pos = box + QPoint(8, 8);
    else if (offset == QPoint(-2, -2))
        pos = box;
    else if (offset == QPoint(-3, -3))
        pos = box + QPoint(15, 15);
    TRsTaskItem* task = list(f, 0)->Items(1);
    QVERIFY(!task->Enabled);
    QTest::mouseClick(g2->viewport(), Qt::LeftButton, Qt::KeyboardModifiers(modifiers), pos);
    QCOMPARE(task->Enabled, toggles);
    // Only the pressed task changes.
    QVERIFY(list(f, 0)->Items(0)->Enabled);
    QVERIFY(list(f, 0)->Items(2)->Enabled);
    if (modifiers == Qt::NoModifier)
        QCOMPARE(g2->Row(), 2); // the press selects the row either way
    if (toggles) {
        // The flag reaches the task list file at exit.
        f.form.reset();
        TRsTaskList reread;
        QVERIFY(reread.LoadFromFile(f.path(u"まいにち.ini"_s)));
        QVERIFY(reread.Items(1)->Enabled);
    }
}

void TestGrids::spaceTogglesTheCurrentTask()
{
    MainFormFixture f(Lists, stripFile());
    QVERIFY(f.open());
    TRsGrid* g2 = grid(f, "Grid201");
    g2->setFocus();
    g2->SetRow(3);
    TRsTaskItem* task = list(f, 0)->Items(2);
    QVERIFY(task->Enabled);
    QTest::keyClick(g2, Qt::Key_Space);
    QVERIFY(!task->Enabled);
    QTest::keyClick(g2, Qt::Key_Space, Qt::ControlModifier);
    QVERIFY(!task->Enabled);
    QTest::keyClick(g2, Qt::Key_Space);
    QVERIFY(task->Enabled);
    QCOMPARE(g2->Row(), 3);
}

void TestGrids::emptyListTogglesNothing()
{
    MainFormFixture f(Lists, stripFile(), 3);
    QVERIFY(f.open());
    TRsGrid* g2 = grid(f, "Grid201");
    QCOMPARE(f.form->SelectedTaskList(), list(f, 2));
    const QRect cell = g2->CellRect(0, 1);
    QTest::mouseClick(g2->viewport(), Qt::LeftButton, {},
                      cell.topLeft() + QPoint(f.form->FGridCheckBoxLeftMargin + 8, f.form->FGridCheckBoxTopMargin + 8));
    g2->setFocus();
    QTest::keyClick(g2, Qt::Key_Space);
    QCOMPARE(list(f, 2)->Count(), 0);
    g2->grab();
}

void TestGrids::rememberedRows()
{
    MainFormFixture f(Lists, stripFile(), 2);
    QVERIFY(f.open());
    TRsGrid* g1 = grid(f, "Grid101");
    TRsGrid* g2 = grid(f, "Grid201");
    g2->setFocus();
    QTRY_VERIFY(g2->hasFocus());
    g2->SetRow(25); // scrolls the grid
    QVERIFY(g2->TopRow() > 1);
    const int top = g2->TopRow();
    g1->setFocus(); // leaving the task grid remembers its rows
    QTRY_VERIFY(g1->hasFocus());
    QCOMPARE(list(f, 1)->LastRow, 25);
    QCOMPARE(list(f, 1)->LastTopRow, top);

    QTest::mouseClick(g1->viewport(), Qt::LeftButton, {}, cellCentre(g1, 0, 1));
    QCOMPARE(g2->Row(), 1);
    QCOMPARE(g2->TopRow(), 1);
    QTest::mouseClick(g1->viewport(), Qt::LeftButton, {}, cellCentre(g1, 0, 2));
    QCOMPARE(g2->Row(), 25);
    QCOMPARE(g2->TopRow(), top);
}

void TestGrids::rightClicks()
{
    MainFormFixture f(Lists, stripFile());
    QVERIFY(f.open());
    TRsGrid* g1 = grid(f, "Grid101");
    TRsGrid* g2 = grid(f, "Grid201");
    auto* menu1 = f.child<QMenu>("Grid101Menu");
    QSignalSpy popup1(menu1, &QMenu::aboutToShow);

    // Right-clicking a task list selects and loads it before its menu opens.
    QTest::mousePress(g1->viewport(), Qt::RightButton, {}, cellCentre(g1, 0, 2));
    QCOMPARE(g1->Row(), 2);
    QCOMPARE(g2->RowCount(), 31);
    QContextMenuEvent context(QContextMenuEvent::Mouse, cellCentre(g1, 0, 2), g1->viewport()->mapToGlobal(cellCentre(g1, 0, 2)));
    QCoreApplication::sendEvent(g1->viewport(), &context);
    QTRY_COMPARE(popup1.count(), 1);
    QVERIFY(menu1->isVisible());
    QCOMPARE(menu1->actions().size(), 9);
    menu1->close();
    QTest::mouseRelease(g1->viewport(), Qt::RightButton, {}, cellCentre(g1, 0, 2));

    // In the task grid a right press on a path selects that cell; on the check column it does not.
    g2->SetRow(1);
    QTest::mouseClick(g2->viewport(), Qt::RightButton, {}, cellCentre(g2, 0, 3));
    QCOMPARE(g2->Row(), 1);
    QTest::mouseClick(g2->viewport(), Qt::RightButton, {}, cellCentre(g2, 2, 4));
    QCOMPARE(g2->Row(), 4);
    QCOMPARE(g2->Col(), 2);
    QTest::mouseClick(g2->viewport(), Qt::RightButton, Qt::ShiftModifier, cellCentre(g2, 1, 2));
    QCOMPARE(g2->Row(), 4);
    // A right press never toggles a check box.
    QVERIFY(list(f, 1)->Items(2)->Enabled);
}

void TestGrids::doubleClicksOpenTheDialogs()
{
    MainFormFixture f(Lists, stripFile());
    QVERIFY(f.open());
    // Each dialog is closed again as soon as it shows.
    ModalDialogCloser closer;
    QSignalSpy configList(f.form->Action(u"ActTaskListConfigTaskList"_s), &QAction::triggered);
    QSignalSpy configTask(f.form->Action(u"ActTaskConfigTask"_s), &QAction::triggered);
    TRsGrid* g1 = grid(f, "Grid101");
    TRsGrid* g2 = grid(f, "Grid201");
    QTest::mouseDClick(g1->viewport(), Qt::LeftButton, {}, cellCentre(g1, 0, 1));
    QCOMPARE(configList.count(), 1);
    QTest::mouseDClick(g2->viewport(), Qt::LeftButton, {}, cellCentre(g2, 1, 1));
    QCOMPARE(configTask.count(), 1);
    QVERIFY(list(f, 0)->Items(0)->Enabled);

    // On a check box: the first press toggles, the second opens the dialog and toggles again after.
    TRsTaskItem* task = list(f, 0)->Items(0);
    bool enabledWhileDialogOpen = false;
    connect(f.form->Action(u"ActTaskConfigTask"_s), &QAction::triggered, this,
            [&] { enabledWhileDialogOpen = task->Enabled; });
    const QRect cell = g2->CellRect(0, 1);
    const QPoint box = cell.topLeft() + QPoint(f.form->FGridCheckBoxLeftMargin + 8, f.form->FGridCheckBoxTopMargin + 8);
    // What a double click delivers: press, release, double-click press, release.
    QTest::mouseClick(g2->viewport(), Qt::LeftButton, {}, box);
    QVERIFY(!task->Enabled);
    QTest::mouseDClick(g2->viewport(), Qt::LeftButton, {}, box);
    QTest::mouseRelease(g2->viewport(), Qt::LeftButton, {}, box);
    QCOMPARE(configTask.count(), 2);
    QVERIFY(!enabledWhileDialogOpen);
    QVERIFY(task->Enabled);
    QCOMPARE(closer.closed, 3);
}

void TestGrids::shortenedTextsAndTooltips()
{
    const QString longName = u"とても ながい なまえの タスク リスト、なかなか おわらない なまえ、まだ つづく なまえ"_s;
    const QString longPath = u"/home/user/しゃしん/2026ねん/りょこー/ほっかいどー/さっぽろ/ゆきまつり/よる"_s;
    MainFormFixture f({{longName, {{longPath, u"/b"_s}}}, {u"みじかい"_s, {}}}, stripFile());
    QVERIFY(f.open());
    TRsGrid* g1 = grid(f, "Grid101");
    TRsGrid* g2 = grid(f, "Grid201");
    g1->grab();
    g2->grab();
    TRsTaskList* first = list(f, 0);
    QVERIFY(first->IsTruncated);
    QVERIFY(!list(f, 1)->IsTruncated);
    QVERIFY(first->Items(0)->IsSrcTruncated);
    QVERIFY(!first->Items(0)->IsDstTruncated);

    hover(g1->viewport(), cellCentre(g1, 0, 1));
    QCOMPARE(g1->viewport()->toolTip(), longName);
    // Resting there shows it.
    QHelpEvent rest(QEvent::ToolTip, cellCentre(g1, 0, 1), g1->viewport()->mapToGlobal(cellCentre(g1, 0, 1)));
    QCoreApplication::sendEvent(g1->viewport(), &rest);
    QTRY_COMPARE(QToolTip::text(), longName);
    hover(g1->viewport(), cellCentre(g1, 0, 2));
    QVERIFY(g1->viewport()->toolTip().isEmpty());
    hover(g2->viewport(), cellCentre(g2, 1, 1));
    QCOMPARE(g2->viewport()->toolTip(), longPath);
    hover(g2->viewport(), cellCentre(g2, 2, 1));
    QVERIFY(g2->viewport()->toolTip().isEmpty());
    hover(g2->viewport(), cellCentre(g2, 0, 1));
    QVERIFY(g2->viewport()->toolTip().isEmpty());

    // Widened enough, the text fits and the tooltip is gone.
    f.form->resize(3000, f.form->height());
    f.child<QWidget>("LeftPanel")->setFixedWidth(2000);
    QTRY_VERIFY(g1->viewport()->width() > 1900);
    g1->grab();
    QVERIFY(!first->IsTruncated);
    hover(g1->viewport(), cellCentre(g1, 0, 1) + QPoint(1, 0));
    QVERIFY(g1->viewport()->toolTip().isEmpty());

    // Too narrow for even one character: an empty cell, the tooltip shows the whole text.
    f.child<QWidget>("LeftPanel")->setFixedWidth(40);
    QTRY_VERIFY(g1->viewport()->width() < 40);
    g1->grab();
    QVERIFY(first->IsTruncated);
    hover(g1->viewport(), QPoint(3, g1->CellRect(0, 1).center().y()));
    QCOMPARE(g1->viewport()->toolTip(), longName);
}

void TestGrids::columnWidths()
{
    MainFormFixture f(Lists, stripFile());
    QVERIFY(f.open());
    TRsGrid* g1 = grid(f, "Grid101");
    TRsGrid* g2 = grid(f, "Grid201");
    for (int width : {700, 731, 1000}) {
        f.form->resize(width, f.form->height());
        QTRY_COMPARE(g1->ColWidths(0), g1->viewport()->width());
        const int cw = g2->viewport()->width();
        const int w0 = g2->ColWidths(0);
        QCOMPARE(g2->ColWidths(1), (cw - w0 - 3) / 2);
        QCOMPARE(w0 + g2->ColWidths(1) + g2->ColWidths(2) + 3, cw);
    }
}

QTEST_MAIN(TestGrids)
#include "tst_grids.moc"
