#include "RsUnits/RsGrid.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// A window holding a grid and a line edit that can take the focus away from it.
struct Fixture {
    QWidget window;
    TRsGrid* grid;
    QLineEdit* other;

    // rows rows of 24 pixels (one fixed) of which visibleRows are fully visible; cols columns of 64.
    Fixture(int rows, int visibleRows, int cols = 3)
    {
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        grid = new TRsGrid(&window);
        other = new QLineEdit(&window);
        layout->addWidget(grid);
        layout->addWidget(other);
        grid->SetDefaultRowHeight(24);
        grid->SetDefaultColWidth(64);
        grid->SetColCount(cols);
        grid->SetRowCount(rows);
        grid->SetFixedRows(1);
        grid->SetFixedCols(0);
        // Fixed row plus visibleRows rows, each with its 1-pixel line, and 10 pixels of a partial row.
        grid->setFixedSize(cols * 65 + 40, 25 + visibleRows * 25 + 10);
        window.show();
        window.activateWindow();
        grid->setFocus();
    }
};

void sendKey(QWidget* target, QEvent::Type type, int key, bool autoRepeat, Qt::KeyboardModifiers mods = {})
{
    QKeyEvent event(type, key, mods, QString(), autoRepeat);
    QApplication::sendEvent(target, &event);
}

void press(TRsGrid* grid, int key, bool autoRepeat = false, Qt::KeyboardModifiers mods = {})
{
    sendKey(grid, QEvent::KeyPress, key, autoRepeat, mods);
}

void release(TRsGrid* grid, int key, bool autoRepeat = false)
{
    sendKey(grid, QEvent::KeyRelease, key, autoRepeat);
}

void wheel(TRsGrid* grid, int delta, Qt::KeyboardModifiers mods = {})
{
    const QPointF pos(10, 40);
    QWheelEvent event(pos, grid->viewport()->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid->viewport(), &event);
}

QColor pixelAt(QWidget* widget, QPoint pos)
{
    return widget->grab().toImage().pixelColor(pos);
}

bool near(const QColor& a, const QColor& b, int tolerance = 1)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
           && std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

class TestRsGrid : public QObject {
    Q_OBJECT

private slots:
    void blendColor_data();
    void blendColor();
    void fitTextWithEllipsis_data();
    void fitTextWithEllipsis();
    void defaultRowHeightFollowsResolution();
    void arrowKeysWrapOnFreshPressOnly();
    void heldKeyWhoseReleaseWentElsewhereStillWrapsOnFreshPress();
    void horizontalArrowsAndRowSelect();
    void homeEndAndModifiersDoNothing();
    void pageKeys_data();
    void pageKeys();
    void wheelMovesSelectionAndWraps();
    void wheelModifiers();
    void selectionColoursFollowFocus();
    void selectedColourBlendsWithAlpha();
    void fixedCellsHaveGradient();
    void drawCellGetsPreparedCanvas();
    void updateLockRepaintsOnce();
    void scrollBarsFollowContentAndSwitches();
    void scrollBarMovesTopRow();
    void mouseSelectsAndReportsClick();
    void dragSelectsAndScrolls();
    void mouseToCell();
    void lockedColumnWidthCannotBeDragged();
    void fixedCellsHotAndPressed();
    void limitColWidth();
    void makeRowVisible();
};

void TestRsGrid::blendColor_data()
{
    QTest::addColumn<QColor>("c1");
    QTest::addColumn<QColor>("c2");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("black-white 25") << QColor(0, 0, 0) << QColor(255, 255, 255) << 25 << QColor(64, 64, 64);
    QTest::newRow("white-black 25") << QColor(255, 255, 255) << QColor(0, 0, 0) << 25 << QColor(191, 191, 191);
    QTest::newRow("below 0 is 0") << QColor(10, 20, 30) << QColor(200, 200, 200) << -5 << QColor(10, 20, 30);
    QTest::newRow("above 100 is 100") << QColor(10, 20, 30) << QColor(200, 100, 0) << 150 << QColor(200, 100, 0);
    QTest::newRow("halves to even, rising") << QColor(10, 21, 0) << QColor(11, 22, 255) << 50 << QColor(10, 22, 128);
    QTest::newRow("halves to even, falling") << QColor(11, 22, 0) << QColor(10, 21, 0) << 50 << QColor(10, 22, 0);
    QTest::newRow("selection over white") << QColor(71, 91, 143) << QColor(255, 255, 255) << 25
                                          << QColor(117, 132, 171);
}

void TestRsGrid::blendColor()
{
    QFETCH(QColor, c1);
    QFETCH(QColor, c2);
    QFETCH(int, percent);
    QFETCH(QColor, expected);
    QCOMPARE(BlendColor(c1, c2, percent), expected);
}

void TestRsGrid::fitTextWithEllipsis_data()
{
    // maxWidth is given as the width of a sample text plus an offset, so the table holds for any font.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("widthOf");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("truncated");
    QTest::newRow("fits exactly") << u"Backup tasks"_s << u"Backup tasks"_s << 0 << u"Backup tasks"_s << false;
    QTest::newRow("one pixel short") << u"Backup tasks"_s << u"Backup tasks"_s << -1 << u"Backup tas..."_s << true;
    QTest::newRow("prefix with dots") << u"Backup tasks"_s << u"Back..."_s << 0 << u"Back..."_s << true;
    QTest::newRow("just under next prefix") << u"Backup tasks"_s << u"Backu..."_s << -1 << u"Back..."_s << true;
    QTest::newRow("one character, no room for dots") << u"Backup"_s << u"B"_s << 0 << QString() << true;
    QTest::newRow("nothing fits") << u"Backup"_s << QString() << 0 << QString() << true;
    QTest::newRow("empty text") << QString() << QString() << 0 << QString() << false;
    QTest::newRow("empty text, no room") << QString() << QString() << -4 << QString() << false;
    QTest::newRow("pair not split") << u"a\U0001F600\U0001F600"_s << u"a\U0001F600..."_s << -1 << u"a..."_s << true;
}

void TestRsGrid::fitTextWithEllipsis()
{
    QFETCH(QString, text);
    QFETCH(QString, widthOf);
    QFETCH(int, offset);
    QFETCH(QString, expected);
    QFETCH(bool, truncated);
    QFont font(u"DejaVu Sans"_s);
    font.setPixelSize(13);
    const QFontMetrics metrics(font);
    const int maxWidth = metrics.horizontalAdvance(widthOf) + offset;
    bool wasTruncated = !truncated;
    const QString result = FitTextWithEllipsis(metrics, maxWidth, text, wasTruncated);
    QCOMPARE(result, expected);
    QCOMPARE(wasTruncated, truncated);
    QVERIFY(metrics.horizontalAdvance(result) <= std::max(maxWidth, 0));
}

void TestRsGrid::defaultRowHeightFollowsResolution()
{
    TRsGrid grid;
    const int expected = static_cast<int>(std::nearbyint(24.0 * grid.logicalDpiY() / 96.0));
    QCOMPARE(grid.DefaultRowHeight(), expected);
    QCOMPARE(grid.RowHeights(3), expected);
}

void TestRsGrid::arrowKeysWrapOnFreshPressOnly()
{
    Fixture f(10, 4);
    TRsGrid* g = f.grid;
    QCOMPARE(g->VisibleRowCount(), 4);
    g->SetRow(5);

    // Holding Up from row 5: auto-repeat stops at the first data row.
    press(g, Qt::Key_Up);
    for (int i = 0; i < 6; ++i)
        press(g, Qt::Key_Up, true);
    QCOMPARE(g->Row(), 1);
    release(g, Qt::Key_Up);

    // A fresh press at the first data row wraps to the last row and scrolls it into view.
    int keySeen = -1;
    connect(g, &TRsGrid::keyDown, this, [&](TRsGrid*, int& key, Qt::KeyboardModifiers) { keySeen = key; });
    QTest::keyClick(g, Qt::Key_Up);
    QCOMPARE(g->Row(), 9);
    QCOMPARE(g->TopRow(), 6);
    QCOMPARE(keySeen, 0); // the wrap consumed the key

    // The same at the bottom: held Down stops at the last row, a fresh press wraps to the first.
    g->SetRow(8);
    press(g, Qt::Key_Down);
    press(g, Qt::Key_Down, true);
    press(g, Qt::Key_Down, true);
    QCOMPARE(g->Row(), 9);
    release(g, Qt::Key_Down);
    QTest::keyClick(g, Qt::Key_Down);
    QCOMPARE(g->Row(), 1);
    QCOMPARE(g->TopRow(), 1);
    QTest::keyClick(g, Qt::Key_Down);
    QCOMPARE(g->Row(), 2);
    QCOMPARE(keySeen, int(Qt::Key_Down));

    // An auto-repeated release does not re-arm the wrap.
    g->SetRow(2);
    press(g, Qt::Key_Up);
    QCOMPARE(g->Row(), 1);
    release(g, Qt::Key_Up, true);
    press(g, Qt::Key_Up, true);
    QCOMPARE(g->Row(), 1);
}

void TestRsGrid::heldKeyWhoseReleaseWentElsewhereStillWrapsOnFreshPress()
{
    Fixture f(10, 4);
    TRsGrid* g = f.grid;
    g->SetRow(2);
    press(g, Qt::Key_Up); // moves to row 1; its release never reaches the grid
    QCOMPARE(g->Row(), 1);
    press(g, Qt::Key_Up); // a new press, not a repeat
    QCOMPARE(g->Row(), 9);
}

void TestRsGrid::horizontalArrowsAndRowSelect()
{
    Fixture f(10, 4, 4);
    TRsGrid* g = f.grid;
    g->SetFixedCols(1);
    g->SetCol(3);
    QTest::keyClick(g, Qt::Key_Right);
    QCOMPARE(g->Col(), 1);
    QCOMPARE(g->LeftCol(), 1);
    QTest::keyClick(g, Qt::Key_Left);
    QCOMPARE(g->Col(), 3);
    QTest::keyClick(g, Qt::Key_Left);
    QCOMPARE(g->Col(), 2);

    g->SetOptions(g->Options() | goRowSelect);
    QTest::keyClick(g, Qt::Key_Left);
    QCOMPARE(g->Col(), 2);
    QTest::keyClick(g, Qt::Key_Right);
    QTest::keyClick(g, Qt::Key_Right);
    QCOMPARE(g->Col(), 2);
}

void TestRsGrid::homeEndAndModifiersDoNothing()
{
    Fixture f(10, 4);
    TRsGrid* g = f.grid;
    g->SetRow(5);
    QTest::keyClick(g, Qt::Key_Home);
    QTest::keyClick(g, Qt::Key_End);
    QCOMPARE(g->Row(), 5);
    QTest::keyClick(g, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(g, Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(g, Qt::Key_PageDown, Qt::AltModifier);
    QCOMPARE(g->Row(), 5);
    // The keypad flag is not a modifier: keypad arrows navigate.
    QTest::keyClick(g, Qt::Key_Down, Qt::KeypadModifier);
    QCOMPARE(g->Row(), 6);
}

void TestRsGrid::pageKeys_data()
{
    // 20 rows (one fixed), 4 fully visible.
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expectedRow");
    QTest::addColumn<int>("expectedTop");
    QTest::newRow("down from top") << 1 << 1 << int(Qt::Key_PageDown) << 4 << 4;
    QTest::newRow("down, new row on top") << 5 << 3 << int(Qt::Key_PageDown) << 8 << 6;
    QTest::newRow("down to last page") << 13 << 13 << int(Qt::Key_PageDown) << 16 << 16;
    QTest::newRow("down on last page") << 16 << 16 << int(Qt::Key_PageDown) << 19 << 16;
    QTest::newRow("down at end") << 19 << 16 << int(Qt::Key_PageDown) << 19 << 16;
    QTest::newRow("up from end") << 19 << 16 << int(Qt::Key_PageUp) << 16 << 13;
    QTest::newRow("up into first page") << 6 << 3 << int(Qt::Key_PageUp) << 3 << 1;
    QTest::newRow("up mid") << 10 << 8 << int(Qt::Key_PageUp) << 7 << 5;
    QTest::newRow("up near top") << 4 << 1 << int(Qt::Key_PageUp) << 1 << 1;
}

void TestRsGrid::pageKeys()
{
    QFETCH(int, row);
    QFETCH(int, top);
    QFETCH(int, key);
    QFETCH(int, expectedRow);
    QFETCH(int, expectedTop);
    Fixture f(20, 4);
    TRsGrid* g = f.grid;
    g->SetRow(row);
    g->SetTopRow(top);
    QCOMPARE(g->TopRow(), top);
    QTest::keyClick(g, Qt::Key(key));
    QCOMPARE(g->Row(), expectedRow);
    QCOMPARE(g->TopRow(), expectedTop);
    QCOMPARE(g->verticalScrollBar()->value(), expectedTop - 1);
}

void TestRsGrid::wheelMovesSelectionAndWraps()
{
    Fixture f(10, 4);
    TRsGrid* g = f.grid;
    int up = 0;
    int down = 0;
    connect(g, &TRsGrid::mouseWheelUp, this, [&](TRsGrid*, Qt::KeyboardModifiers, const QPoint&, bool& handled) {
        QVERIFY(!handled);
        ++up;
    });
    connect(g, &TRsGrid::mouseWheelDown, this, [&](TRsGrid*, Qt::KeyboardModifiers, const QPoint&, bool&) { ++down; });
    QSignalSpy clicked(g, &TRsGrid::clicked);
    g->SetRow(2);
    clicked.clear();
    wheel(g, 120);
    QCOMPARE(g->Row(), 1);
    wheel(g, 120); // wraps, also when the wheel keeps turning
    QCOMPARE(g->Row(), 9);
    QCOMPARE(g->TopRow(), 6);
    QCOMPARE(up, 2);
    QCOMPARE(clicked.count(), 2);
    wheel(g, -120);
    QCOMPARE(g->Row(), 1);
    QCOMPARE(g->TopRow(), 1);
    QCOMPARE(down, 1);
    // Fine-grained wheels: two half notches make one step; one event of three notches, three steps.
    wheel(g, -60);
    QCOMPARE(g->Row(), 1);
    wheel(g, -60);
    QCOMPARE(g->Row(), 2);
    wheel(g, -360);
    QCOMPARE(g->Row(), 5);
}

void TestRsGrid::wheelModifiers()
{
    Fixture f(10, 4, 4);
    TRsGrid* g = f.grid;
    g->SetRow(3);
    g->SetCol(0);
    wheel(g, 120, Qt::ControlModifier);
    wheel(g, 120, Qt::AltModifier);
    QCOMPARE(g->Row(), 3);
    QCOMPARE(g->Col(), 0);
    wheel(g, 120, Qt::ShiftModifier); // one column left, wrapping to the last
    QCOMPARE(g->Col(), 3);
    QCOMPARE(g->Row(), 3);
    wheel(g, -120, Qt::ShiftModifier);
    QCOMPARE(g->Col(), 0);
    g->SetOptions(g->Options() | goRowSelect);
    wheel(g, 120, Qt::ShiftModifier);
    QCOMPARE(g->Col(), 0);
    QCOMPARE(g->Row(), 3);
}

void TestRsGrid::selectionColoursFollowFocus()
{
    Fixture f(10, 4);
    TRsGrid* g = f.grid;
    g->SetColor(QColor(255, 255, 255));
    g->ViewOptions()->SetSelectedColor(QColor(71, 91, 143));
    g->ViewOptions()->SetInactiveSelectedColor(QColor(0xDA, 0xDA, 0xDA));
    g->SetOptions(g->Options() | goRowSelect);
    g->SetRow(2);
    g->setFocus();
    QTRY_VERIFY(g->hasFocus());
    const QRect selected = g->CellRect(2, 2);
    const QRect plain = g->CellRect(2, 3);
    QCOMPARE(pixelAt(g->viewport(), selected.center()), QColor(71, 91, 143));
    QCOMPARE(pixelAt(g->viewport(), plain.center()), QColor(255, 255, 255));

    f.other->setFocus();
    QTRY_VERIFY(!g->hasFocus());
    QCOMPARE(pixelAt(g->viewport(), selected.center()), QColor(0xDA, 0xDA, 0xDA));
}

void TestRsGrid::selectedColourBlendsWithAlpha()
{
    Fixture f(10, 4);
    TRsGrid* g = f.grid;
    g->SetColor(QColor(255, 255, 255));
    g->ViewOptions()->SetSelectedColor(QColor(71, 91, 143));
    g->ViewOptions()->SetSelectedColorAlphaBlendValue(128);
    g->SetRow(2);
    QTRY_VERIFY(g->hasFocus());
    const QColor seen = pixelAt(g->viewport(), g->CellRect(g->Col(), 2).center());
    const auto blended = [](int sel, int bg) { return int(std::lround(bg + (sel - bg) * 128 / 255.0)); };
    QVERIFY2(near(seen, QColor(blended(71, 255), blended(91, 255), blended(143, 255))),
             qPrintable(seen.name()));
}

void TestRsGrid::fixedCellsHaveGradient()
{
    Fixture f(10, 4);
    TRsGrid* g = f.grid;
    const QRect header = g->CellRect(1, 0);
    const QImage image = g->viewport()->grab().toImage();
    QVERIFY(near(image.pixelColor(header.left() + 5, header.top()), g->ViewOptions()->FixedNormalStartColor(), 2));
    QVERIFY(near(image.pixelColor(header.left() + 5, header.bottom()), g->ViewOptions()->FixedNormalEndColor(), 2));
    // The line under the header is the light grid line.
    QCOMPARE(image.pixelColor(header.left() + 5, header.bottom() + 1), QColor(0xF0, 0xF0, 0xF0));
}

void TestRsGrid::drawCellGetsPreparedCanvas()
{
    Fixture f(10, 4);
    TRsGrid* g = f.grid;
    g->ViewOptions()->SetSelectedFontColor(QColor(1, 2, 3));
    g->SetOptions(g->Options() | goRowSelect);
    g->SetRow(3);
    QTRY_VERIFY(g->hasFocus());
    bool sawSelected = false;
    bool sawFixed = false;
    connect(g, &TRsGrid::drawCell, this,
            [&](TRsGrid* sender, int col, int row, const QRect& rect, TGridDrawState state) {
                QVERIFY(sender->Canvas() != nullptr);
                QCOMPARE(rect, sender->CellRect(col, row));
                if (row == 3) {
                    sawSelected = true;
                    QVERIFY(state.testFlag(gdSelected));
                    QVERIFY(state.testFlag(gdRowSelected));
                    QCOMPARE(state.testFlag(gdFocused), col == g->Col());
                    QCOMPARE(sender->Canvas()->pen().color(), QColor(1, 2, 3));
                } else if (row == 0) {
                    sawFixed = true;
                    QVERIFY(state == TGridDrawState(gdFixed));
                } else {
                    QVERIFY(!state.testFlag(gdSelected));
                }
            });
    g->viewport()->grab();
    QVERIFY(sawSelected);
    QVERIFY(sawFixed);
    QVERIFY(g->Canvas() == nullptr);
}

void TestRsGrid::updateLockRepaintsOnce()
{
    Fixture f(30, 4);
    TRsGrid* g = f.grid;
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    PaintCounter counter;
    g->viewport()->installEventFilter(&counter);
    QTest::qWait(50);
    counter.count = 0;

    g->BeginUpdate();
    g->BeginUpdate();
    g->SetRowCount(40);
    g->SetRow(20);
    g->SetColor(QColor(250, 250, 250));
    g->EndUpdate();
    QTest::qWait(50);
    QCOMPARE(counter.count, 0);
    QCOMPARE(g->UpdateLock(), 1);
    g->EndUpdate();
    QTRY_COMPARE(counter.count, 1);
    QTest::qWait(50);
    QCOMPARE(counter.count, 1);
    // An unbalanced EndUpdate does nothing harmful.
    g->EndUpdate();
    QCOMPARE(g->UpdateLock(), 0);
}

void TestRsGrid::scrollBarsFollowContentAndSwitches()
{
    Fixture f(10, 4, 3);
    TRsGrid* g = f.grid;
    QVERIFY(g->IsScrollBarVisible(1));
    QVERIFY(!g->IsScrollBarVisible(0));
    QCOMPARE(g->verticalScrollBar()->maximum(), 9 - 4);
    QCOMPARE(g->verticalScrollBar()->pageStep(), 4);

    // Rows that all fit hide the vertical bar.
    g->SetRowCount(4);
    QVERIFY(!g->IsScrollBarVisible(1));

    // Overflowing columns show the horizontal bar unless it is switched off.
    g->SetColCount(12);
    QVERIFY(g->IsScrollBarVisible(0));
    g->ViewOptions()->SetShowHorzScrollBar(false);
    QVERIFY(!g->IsScrollBarVisible(0));
    g->SetColCount(14);
    QVERIFY(!g->IsScrollBarVisible(0));

    g->SetRowCount(30);
    QVERIFY(g->IsScrollBarVisible(1));
    g->ViewOptions()->SetShowVertScrollBar(false);
    QVERIFY(!g->IsScrollBarVisible(1));
}

void TestRsGrid::scrollBarMovesTopRow()
{
    Fixture f(20, 4);
    TRsGrid* g = f.grid;
    g->SetRow(2);
    g->verticalScrollBar()->setValue(7);
    QCOMPARE(g->TopRow(), 8);
    QCOMPARE(g->Row(), 2); // the bar moves the view, not the selection
    g->verticalScrollBar()->setValue(g->verticalScrollBar()->maximum());
    QCOMPARE(g->TopRow(), 16);
}

void TestRsGrid::mouseSelectsAndReportsClick()
{
    Fixture f(10, 4);
    TRsGrid* g = f.grid;
    g->SetRow(1);
    QSignalSpy clicked(g, &TRsGrid::clicked);
    int rowAtPress = -1;
    connect(g, &TRsGrid::mouseDown, this,
            [&](TRsGrid* sender, Qt::MouseButton, Qt::KeyboardModifiers, const QPoint&) { rowAtPress = sender->Row(); });
    const QPoint target = g->CellRect(1, 3).center();
    QTest::mousePress(g->viewport(), Qt::LeftButton, {}, target);
    QCOMPARE(rowAtPress, 3); // the press handler sees the moved selection
    QCOMPARE(clicked.count(), 0);
    QTest::mouseRelease(g->viewport(), Qt::LeftButton, {}, target);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(g->Col(), 1);

    // A right press does not move the selection; a press on the header neither.
    QTest::mouseClick(g->viewport(), Qt::RightButton, {}, g->CellRect(1, 4).center());
    QCOMPARE(g->Row(), 3);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->CellRect(1, 0).center());
    QCOMPARE(g->Row(), 3);
}

void TestRsGrid::dragSelectsAndScrolls()
{
    Fixture f(20, 4);
    TRsGrid* g = f.grid;
    QSignalSpy clicked(g, &TRsGrid::clicked);
    const auto move = [&](QPoint pos) {
        QMouseEvent event(QEvent::MouseMove, QPointF(pos), g->viewport()->mapToGlobal(QPointF(pos)), Qt::NoButton,
                          Qt::LeftButton, {});
        QApplication::sendEvent(g->viewport(), &event);
    };
    QTest::mousePress(g->viewport(), Qt::LeftButton, {}, g->CellRect(1, 2).center());
    move(g->CellRect(1, 4).center());
    QCOMPARE(g->Row(), 4);
    // Held below the grid, the selection keeps moving down and the view follows it.
    move(QPoint(70, g->viewport()->height() + 20));
    QCOMPARE(g->Row(), 5);
    QTRY_VERIFY(g->Row() >= 8);
    QVERIFY(g->TopRow() > 1);
    QVERIFY(g->Row() < g->TopRow() + g->VisibleRowCount());
    QCOMPARE(clicked.count(), 0); // a drag reports its click once, on release
    QTest::mouseRelease(g->viewport(), Qt::LeftButton, {}, QPoint(70, g->viewport()->height() + 20));
    const int row = g->Row();
    QTest::qWait(200);
    QCOMPARE(g->Row(), row); // released: no more movement
    QCOMPARE(clicked.count(), 1);
}

void TestRsGrid::mouseToCell()
{
    Fixture f(10, 4);
    TRsGrid* g = f.grid;
    int col = 0;
    int row = 0;
    g->MouseToCell(0, 0, col, row);
    QCOMPARE(QPoint(col, row), QPoint(0, 0));
    g->MouseToCell(64, 24, col, row); // the line after a cell belongs to it
    QCOMPARE(QPoint(col, row), QPoint(0, 0));
    g->MouseToCell(65, 25, col, row);
    QCOMPARE(QPoint(col, row), QPoint(1, 1));
    g->SetTopRow(4);
    g->MouseToCell(70, 30, col, row);
    QCOMPARE(QPoint(col, row), QPoint(1, 4));
    g->MouseToCell(3 * 65 + 5, 30, col, row); // beyond the last column
    QCOMPARE(QPoint(col, row), QPoint(-1, -1));
    QCOMPARE(g->CellRect(1, 2), QRect(0, 0, 0, 0)); // scrolled out of view
}

void TestRsGrid::lockedColumnWidthCannotBeDragged()
{
    Fixture f(10, 4);
    TRsGrid* g = f.grid;
    g->SetOptions(g->Options() | goColSizing);
    g->SetWidthFixedCols({0});
    QSignalSpy down(g, &TRsGrid::mouseDown);

    // Boundary after column 0: locked, the press is swallowed.
    QTest::mousePress(g->viewport(), Qt::LeftButton, {}, QPoint(64, 10));
    QTest::mouseMove(g->viewport(), QPoint(90, 10));
    QTest::mouseRelease(g->viewport(), Qt::LeftButton, {}, QPoint(90, 10));
    QCOMPARE(g->ColWidths(0), 64);
    QCOMPARE(down.count(), 0);

    // Boundary after column 1: free.
    QTest::mousePress(g->viewport(), Qt::LeftButton, {}, QPoint(129, 10));
    QTest::mouseMove(g->viewport(), QPoint(149, 10));
    QTest::mouseRelease(g->viewport(), Qt::LeftButton, {}, QPoint(149, 10));
    QCOMPARE(g->ColWidths(1), 84);
    QCOMPARE(down.count(), 1);
}

void TestRsGrid::fixedCellsHotAndPressed()
{
    Fixture f(10, 4, 4);
    TRsGrid* g = f.grid;
    g->SetOptions(g->Options() | goFixedColClick | goFixedHotTrack);
    g->SetClickDisabledFixedCells({QPoint(3, 0)});
    QHash<int, QPair<TGridDrawState, QRect>> header; // by column, the last drawing of row 0
    connect(g, &TRsGrid::drawCell, this, [&](TRsGrid*, int col, int row, const QRect& rect, TGridDrawState state) {
        if (row == 0)
            header[col] = {state, rect};
    });
    QSignalSpy fixedClicks(g, &TRsGrid::fixedCellClicked);
    const auto move = [&](QPoint pos, Qt::MouseButtons buttons) {
        QMouseEvent event(QEvent::MouseMove, QPointF(pos), g->viewport()->mapToGlobal(QPointF(pos)), Qt::NoButton,
                          buttons, {});
        QApplication::sendEvent(g->viewport(), &event);
    };

    // Hovering a header cell makes it hot.
    const QRect cell1 = g->CellRect(1, 0);
    move(cell1.center(), Qt::NoButton);
    g->viewport()->grab();
    QVERIFY(header[1].first.testFlag(gdHotTrack));
    QVERIFY(!header[2].first.testFlag(gdHotTrack));

    // Pressed: the pressed look with the rectangle shifted one pixel right and down; the click on release.
    QTest::mousePress(g->viewport(), Qt::LeftButton, {}, cell1.center());
    g->viewport()->grab();
    QVERIFY(header[1].first.testFlag(gdPressed));
    QCOMPARE(header[1].second, cell1.translated(1, 1));
    QTest::mouseRelease(g->viewport(), Qt::LeftButton, {}, cell1.center());
    QCOMPARE(fixedClicks.count(), 1);
    QCOMPARE(fixedClicks.at(0).at(1).toInt(), 1);
    g->viewport()->grab();
    QVERIFY(!header[1].first.testFlag(gdPressed));

    // The header over the first scrollable column and the listed cell never look hot or pressed.
    for (int col : {0, 3}) {
        const QRect r = g->CellRect(col, 0);
        move(r.center(), Qt::NoButton);
        QTest::mousePress(g->viewport(), Qt::LeftButton, {}, r.center());
        g->viewport()->grab();
        QVERIFY(!header[col].first.testFlag(gdPressed));
        QVERIFY(!header[col].first.testFlag(gdHotTrack));
        QCOMPARE(header[col].second, r);
        QTest::mouseRelease(g->viewport(), Qt::LeftButton, {}, r.center());
    }
    // Header presses leave the selection alone.
    QCOMPARE(g->Row(), 1);
}

void TestRsGrid::limitColWidth()
{
    Fixture f(10, 4, 2);
    TRsGrid* g = f.grid;
    g->SetFixedCols(1);
    const int space = g->viewport()->width() - 65;
    g->SetColWidths(1, space + 20);
    g->LimitColWidth();
    QCOMPARE(g->ColWidths(1), space - 1);
    QCOMPARE(g->ColWidths(0), 64);
}

void TestRsGrid::makeRowVisible()
{
    Fixture f(20, 4);
    TRsGrid* g = f.grid;
    g->MakeRowVisible(10);
    QCOMPARE(g->TopRow(), 7);
    g->MakeRowVisible(3);
    QCOMPARE(g->TopRow(), 3);
    g->MakeRowVisible(19);
    QCOMPARE(g->TopRow(), 16);
    QCOMPARE(g->verticalScrollBar()->value(), 15);
}

QTEST_MAIN(TestRsGrid)
#include "tst_rsgrid.moc"
