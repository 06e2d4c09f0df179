// The main window driven headless: layout, actions and menus, button pictures, help, header
// routing and focus lamps, side strips, command strip states, the log pane's select-all, quit.

#include "DialogDriver.h"
#include "MainFormFixture.h"

#include "app/Lang.h"
#include "RsUnits/RsGrid.h"
#include "RsUnits/RsImageList.h"
#include "RsUnits/RsLogView.h"
#include "RsUnits/RsPanel.h"
#include "RsUnits/RsPngButton.h"
#include "RsUnits/RsSpacer.h"
#include "RsUnits/RsSplitter.h"
#include "ui/MainWidgets.h"

#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

QString stripFile()
{
    return QFINDTESTDATA("../../resources/dist/Image/Tmk24.png");
}

const QList<ListSpec> TwoLists = {
    {u"まいにち"_s, {{u"/src/a"_s, u"/dst/a"_s}, {u"/src/b"_s, u"/dst/b"_s, false}, {u"/src/c"_s, u"/dst/c"_s}}},
    {u"しゅーまつ"_s, {{u"/srv/data"_s, u"/mnt/nas"_s}}},
};

// The colour in the middle of a paint box as painted now.
QColor lampColor(QWidget* box)
{
    const QImage image = box->grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

const QColor LitColor(255, 209, 25);

// Receives the URLs the window hands to the desktop.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls << url; }
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    static bool& running(TMainForm* form) { return form->FIsBackupRunning; }
    static int scaled(int size)
    {
        return TMainForm::ScaleDesignSize(size, QGuiApplication::primaryScreen()->logicalDotsPerInchY());
    }

private slots:
    void layoutObjects_data();
    void layoutObjects();
    void paneSizes();
    void actions_data();
    void actions();
    void mainMenu();
    void popupMenusMirrorWithoutStop();
    void buttonImages();
    void missingStripShowsOneBoxAndWindowOpens();
    void help();
    void headerRouting_data();
    void headerRouting();
    void focusLampsFollowTheFocus();
    void sideStripCentresTheButtons();
    void commandStripStates();
    void logPaneSelectAll_data();
    void logPaneSelectAll();
    void quitStopsTheRun();
    void unknownCommandLineListFallsBackToInteractive();
    void storedRowIsSelected();
    void helpers_data();
    void helpers();
    void textTopMargin_data();
    void textTopMargin();
    void scaling_data();
    void scaling();
};

void TestMainWindow::layoutObjects_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    const char* const rows[][2] = {
        {"CommandPanel", "TRsPanel"},   {"PngButton001", "TRsPngButton"}, {"PngButton002", "TRsPngButton"},
        {"PngButton003", "TRsPngButton"}, {"SpacerV001", "TRsSpacer"},   {"SpacerV002", "TRsSpacer"},
        {"SpacerV003", "TRsSpacer"},    {"Image001", "QLabel"},         {"TopPanel", "QWidget"},
        {"Spacer1", "TRsSpacer"},       {"LeftPanel", "QWidget"},       {"Panel101", "TRsPanel"},
        {"PaintBox101", "TPaintBox"},   {"PngButton101", "TRsPngButton"}, {"PngButton103", "TRsPngButton"},
        {"SpacerV101", "TRsSpacer"},    {"SpacerH101", "TRsSpacer"},    {"SpacerH102", "TRsSpacer"},
        {"Panel102", "TRsPanel"},       {"PngButton104", "TRsPngButton"}, {"PngButton105", "TRsPngButton"},
        {"Grid101", "TRsGrid"},         {"Splitter1", "TRsSplitter"},   {"RightPanel", "QWidget"},
        {"Panel201", "TRsPanel"},       {"PaintBox201", "TPaintBox"},   {"PngButton201", "TRsPngButton"},
        {"PngButton205", "TRsPngButton"}, {"SpacerV201", "TRsSpacer"},  {"SpacerH201", "TRsSpacer"},
        {"SpacerH202", "TRsSpacer"},    {"Panel202", "TRsPanel"},       {"Grid201", "TRsGrid"},
        {"Splitter2", "TRsSplitter"},   {"BottomPanel", "TRsPanel"},    {"Panel301", "TRsPanel"},
        {"PaintBox301", "TPaintBox"},   {"Memo301", "TRsLogView"},
    };
    for (const auto& row : rows)
        QTest::addRow("%s", row[0]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1]);
}

void TestMainWindow::layoutObjects()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    MainFormFixture f(TwoLists, stripFile());
    QVERIFY(f.open());
    const QList<QWidget*> found = f.form->findChildren<QWidget*>(name);
    QCOMPARE(found.size(), 1);
    QVERIFY2(found.first()->inherits(className.toLatin1().constData()), qPrintable(name));
    QVERIFY(found.first()->isVisible());
}

void TestMainWindow::paneSizes()
{
    MainFormFixture f(TwoLists, stripFile());
    QVERIFY(f.open());
    QCOMPARE(f.child<QWidget>("CommandPanel")->height(), scaled(26));
    QCOMPARE(f.child<QWidget>("PngButton001")->size(), QSize(scaled(56), scaled(26)));
    QCOMPARE(f.child<QWidget>("SpacerV002")->width(), scaled(10));
    QCOMPARE(f.child<QWidget>("Image001")->size(), QSize(scaled(26), scaled(26)));
    QCOMPARE(f.child<QWidget>("Panel201")->height(), scaled(30));
    QCOMPARE(f.child<QWidget>("PngButton202")->size(), QSize(scaled(28), scaled(26)));
    QCOMPARE(f.child<QWidget>("PaintBox101")->geometry(), QRect(scaled(4), scaled(12), scaled(16), scaled(6)));
    QCOMPARE(f.child<QWidget>("Panel102")->width(), scaled(30));
    QCOMPARE(f.child<QWidget>("Spacer1")->height(), scaled(2));
    QCOMPARE(f.child<QWidget>("LeftPanel")->width(), 361);
    QCOMPARE(f.child<QWidget>("BottomPanel")->height(), 150);
    QCOMPARE(f.child<TRsSplitter>("Splitter1")->MinSize(), 3 * scaled(56) + 3 * scaled(10));
    // The pane buttons sit in the header's right part, left to right, after the etched bar.
    auto* header = f.child<QWidget>("Panel101");
    const int b1 = f.child<QWidget>("PngButton101")->x();
    const int b2 = f.child<QWidget>("PngButton102")->x();
    const int b3 = f.child<QWidget>("PngButton103")->x();
    QVERIFY(f.child<QWidget>("SpacerV101")->x() < b1);
    QVERIFY(b1 < b2 && b2 < b3);
    QCOMPARE(b3 + scaled(28), header->width());
    // The log pane starts empty, without a border or an input method, with its vertical bar only.
    auto* memo = f.child<TRsLogView>("Memo301");
    QCOMPARE(memo->lineCount(), 0);
    QCOMPARE(memo->frameShape(), QFrame::NoFrame);
    QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(!memo->testAttribute(Qt::WA_InputMethodEnabled));
}

void TestMainWindow::actions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("tag");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::addRow("ActFileQuit") << u"ActFileQuit"_s << 0 << QKeySequence();
    QTest::addRow("ActFileQuitAll") << u"ActFileQuitAll"_s << 0 << QKeySequence(Qt::CTRL | Qt::Key_Q);
    QTest::addRow("ActTaskListAddTaskList") << u"ActTaskListAddTaskList"_s << 1 << QKeySequence();
    QTest::addRow("ActTaskListRunTaskList") << u"ActTaskListRunTaskList"_s << 1 << QKeySequence();
    QTest::addRow("ActTaskListStopTaskList") << u"ActTaskListStopTaskList"_s << 1 << QKeySequence();
    QTest::addRow("ActTaskMoveTaskDownward") << u"ActTaskMoveTaskDownward"_s << 2 << QKeySequence();
    QTest::addRow("ActTaskTestTask") << u"ActTaskTestTask"_s << 2 << QKeySequence();
    QTest::addRow("ActToolShowShortcutKey") << u"ActToolShowShortcutKey"_s << 3 << QKeySequence();
    QTest::addRow("ActHelpShowHelp") << u"ActHelpShowHelp"_s << 4 << QKeySequence(Qt::Key_F1);
    QTest::addRow("ActHelpShowVersionInfo") << u"ActHelpShowVersionInfo"_s << 4 << QKeySequence();
    QTest::addRow("ActPopMinimizeRestoreWindow") << u"ActPopMinimizeRestoreWindow"_s << 5 << QKeySequence();
}

void TestMainWindow::actions()
{
    QFETCH(QString, name);
    QFETCH(int, tag);
    QFETCH(QKeySequence, shortcut);
    MainFormFixture f(TwoLists, stripFile());
    QVERIFY(f.open());
    auto* action = f.form->findChild<QAction*>(name);
    QVERIFY(action);
    QCOMPARE(f.form->Action(name), action);
    QCOMPARE(action->data().toInt(), tag);
    QCOMPARE(action->shortcut(), shortcut);
    QVERIFY(action->isEnabled());
    const QString expected = name == u"ActPopMinimizeRestoreWindow"_s
                                 ? DefaultLangText(u"Lang: Menu"_s, u"MinimizeToTrayCaption"_s)
                                 : DefaultLangText(u"MainForm"_s, name + u".Caption"_s);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(action->text(), expected);
}

void TestMainWindow::mainMenu()
{
    MainFormFixture f(TwoLists, stripFile());
    QVERIFY(f.open());
    const auto describe = [](const QMenu* menu) {
        QStringList items;
        for (QAction* a : menu->actions())
            items << (a->isSeparator() ? u"-"_s : a->menu() ? a->menu()->objectName() : a->objectName());
        return items.join(u' ');
    };
    QStringList titles;
    QStringList menus;
    for (QAction* top : f.form->menuBar()->actions()) {
        titles << top->text();
        menus << top->menu()->objectName() + u": "_s + describe(top->menu());
    }
    QCOMPARE(titles, QStringList({u"ファイル(&F)"_s, u"タスク リスト(&L)"_s, u"タスク(&K)"_s, u"ツール(&T)"_s,
                                  u"ヘルプ(&H)"_s}));
    QCOMPARE(menus, QStringList({
                        u"File1: ActFileQuit ActFileQuitAll"_s,
                        u"TaskList1: ActTaskListAddTaskList ActTaskListDeleteTaskList ActTaskListConfigTaskList - "
                        "ActTaskListMoveTaskListUpward ActTaskListMoveTaskListDownward - ActTaskListTestTaskList "
                        "ActTaskListRunTaskList ActTaskListStopTaskList"_s,
                        u"Task1: ActTaskAddTask ActTaskDeleteTask ActTaskConfigTask - ActTaskMoveTaskUpward "
                        "ActTaskMoveTaskDownward - ActTaskTestTask ActTaskRunTask ActTaskStopTask"_s,
                        u"Tool1: ActToolShowShortcutKey - Language1"_s,
                        u"Help1: ActHelpShowHelp ActHelpShowVersionInfo"_s,
                    }));
    QCOMPARE(f.child<QMenu>("Language1")->title(), u"ことば(&L)"_s);
}

void TestMainWindow::popupMenusMirrorWithoutStop()
{
    MainFormFixture f(TwoLists, stripFile());
    QVERIFY(f.open());
    struct Pair
    {
        const char* popup;
        const char* source;
    };
    for (const Pair& p : {Pair{"Grid101Menu", "TaskList1"}, Pair{"Grid201Menu", "Task1"}}) {
        auto* popup = f.child<QMenu>(p.popup);
        auto* source = f.child<QMenu>(p.source);
        QVERIFY(popup && source);
        source->actions().at(1)->setEnabled(false); // the copy shows the same enabled state
        emit popup->aboutToShow();
        emit popup->aboutToShow(); // filled anew each time, never appended to
        const QList<QAction*> from = source->actions();
        const QList<QAction*> to = popup->actions();
        QCOMPARE(to.size(), from.size() - 1);
        for (int i = 0; i < to.size(); ++i) {
            QCOMPARE(to.at(i)->isSeparator(), from.at(i)->isSeparator());
            if (!to.at(i)->isSeparator()) {
                QCOMPARE(to.at(i)->text(), from.at(i)->text());
                QCOMPARE(to.at(i)->isEnabled(), from.at(i)->isEnabled());
            }
            QVERIFY(!to.at(i)->objectName().contains(u"Stop"_s));
        }
        QVERIFY(from.last()->objectName().contains(u"Stop"_s));
        source->actions().at(1)->setEnabled(true);
    }
}

void TestMainWindow::buttonImages()
{
    MainFormFixture f(TwoLists, stripFile());
    QVERIFY(f.open());
    QCOMPARE(f.boxes.count(), 0);
    auto* strip = f.form->findChild<TRsImageList*>(u"PngImageList24"_s);
    QVERIFY(strip);
    QCOMPARE(strip->Count(), 32);
    // Pane buttons show their strip cell and only a tooltip: the command's caption without "(&X)".
    const QImage cell = strip->Image(13);
    auto* config = f.child<TRsPngButton>("PngButton203");
    QCOMPARE(config->GlyphUp().toImage().convertToFormat(QImage::Format_ARGB32),
             cell.convertToFormat(QImage::Format_ARGB32));
    QVERIFY(config->Caption().isEmpty());
    QCOMPARE(config->Hint(), u"タスクの せってー"_s);
    QVERIFY(config->ShowHint());
    QCOMPARE(config->Action(), f.form->Action(u"ActTaskConfigTask"_s));
    QCOMPARE(f.child<TRsPngButton>("PngButton105")->Action(), f.form->Action(u"ActTaskListMoveTaskListDownward"_s));
    QCOMPARE(f.child<TRsPngButton>("PngButton105")->Hint(), u"タスク リストを したへ"_s);
    // Pressing a pane button executes its command (its dialog is closed at once).
    ModalDialogCloser closer;
    QSignalSpy triggered(f.form->Action(u"ActTaskListAddTaskList"_s), &QAction::triggered);
    f.child<TRsPngButton>("PngButton101")->Click();
    QCOMPARE(triggered.count(), 1);
}

void TestMainWindow::missingStripShowsOneBoxAndWindowOpens()
{
    MainFormFixture f(TwoLists); // no Image/Tmk24.png
    QVERIFY(f.open());
    QCOMPARE(f.boxes.count(), 1);
    const auto& box = f.boxes.last();
    QCOMPARE(box.type, TMsgDlgType::Error);
    QCOMPARE(box.buttons, TMsgDlgButtons::OK);
    QCOMPARE(box.owner, f.form.get());
    QCOMPARE(box.text, MsgErrorFileNotFound + u"\n\n"_s + ProgramDirectory() + u"Image/Tmk24.png"_s);
    QVERIFY(f.form->isVisible());
    for (const char* name : {"PngButton001", "PngButton101", "PngButton205"})
        QVERIFY2(f.child<TRsPngButton>(name)->GlyphUp().isNull(), name);
    // Everything else works: the grids show the lists and the buttons still carry their commands.
    QCOMPARE(f.child<TRsGrid>("Grid201")->RowCount(), 4);
    QCOMPARE(f.child<TRsPngButton>("PngButton001")->Action(), f.form->Action(u"ActTaskListTestTaskList"_s));
}

void TestMainWindow::help()
{
    MainFormFixture f(TwoLists, stripFile());
    QVERIFY(f.open());
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(u"file"_s, &catcher, "open");
    QAction* help = f.form->Action(u"ActHelpShowHelp"_s);

    help->trigger();
    QCOMPARE(catcher.urls.size(), 0);
    QCOMPARE(f.boxes.count(), 1);
    QCOMPARE(f.boxes.last().type, TMsgDlgType::Error);
    QCOMPARE(f.boxes.last().text, MsgErrorFileNotFound + u"\n\n"_s + ProgramDirectory() + u"Help/index.html"_s);
    QCOMPARE(f.boxes.last().owner, nullptr);

    QDir(f.dir->path()).mkpath(u"Help"_s);
    QVERIFY(testsupport::writeBytes(f.path(u"Help/index.html"_s), "<html></html>"));
    // F1 reaches the help wherever the focus is in the window.
    f.child<QWidget>("Grid201")->setFocus();
    QTest::keyClick(f.form.get(), Qt::Key_F1);
    QDesktopServices::unsetUrlHandler(u"file"_s);
    QCOMPARE(f.boxes.count(), 1);
    QCOMPARE(catcher.urls, QList<QUrl>({QUrl::fromLocalFile(ProgramDirectory() + u"Help/index.html"_s)}));
}

void TestMainWindow::headerRouting_data()
{
    QTest::addColumn<QString>("pressed");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("focused"); // empty: the focus stays where it was
    const int none = Qt::NoModifier;
    QTest::addRow("Panel201 left") << u"Panel201"_s << int(Qt::LeftButton) << none << u"Grid201"_s;
    QTest::addRow("Panel201 right") << u"Panel201"_s << int(Qt::RightButton) << none << u"Grid201"_s;
    QTest::addRow("Panel201 middle") << u"Panel201"_s << int(Qt::MiddleButton) << none << QString();
    QTest::addRow("Panel201 shift") << u"Panel201"_s << int(Qt::LeftButton) << int(Qt::ShiftModifier) << QString();
    QTest::addRow("Panel201 ctrl") << u"Panel201"_s << int(Qt::LeftButton) << int(Qt::ControlModifier) << QString();
    QTest::addRow("Panel201 alt") << u"Panel201"_s << int(Qt::RightButton) << int(Qt::AltModifier) << QString();
    QTest::addRow("SpacerH201") << u"SpacerH201"_s << int(Qt::LeftButton) << none << u"Grid201"_s;
    QTest::addRow("SpacerH202") << u"SpacerH202"_s << int(Qt::LeftButton) << none << u"Grid201"_s;
    QTest::addRow("SpacerV201") << u"SpacerV201"_s << int(Qt::LeftButton) << none << u"Grid201"_s;
    QTest::addRow("PaintBox201") << u"PaintBox201"_s << int(Qt::LeftButton) << none << u"Grid201"_s;
    QTest::addRow("Panel202") << u"Panel202"_s << int(Qt::LeftButton) << none << u"Grid201"_s;
    QTest::addRow("Panel301") << u"Panel301"_s << int(Qt::LeftButton) << none << u"Memo301"_s;
    QTest::addRow("PaintBox301") << u"PaintBox301"_s << int(Qt::RightButton) << none << u"Memo301"_s;
    QTest::addRow("Panel301 middle") << u"Panel301"_s << int(Qt::MiddleButton) << none << QString();
    QTest::addRow("SpacerH102 to Grid101") << u"SpacerH102"_s << int(Qt::LeftButton) << none << u"Grid101"_s;
}

void TestMainWindow::headerRouting()
{
    QFETCH(QString, pressed);
    QFETCH(int, button);
    QFETCH(int, modifiers);
    QFETCH(QString, focused);
    MainFormFixture f(TwoLists, stripFile());
    QVERIFY(f.open());
    // Start from the other grid so that a move of the focus shows.
    QWidget* start = f.child<QWidget>(focused == u"Grid101"_s ? "Grid201" : "Grid101");
    start->setFocus();
    QTRY_VERIFY(start->hasFocus());
    auto* target = f.form->findChild<QWidget*>(pressed);
    QVERIFY(target);
    QTest::mousePress(target, Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers), QPoint(3, 1));
    QTest::mouseRelease(target, Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers), QPoint(3, 1));
    QWidget* expected = focused.isEmpty() ? start : f.form->findChild<QWidget*>(focused);
    QTRY_COMPARE(f.form->focusWidget(), expected);
}

void TestMainWindow::focusLampsFollowTheFocus()
{
    MainFormFixture f(TwoLists, stripFile());
    QVERIFY(f.open());
    const struct
    {
        const char* control;
        const char* lamp;
    } panes[] = {{"Grid101", "PaintBox101"}, {"Grid201", "PaintBox201"}, {"Memo301", "PaintBox301"}};
    for (const auto& pane : panes) {
        f.child<QWidget>(pane.control)->setFocus();
        QTRY_VERIFY(f.child<QWidget>(pane.control)->hasFocus());
        for (const auto& other : panes) {
            const bool lit = lampColor(f.child<QWidget>(other.lamp)) == LitColor;
            QVERIFY2(lit == (other.lamp == pane.lamp), other.lamp);
        }
    }
    // The frame is drawn on the lamp's edge in both states.
    const QImage lamp = f.child<QWidget>("PaintBox301")->grab().toImage();
    QCOMPARE(lamp.pixelColor(0, 0), QColor(220, 220, 220));
    QCOMPARE(lamp.pixelColor(lamp.width() / 2, 1), LitColor);
}

void TestMainWindow::sideStripCentresTheButtons()
{
    MainFormFixture f(TwoLists, stripFile());
    QVERIFY(f.open());
    for (const char* strip : {"Panel102", "Panel202"}) {
        auto* panel = f.child<QWidget>(strip);
        const bool lists = QByteArray(strip) == "Panel102";
        auto* upper = f.child<QWidget>(lists ? "PngButton104" : "PngButton204");
        auto* lower = f.child<QWidget>(lists ? "PngButton105" : "PngButton205");
        upper->setFixedHeight(26);
        lower->setFixedHeight(26);
        panel->setFixedHeight(200);
        QTRY_COMPARE(panel->height(), 200);
        QCOMPARE(upper->y(), 67);
        QCOMPARE(lower->y(), 106);
        panel->setFixedHeight(100); // (100 - 52 - 13) div 2
        QTRY_COMPARE(panel->height(), 100);
        QCOMPARE(upper->y(), 17);
        QCOMPARE(lower->y(), 56);
    }
}

void TestMainWindow::commandStripStates()
{
    MainFormFixture f(TwoLists, stripFile());
    QVERIFY(f.open());
    auto* b1 = f.child<TRsPngButton>("PngButton001");
    auto* b2 = f.child<TRsPngButton>("PngButton002");
    auto* b3 = f.child<TRsPngButton>("PngButton003");
    auto* strip = f.form->findChild<TRsImageList*>(u"PngImageList24"_s);
    const auto glyphIs = [strip](TRsPngButton* b, int index) {
        return b->GlyphUp().toImage().convertToFormat(QImage::Format_ARGB32) ==
               strip->Image(index).convertToFormat(QImage::Format_ARGB32);
    };

    f.child<QWidget>("Grid201")->setFocus();
    QTRY_COMPARE(b1->Action(), f.form->Action(u"ActTaskTestTask"_s));
    QCOMPARE(b2->Action(), f.form->Action(u"ActTaskRunTask"_s));
    QCOMPARE(b3->Action(), f.form->Action(u"ActTaskStopTask"_s));
    QVERIFY(glyphIs(b1, 8) && glyphIs(b2, 9) && glyphIs(b3, 10));
    QVERIFY(b1->isEnabled() && b2->isEnabled() && b3->isEnabled());
    QCOMPARE(b2->Hint(), u"タスクの じっこー"_s);
    QVERIFY(b2->Caption().isEmpty());

    f.child<QWidget>("Memo301")->setFocus();
    QTRY_VERIFY(!b1->isEnabled());
    QVERIFY(!b2->isEnabled() && !b3->isEnabled());
    QVERIFY(!b1->ShowHint() && !b2->ShowHint() && !b3->ShowHint());
    QCOMPARE(b1->Action(), f.form->Action(u"ActTaskTestTask"_s)); // the log state keeps the bindings

    f.child<QWidget>("Grid101")->setFocus();
    QTRY_COMPARE(b1->Action(), f.form->Action(u"ActTaskListTestTaskList"_s));
    QCOMPARE(b3->Action(), f.form->Action(u"ActTaskListStopTaskList"_s));
    QVERIFY(glyphIs(b1, 0) && glyphIs(b2, 1) && glyphIs(b3, 2));
    QVERIFY(b1->isEnabled() && b2->isEnabled() && b3->isEnabled() && b3->ShowHint());
    QCOMPARE(b1->Hint(), u"タスク リストの テスト"_s);

    // While a run is in progress the log pane offers the stop button alone.
    running(f.form.get()) = true;
    f.child<QWidget>("Memo301")->setFocus();
    QTRY_VERIFY(!b1->isEnabled());
    QVERIFY(!b2->isEnabled());
    QVERIFY(b3->isEnabled());
    QVERIFY(b3->ShowHint());
    running(f.form.get()) = false;
}

void TestMainWindow::logPaneSelectAll_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("selectsAll");
    QTest::addRow("Ctrl+A") << int(Qt::ControlModifier) << true;
    QTest::addRow("Ctrl+Shift+A") << int(Qt::ControlModifier | Qt::ShiftModifier) << false;
    QTest::addRow("Ctrl+Alt+A") << int(Qt::ControlModifier | Qt::AltModifier) << false;
    QTest::addRow("A") << int(Qt::NoModifier) << false;
}

void TestMainWindow::logPaneSelectAll()
{
    QFETCH(int, modifiers);
    QFETCH(bool, selectsAll);
    MainFormFixture f(TwoLists, stripFile());
    QVERIFY(f.open());
    auto* memo = f.child<TRsLogView>("Memo301");
    memo->appendLines({u"いちぎょーめ"_s, u"にぎょーめ"_s, u"さんぎょーめ"_s});
    memo->moveCaretToEnd();
    memo->setFocus();
    QTRY_VERIFY(memo->hasFocus());
    QTest::keyClick(memo, Qt::Key_A, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(memo->selectedText() == memo->toPlainText(), selectsAll);
    QCOMPARE(memo->toPlainText(), u"いちぎょーめ\nにぎょーめ\nさんぎょーめ"_s); // read-only all the same

    // A command given the same keys as its shortcut runs from the log pane only when it is not
    // Ctrl+A, which the pane keeps for itself.
    QAction* version = f.form->Action(u"ActHelpShowVersionInfo"_s);
    disconnect(version, &QAction::triggered, f.form.get(), nullptr); // counted, not opened
    version->setShortcut(QKeySequence(Qt::Key_A | Qt::KeyboardModifiers(modifiers)));
    QSignalSpy triggered(version, &QAction::triggered);
    memo->moveCaretToEnd();
    QTest::keyClick(memo, Qt::Key_A, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(triggered.count(), modifiers == int(Qt::ControlModifier) ? 0 : 1);
}

void TestMainWindow::quitStopsTheRun()
{
    MainFormFixture f(TwoLists, stripFile());
    QVERIFY(f.open());
    f.form->ABreakFlag = false;
    f.form->Action(u"ActFileQuit"_s)->trigger();
    QVERIFY(!f.form->ABreakFlag); // nothing running: nothing to stop
    running(f.form.get()) = true;
    f.form->close(); // closing the window is quitting
    QVERIFY(f.form->ABreakFlag);
    running(f.form.get()) = false;
}

void TestMainWindow::unknownCommandLineListFallsBackToInteractive()
{
    MainFormFixture f(TwoLists, stripFile());
    TCommandLineRequest request;
    request.run = true;
    request.taskListName = u"ないリスト"_s;
    SetCommandLineRunRequest(request);
    QVERIFY(f.open());
    QCOMPARE(f.boxes.count(), 1);
    QCOMPARE(f.boxes.last().text,
             FormatLangText(MsgErrorTaskListNotFound, u"ないリスト"_s) + u"\n\n"_s + MsgErrorAbortBackup);
    QVERIFY(!CommandLineRun);
    QVERIFY(CommandLineTaskListName.isEmpty());
    QVERIFY(!f.form->EndAtStart());
    QVERIFY(f.form->isVisible());
}

void TestMainWindow::storedRowIsSelected()
{
    MainFormFixture f(TwoLists, stripFile(), 2);
    QVERIFY(f.open());
    QCOMPARE(f.child<TRsGrid>("Grid101")->Row(), 2);
    QCOMPARE(f.child<TRsGrid>("Grid201")->RowCount(), 2);
    QCOMPARE(f.form->windowTitle(), u"つみき！ - しゅーまつ"_s);
    // Shown again later (restored from the tray), the window keeps the list selected since.
    f.child<TRsGrid>("Grid101")->SetRow(1);
    f.form->hide();
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    QCOMPARE(f.child<TRsGrid>("Grid101")->Row(), 1);
    QCOMPARE(f.child<TRsGrid>("Grid201")->RowCount(), 4);
    QCOMPARE(f.form->windowTitle(), u"つみき！ - まいにち"_s);
}

void TestMainWindow::helpers_data()
{
    QTest::addColumn<int>("lists");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("expectedIndex"); // -1: none
    QTest::addRow("row 0") << 2 << 0 << -1;
    QTest::addRow("negative row") << 2 << -3 << -1;
    QTest::addRow("first") << 2 << 1 << 0;
    QTest::addRow("second") << 2 << 2 << 1;
    QTest::addRow("past the last") << 2 << 3 << -1;
    QTest::addRow("empty manager") << 0 << 1 << -1;
}

void TestMainWindow::helpers()
{
    QFETCH(int, lists);
    QFETCH(int, row);
    QFETCH(int, expectedIndex);
    MainFormFixture f(lists ? TwoLists : QList<ListSpec>(), stripFile());
    QVERIFY(f.open());
    TRsTaskList* list = f.form->TaskListAtRow(row);
    QCOMPARE(list, expectedIndex < 0 ? nullptr : f.form->AManager.Items(expectedIndex));
    QCOMPARE(TMainForm::MakeMainCaption(list),
             expectedIndex < 0 ? u"つみき！"_s : u"つみき！ - "_s + list->TaskListName());
    TRsTaskList unnamed;
    QCOMPARE(TMainForm::MakeMainCaption(&unnamed), u"つみき！"_s);
}

void TestMainWindow::textTopMargin_data()
{
    // The row height relative to the font's height T, and the margin expected.
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("expected");
    QTest::addRow("T + 12") << 12 << 6;
    QTest::addRow("T + 3, truncated") << 3 << 1;
    QTest::addRow("T") << 0 << 0;
    QTest::addRow("T - 1, -0.5 to even") << -1 << 0;
    QTest::addRow("T - 2") << -2 << -1;
    QTest::addRow("T - 3, -1.5 to even") << -3 << -2;
    QTest::addRow("T - 5, -2.5 to even") << -5 << -2;
    QTest::addRow("T - 7, -3.5 to even") << -7 << -4;
}

void TestMainWindow::textTopMargin()
{
    QFETCH(int, delta);
    QFETCH(int, expected);
    QFont font;
    font.setPixelSize(20);
    const QFontMetrics metrics(font);
    QCOMPARE(TMainForm::GetTextTopMargin(metrics, metrics.height() + delta), expected);
}

void TestMainWindow::scaling_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<int>("expected");
    QTest::addRow("rows at 96") << 24 << 96.0 << 24;
    QTest::addRow("rows at 120") << 24 << 120.0 << 30;
    QTest::addRow("rows at 144") << 24 << 144.0 << 36;
    QTest::addRow("rows at 192") << 24 << 192.0 << 48;
    QTest::addRow("half to even down") << 2 << 120.0 << 2;   // 2.5
    QTest::addRow("half to even up") << 6 << 120.0 << 8;     // 7.5
    QTest::addRow("gap at 120") << 13 << 120.0 << 16;        // 16.25
}

void TestMainWindow::scaling()
{
    QFETCH(int, size);
    QFETCH(double, dpi);
    QFETCH(int, expected);
    QCOMPARE(TMainForm::ScaleDesignSize(size, dpi), expected);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
