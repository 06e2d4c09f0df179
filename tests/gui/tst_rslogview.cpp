#include "RsUnits/RsLogView.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QString logLine(int i)
{
    return u"F さくせー: dir%1/file%2.txt"_s.arg(i / 10).arg(i);
}

QStringList logLines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << logLine(i);
    return lines;
}

// A shown log pane of the given size holding the given lines.
struct LogFixture {
    TRsLogView view;

    explicit LogFixture(const QStringList& lines, QSize size = QSize(360, 150))
    {
        view.resize(size);
        view.appendLines(lines);
        view.show();
    }

    bool exposed() { return QTest::qWaitForWindowExposed(&view); }
    QScrollBar* bar() const { return view.verticalScrollBar(); }
    QWidget* viewport() const { return view.viewport(); }
    int top() const { return bar()->value(); }
    QPoint pointOf(qsizetype line, qsizetype column) const { return view.cursorRect({line, column}).center(); }
    // The last line shown whole, from the top of the view.
    qsizetype lastWholeLine() const
    {
        qsizetype line = top();
        for (;;) {
            const QRect r = view.cursorRect({line + 1, 0});
            if (!r.isValid() || r.top() + r.height() > viewport()->height() || line + 1 >= view.lineCount())
                return line;
            ++line;
        }
    }
    // Sends a key press as the keyboard does and tells whether the pane took it.
    bool press(int key, Qt::KeyboardModifiers modifiers)
    {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&view, &event);
        return event.isAccepted();
    }
};

} // namespace

// The log pane: lines appended at the end, wrapped at its width; a view that follows the end only
// while it shows it; the keys and the mouse of a read-only text box; select all and copy of many lines.
class TestRsLogView : public QObject {
    Q_OBJECT

private slots:
    void lineBreaksStartNewLines_data();
    void lineBreaksStartNewLines();
    void wrapsAtThePanesWidth_data();
    void wrapsAtThePanesWidth();
    void followsTheEndOnlyWhileAtIt();
    void keysScroll_data();
    void keysScroll();
    void arrowsStepThroughWrappedLines();
    void wheelScrollsLinesAndZooms();
    void tabMovesTheFocus();
    void dragSelects();
    void doubleClickSelectsWordsTripleClickLines();
    void dragBeyondTheEdgeScrolls();
    void selectionIsPainted();
    void copyKeys_data();
    void copyKeys();
    void copyOfManyLines();
    void contextMenu();
    void caretToTheEnd();
    void clearEmptiesEverything();
};

void TestRsLogView::lineBreaksStartNewLines_data()
{
    QTest::addColumn<QString>("appended");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("none") << u"a b"_s << QStringList{u"a b"_s};
    QTest::newRow("empty") << QString() << QStringList{QString()};
    QTest::newRow("LF") << u"a\nb"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("CR LF") << u"a\r\nb"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("CR") << u"a\rb"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("paragraph separator") << u"a\u2029b"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("at the end") << u"a\n"_s << QStringList{u"a"_s, QString()};
    QTest::newRow("two in a row") << u"a\n\r\nb"_s << QStringList{u"a"_s, QString(), u"b"_s};
}

void TestRsLogView::lineBreaksStartNewLines()
{
    QFETCH(QString, appended);
    QFETCH(QStringList, lines);
    TRsLogView view;
    view.appendLines({u"before"_s});
    view.appendLine(appended);
    view.appendLines({u"after"_s});
    QCOMPARE(view.lineCount(), lines.size() + 2);
    QCOMPARE(view.toPlainText(), (QStringList{u"before"_s} + lines + QStringList{u"after"_s}).join(u'\n'));
}

void TestRsLogView::wrapsAtThePanesWidth_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("words") << u"F さくせー: "_s + QStringList(40, u"folder"_s).join(u'/') + u" done"_s;
    QTest::newRow("one long word") << QString(300, u'x');
}

void TestRsLogView::wrapsAtThePanesWidth()
{
    QFETCH(QString, text);
    LogFixture f({u"short"_s, text, u"next"_s}, QSize(300, 400));
    QVERIFY(f.exposed());
    const qsizetype end = text.size();
    QVERIFY(f.view.cursorRect({1, end}).top() > f.view.cursorRect({1, 0}).top());
    for (qsizetype column = 0; column <= end; ++column)
        QVERIFY2(f.view.cursorRect({1, column}).right() < f.viewport()->width(), qPrintable(QString::number(column)));
    QVERIFY(f.view.cursorRect({2, 0}).top() > f.view.cursorRect({1, end}).top());

    // Wide enough, the line takes one screen line.
    f.view.resize(6000, 400);
    QTRY_COMPARE(f.view.cursorRect({1, end}).top(), f.view.cursorRect({1, 0}).top());
    QCOMPARE(f.view.cursorRect({2, 0}).top(), f.view.cursorRect({1, 0}).bottom() + 1);
}

void TestRsLogView::followsTheEndOnlyWhileAtIt()
{
    LogFixture f(logLines(200));
    QVERIFY(f.exposed());
    const auto lastLineShown = [&f] {
        const QRect r = f.view.cursorRect({f.view.lineCount() - 1, 0});
        return r.isValid() && r.top() + r.height() <= f.viewport()->height();
    };
    QVERIFY(f.view.isAtEnd());
    QCOMPARE(f.top(), f.bar()->maximum());
    QVERIFY(lastLineShown());

    f.view.appendLines(logLines(50));
    QVERIFY(f.view.isAtEnd());
    QCOMPARE(f.top(), f.bar()->maximum());
    QVERIFY(lastLineShown());

    // Read back a little: new lines leave the view where it is.
    f.press(Qt::Key_Up, Qt::NoModifier);
    QVERIFY(!f.view.isAtEnd());
    const int reading = f.top();
    const QRect shown = f.view.cursorRect({reading, 0});
    f.view.appendLines(logLines(50));
    QCOMPARE(f.top(), reading);
    QCOMPARE(f.view.cursorRect({reading, 0}), shown);
    QVERIFY(!lastLineShown());

    // Back at the end, it follows again, also when the pane changes its height.
    f.press(Qt::Key_End, Qt::NoModifier);
    QVERIFY(f.view.isAtEnd());
    f.view.appendLine(u"one more");
    QVERIFY(lastLineShown());
    f.view.resize(360, 90);
    QTRY_COMPARE(f.view.height(), 90);
    QVERIFY(f.view.isAtEnd());
    QVERIFY(lastLineShown());
}

enum Move { Stay, LineDown, LineUp, PageDown, PageUp, ToTop, ToEnd };

void TestRsLogView::keysScroll_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("move");
    QTest::addColumn<bool>("taken");
    const int none = Qt::NoModifier;
    const int ctrl = Qt::ControlModifier;
    const int shift = Qt::ShiftModifier;
    QTest::newRow("Down") << int(Qt::Key_Down) << none << int(LineDown) << true;
    QTest::newRow("Up") << int(Qt::Key_Up) << none << int(LineUp) << true;
    // Ctrl and Shift arrows only repeat the plain arrows.
    QTest::newRow("Ctrl+Down") << int(Qt::Key_Down) << ctrl << int(LineDown) << true;
    QTest::newRow("Shift+Up") << int(Qt::Key_Up) << shift << int(LineUp) << true;
    QTest::newRow("PgDn") << int(Qt::Key_PageDown) << none << int(PageDown) << true;
    QTest::newRow("PgUp") << int(Qt::Key_PageUp) << none << int(PageUp) << true;
    QTest::newRow("Space") << int(Qt::Key_Space) << none << int(PageDown) << true;
    QTest::newRow("Shift+Space") << int(Qt::Key_Space) << shift << int(PageUp) << true;
    QTest::newRow("Home") << int(Qt::Key_Home) << none << int(ToTop) << true;
    QTest::newRow("Ctrl+Home") << int(Qt::Key_Home) << ctrl << int(ToTop) << true;
    QTest::newRow("End") << int(Qt::Key_End) << none << int(ToEnd) << true;
    QTest::newRow("Ctrl+End") << int(Qt::Key_End) << ctrl << int(ToEnd) << true;
    QTest::newRow("Left") << int(Qt::Key_Left) << none << int(Stay) << true;
    QTest::newRow("Right") << int(Qt::Key_Right) << none << int(Stay) << true;
    QTest::newRow("Shift+PgDn") << int(Qt::Key_PageDown) << shift << int(Stay) << false;
    QTest::newRow("Shift+End") << int(Qt::Key_End) << shift << int(Stay) << false;
    QTest::newRow("a letter") << int(Qt::Key_X) << none << int(Stay) << false;
}

void TestRsLogView::keysScroll()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, move);
    QFETCH(bool, taken);
    LogFixture f(logLines(300));
    QVERIFY(f.exposed());
    f.bar()->setValue(100);
    QCOMPARE(f.top(), 100);
    const int page = int(f.lastWholeLine() + 1 - f.top());
    QVERIFY(page > 1);

    QCOMPARE(f.press(key, Qt::KeyboardModifiers(modifiers)), taken);
    switch (Move(move)) {
    case Stay:
        QCOMPARE(f.top(), 100);
        break;
    case LineDown:
        QCOMPARE(f.top(), 101);
        break;
    case LineUp:
        QCOMPARE(f.top(), 99);
        break;
    case PageDown:
        QCOMPARE(f.top(), 100 + page);
        break;
    case PageUp:
        QCOMPARE(f.top(), 100 - page);
        break;
    case ToTop:
        QCOMPARE(f.top(), 0);
        QCOMPARE(f.view.cursorRect({0, 0}).top(), 4); // the text's margin shows above the first line
        break;
    case ToEnd:
        QCOMPARE(f.top(), f.bar()->maximum());
        QVERIFY(f.view.isAtEnd());
        break;
    }
    // The view moves; the selection and the caret do not.
    QVERIFY(!f.view.hasSelection());
}

void TestRsLogView::arrowsStepThroughWrappedLines()
{
    const QString wrapped = QStringList(60, u"word"_s).join(u' ');
    LogFixture f(QStringList{u"first"_s, wrapped} + logLines(20), QSize(200, 200));
    QVERIFY(f.exposed());
    f.bar()->setValue(1);
    QCOMPARE(f.view.cursorRect({1, 0}).top(), 0);
    const int height = f.view.cursorRect({1, 0}).height();
    QVERIFY(height > 0);
    const int screenLines = f.view.cursorRect({1, wrapped.size()}).top() / height + 1;
    QVERIFY(screenLines >= 3);
    const int after = f.view.cursorRect({2, 0}).top();

    // One screen line at a time, through the wrapped line and on.
    f.press(Qt::Key_Down, Qt::NoModifier);
    QCOMPARE(f.top(), 1);
    QCOMPARE(f.view.cursorRect({2, 0}).top(), after - height);
    for (int i = 1; i < screenLines; ++i)
        f.press(Qt::Key_Down, Qt::NoModifier);
    QCOMPARE(f.top(), 2);
    QCOMPARE(f.view.cursorRect({2, 0}).top(), 0);
    for (int i = 0; i < screenLines; ++i)
        f.press(Qt::Key_Up, Qt::NoModifier);
    QCOMPARE(f.top(), 1);
    QCOMPARE(f.view.cursorRect({1, 0}).top(), 0);
}

void TestRsLogView::wheelScrollsLinesAndZooms()
{
    LogFixture f(logLines(300));
    QVERIFY(f.exposed());
    f.bar()->setValue(100);
    const QPoint at = f.viewport()->rect().center();
    const auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(at, f.viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(f.viewport(), &event);
    };
    wheel(-120, Qt::NoModifier);
    QCOMPARE(f.top(), 100 + QApplication::wheelScrollLines());
    wheel(120, Qt::NoModifier);
    QCOMPARE(f.top(), 100);
    // Fractions of a notch add up.
    for (int i = 0; i < 8; ++i)
        wheel(-15, Qt::NoModifier);
    QCOMPARE(f.top(), 100 + QApplication::wheelScrollLines());

    const qreal size = f.view.font().pointSizeF();
    QVERIFY(size > 0);
    wheel(120, Qt::ControlModifier);
    QCOMPARE(f.view.font().pointSizeF(), size + 1);
    QCOMPARE(f.top(), 100 + QApplication::wheelScrollLines());
}

void TestRsLogView::tabMovesTheFocus()
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* before = new QLineEdit(&window);
    auto* view = new TRsLogView(&window);
    auto* after = new QLineEdit(&window);
    layout->addWidget(before);
    layout->addWidget(view);
    layout->addWidget(after);
    view->appendLines(logLines(20));
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    view->setFocus();
    QTRY_VERIFY(view->hasFocus());
    QTest::keyClick(view, Qt::Key_Tab);
    QTRY_VERIFY(after->hasFocus());
    view->setFocus();
    QTRY_VERIFY(view->hasFocus());
    QTest::keyClick(view, Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_VERIFY(before->hasFocus());
}

void TestRsLogView::dragSelects()
{
    const QStringList lines = logLines(30);
    LogFixture f(lines);
    QVERIFY(f.exposed());
    f.press(Qt::Key_Home, Qt::NoModifier);
    QSignalSpy changed(&f.view, &TRsLogView::selectionChanged);

    QTest::mousePress(f.viewport(), Qt::LeftButton, {}, f.pointOf(2, 3));
    QTest::mouseMove(f.viewport(), f.pointOf(4, 5));
    QTest::mouseRelease(f.viewport(), Qt::LeftButton, {}, f.pointOf(4, 5));
    QCOMPARE(f.view.anchor(), (TRsLogPosition{2, 3}));
    QCOMPARE(f.view.caret(), (TRsLogPosition{4, 5}));
    QCOMPARE(f.view.selectedText(), lines[2].mid(3) + u'\n' + lines[3] + u'\n' + lines[4].left(5));
    QVERIFY(changed.count() > 0);

    // Shift+click moves the caret and keeps the anchor, also backwards past it.
    QTest::mouseClick(f.viewport(), Qt::LeftButton, Qt::ShiftModifier, f.pointOf(1, 2));
    QCOMPARE(f.view.anchor(), (TRsLogPosition{2, 3}));
    QCOMPARE(f.view.selectedText(), lines[1].mid(2) + u'\n' + lines[2].left(3));

    // A plain click starts over.
    QTest::mouseClick(f.viewport(), Qt::LeftButton, {}, f.pointOf(3, 1));
    QVERIFY(!f.view.hasSelection());
    QCOMPARE(f.view.caret(), (TRsLogPosition{3, 1}));
}

void TestRsLogView::doubleClickSelectsWordsTripleClickLines()
{
    const QStringList lines{u"F さくせー: photos/summer/beach.jpg"_s, u"D さくせー: photos/winter"_s, u"end"_s};
    LogFixture f(lines);
    QVERIFY(f.exposed());
    const qsizetype summer = lines[0].indexOf(u"summer");
    const QPoint onSummer = f.pointOf(0, summer + 2);
    QTest::mouseDClick(f.viewport(), Qt::LeftButton, {}, onSummer);
    QCOMPARE(f.view.selectedText(), u"summer"_s);

    // Dragging on after a double click extends by whole words.
    QTest::mouseMove(f.viewport(), f.pointOf(1, lines[1].indexOf(u"winter") + 1));
    QTest::mouseRelease(f.viewport(), Qt::LeftButton, {}, f.pointOf(1, lines[1].indexOf(u"winter") + 1));
    QCOMPARE(f.view.selectedText(), lines[0].mid(summer) + u'\n' + lines[1]);

    // A third click right after a double click takes the line and its break.
    QTest::mouseDClick(f.viewport(), Qt::LeftButton, {}, onSummer);
    QTest::mouseClick(f.viewport(), Qt::LeftButton, {}, onSummer);
    QCOMPARE(f.view.selectedText(), lines[0] + u'\n');
    // The last line has no break to take.
    QTest::mouseDClick(f.viewport(), Qt::LeftButton, {}, f.pointOf(2, 1));
    QTest::mouseClick(f.viewport(), Qt::LeftButton, {}, f.pointOf(2, 1));
    QCOMPARE(f.view.selectedText(), u"end"_s);
}

void TestRsLogView::dragBeyondTheEdgeScrolls()
{
    LogFixture f(logLines(300));
    QVERIFY(f.exposed());
    f.press(Qt::Key_Home, Qt::NoModifier);
    QTest::mousePress(f.viewport(), Qt::LeftButton, {}, f.pointOf(1, 0));
    const QPoint below(20, f.viewport()->height() + 30);
    QTest::mouseMove(f.viewport(), below);
    QTRY_VERIFY(f.top() > 20);
    QTest::mouseRelease(f.viewport(), Qt::LeftButton, {}, below);
    const int stopped = f.top();
    QCOMPARE(f.view.anchor(), (TRsLogPosition{1, 0}));
    QVERIFY(f.view.caret().line >= stopped);
    // Released, it scrolls no more.
    QSignalSpy scrolled(f.bar(), &QScrollBar::valueChanged);
    QVERIFY(!scrolled.wait(300));
    QCOMPARE(f.top(), stopped);
}

void TestRsLogView::selectionIsPainted()
{
    LogFixture f({u"a"_s + QString(40, u' ') + u"b"_s});
    QVERIFY(f.exposed());
    QPalette palette = f.view.palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Highlight, Qt::red);
    f.view.setPalette(palette);
    QTest::mouseClick(f.viewport(), Qt::LeftButton, {}, f.pointOf(0, 10));
    QTest::mouseClick(f.viewport(), Qt::LeftButton, Qt::ShiftModifier, f.pointOf(0, 20));
    const QImage image = f.viewport()->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    const auto colourAt = [&](qsizetype column) {
        const QPoint p = f.pointOf(0, column) + QPoint(2, 0);
        return image.pixelColor((QPointF(p) * ratio).toPoint());
    };
    QCOMPARE(colourAt(15), QColor(Qt::red));
    QCOMPARE(colourAt(5), QColor(Qt::white));
    QCOMPARE(colourAt(25), QColor(Qt::white));
}

void TestRsLogView::copyKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Ctrl+C") << int(Qt::Key_C);
    QTest::newRow("Ctrl+Ins") << int(Qt::Key_Insert);
}

void TestRsLogView::copyKeys()
{
    QFETCH(int, key);
    const QStringList lines = logLines(40);
    LogFixture f(lines);
    QVERIFY(f.exposed());
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(u"before"_s);

    // Nothing selected: the clipboard keeps what it had.
    QVERIFY(f.press(key, Qt::ControlModifier));
    QCOMPARE(clipboard->text(), u"before"_s);

    QVERIFY(f.press(Qt::Key_A, Qt::ControlModifier));
    QCOMPARE(f.view.anchor(), (TRsLogPosition{0, 0}));
    QCOMPARE(f.view.caret(), f.view.endPosition());
    QVERIFY(f.press(key, Qt::ControlModifier));
    QCOMPARE(clipboard->text(), lines.join(u'\n'));
}

void TestRsLogView::copyOfManyLines()
{
    QStringList lines = logLines(200000);
    TRsLogView view;
    for (qsizetype i = 0; i < lines.size(); i += 1000)
        view.appendLines(lines.mid(i, 1000));
    view.selectAll();
    view.copy();
    const QString expected = lines.join(u'\n');
    lines.clear();
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
    // What was copied stays on the clipboard when the pane is emptied.
    view.clear();
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
}

void TestRsLogView::contextMenu()
{
    const QStringList lines = logLines(10);
    LogFixture f({});
    QVERIFY(f.exposed());
    const auto openMenu = [&f]() -> QMenu* {
        const QPoint at(20, 20);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, f.viewport()->mapToGlobal(at));
        QApplication::sendEvent(f.viewport(), &event);
        return qobject_cast<QMenu*>(QApplication::activePopupWidget());
    };
    const auto action = [](QMenu* menu, const char* name) { return menu->findChild<QAction*>(QString::fromLatin1(name)); };

    QMenu* menu = openMenu();
    QVERIFY(menu);
    QVERIFY(!action(menu, "edit-copy")->isEnabled());
    QVERIFY(!action(menu, "select-all")->isEnabled());
    QVERIFY(action(menu, "edit-copy")->text().startsWith(QCoreApplication::translate("QWidgetTextControl", "&Copy")));
    menu->close();

    f.view.appendLines(lines);
    menu = openMenu();
    QVERIFY(menu);
    QVERIFY(!action(menu, "edit-copy")->isEnabled());
    QVERIFY(action(menu, "select-all")->isEnabled());
    action(menu, "select-all")->trigger();
    menu->close();
    QCOMPARE(f.view.selectedText(), lines.join(u'\n'));

    QGuiApplication::clipboard()->clear();
    menu = openMenu();
    QVERIFY(menu);
    QVERIFY(action(menu, "edit-copy")->isEnabled());
    action(menu, "edit-copy")->trigger();
    menu->close();
    QCOMPARE(QGuiApplication::clipboard()->text(), lines.join(u'\n'));
}

void TestRsLogView::caretToTheEnd()
{
    LogFixture f(logLines(100));
    QVERIFY(f.exposed());
    f.view.selectAll();
    f.press(Qt::Key_Home, Qt::NoModifier);
    f.view.moveCaretToEnd();
    QVERIFY(!f.view.hasSelection());
    QCOMPARE(f.view.caret(), (TRsLogPosition{99, logLine(99).size()}));
    QVERIFY(f.view.isAtEnd());
    QVERIFY(f.view.cursorRect(f.view.caret()).isValid());
    // In an empty pane the end is its start.
    TRsLogView empty;
    empty.moveCaretToEnd();
    QCOMPARE(empty.caret(), TRsLogPosition());
}

void TestRsLogView::clearEmptiesEverything()
{
    LogFixture f(logLines(100));
    QVERIFY(f.exposed());
    f.view.selectAll();
    f.bar()->setValue(10);
    f.view.clear();
    QCOMPARE(f.view.lineCount(), 0);
    QVERIFY(!f.view.hasSelection());
    QCOMPARE(f.bar()->maximum(), 0);
    QVERIFY(f.view.isAtEnd());
    f.view.appendLines(logLines(100));
    QVERIFY(f.view.isAtEnd());
    QCOMPARE(f.view.line(0), logLine(0));
}

QTEST_MAIN(TestRsLogView)
#include "tst_rslogview.moc"
