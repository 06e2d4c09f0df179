#include "RsUnits/RsEdit.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QImage>
#include <QMenu>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// A font whose character cell is exactly `cell` pixels high, or an invalid font when none is.
QFont fontWithCellHeight(int cell)
{
    for (int size = 4; size < 60; ++size) {
        QFont font(u"DejaVu Sans"_s);
        font.setPixelSize(size);
        if (QFontMetrics(font).height() == cell)
            return font;
    }
    return QFont(u"-none-"_s);
}

QImage grabImage(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Rows that hold dark (text) pixels.
QPair<int, int> inkRows(const QImage& image)
{
    int first = -1;
    int last = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 3; x < image.width() - 3; ++x) {
            if (qGray(image.pixel(x, y)) < 80) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
        }
    }
    return {first, last};
}

} // namespace

class TestRsEdit : public QObject {
    Q_OBJECT

private slots:
    void defaults();
    void flatNormalBandsAndBorder();
    void textLinePlacement_data();
    void textLinePlacement();
    void fontChangeGrowsBox_data();
    void fontChangeGrowsBox();
    void roundedCornersShowParent();
    void contextMenuRule();
    void textHintHiddenWhileFocused();
    void hugeAndControlText();
    void sharpAtDoubleScale();
};

void TestRsEdit::defaults()
{
    TRsEdit edit;
    QCOMPARE(edit.height(), 23);
    QCOMPARE(edit.CornerRadius(), 2);
    QCOMPARE(edit.FlatStyle(), rfsFlatNone);
    QCOMPARE(edit.VerticalAlignment(), taVerticalCenter);
    QCOMPARE(edit.BorderStyle(), bsSingle);
    QVERIFY(!edit.DefaultContextMenuEnabled());
    QCOMPARE(edit.FlatBorderColor(), edit.palette().color(QPalette::Dark));
}

void TestRsEdit::flatNormalBandsAndBorder()
{
    // 23 pixels high with a 15-pixel cell: the line starts (23 - 15) / 2 = 4 pixels below the top.
    const QFont font = fontWithCellHeight(15);
    if (QFontMetrics(font).height() != 15)
        QSKIP("no font with a 15-pixel cell here");
    QWidget parent;
    TRsEdit edit(&parent);
    edit.SetBorderStyle(bsNone);
    edit.SetFlatStyle(rfsFlatNormal);
    edit.setFont(font);
    edit.setGeometry(0, 0, 120, 23);
    edit.SetColor(QColor(255, 255, 200));
    edit.SetFlatBorderColor(QColor(0, 0, 255));
    QCOMPARE(edit.height(), 23);
    QCOMPARE(edit.TextLineRect(), QRect(2, 4, 116, 15));
    QCOMPARE(edit.TopRect(), QRect(0, 0, 120, 4));
    QCOMPARE(edit.BottomRect(), QRect(0, 19, 120, 4));
    QCOMPARE(edit.LeftRect(), QRect(0, 4, 2, 15));
    QCOMPARE(edit.RightRect(), QRect(118, 4, 2, 15));

    const QImage image = grabImage(edit);
    const QRgb band = qRgb(255, 255, 200);
    const QRgb border = qRgb(0, 0, 255);
    // The outline runs along the outermost pixels; inside it the bands have the box's colour.
    QCOMPARE(image.pixel(0, 0), border);
    QCOMPARE(image.pixel(119, 22), border);
    QCOMPARE(image.pixel(60, 0), border);
    QCOMPARE(image.pixel(0, 11), border);
    QCOMPARE(image.pixel(60, 2), band);
    QCOMPARE(image.pixel(60, 20), band);
    QCOMPARE(image.pixel(1, 11), band);
    QCOMPARE(image.pixel(118, 11), band);
}

void TestRsEdit::textLinePlacement_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("boxHeight");
    QTest::addColumn<int>("expectedTop"); // -1: centred, -2: bottom with the flat gap
    QTest::newRow("top, flat") << int(taAlignTop) << int(rfsFlatNormal) << 60 << 1;
    QTest::newRow("top, no flat") << int(taAlignTop) << int(rfsFlatNone) << 60 << 0;
    QTest::newRow("bottom, flat") << int(taAlignBottom) << int(rfsFlatNormal) << 60 << -2;
    QTest::newRow("centre, tall") << int(taVerticalCenter) << int(rfsFlatRounded) << 61 << -1;
}

void TestRsEdit::textLinePlacement()
{
    QFETCH(int, alignment);
    QFETCH(int, style);
    QFETCH(int, boxHeight);
    QFETCH(int, expectedTop);
    QFont font(u"DejaVu Sans"_s);
    font.setPixelSize(14);
    const int t = QFontMetrics(font).height();
    QWidget parent;
    TRsEdit edit(&parent);
    edit.SetBorderStyle(bsNone);
    edit.setFont(font);
    edit.SetFlatStyle(TRsFlatStyle(style));
    edit.SetVerticalAlignment(TRsVerticalAlignment(alignment));
    edit.setGeometry(0, 0, 150, boxHeight);
    edit.setText(u"HHHH"_s);
    int top = expectedTop;
    if (expectedTop == -1)
        top = int(std::nearbyint((boxHeight - t) / 2.0));
    else if (expectedTop == -2)
        top = boxHeight - t - 1;
    QCOMPARE(edit.TextLineRect().top(), top);
    QCOMPARE(edit.TextLineRect().height(), t);
    // The letters are drawn on that line, nowhere else.
    const auto [first, last] = inkRows(grabImage(edit));
    QVERIFY2(first >= top && last < top + t, qPrintable(u"ink %1..%2, line %3..%4"_s.arg(first).arg(last).arg(top).arg(top + t - 1)));
}

void TestRsEdit::fontChangeGrowsBox_data()
{
    QTest::addColumn<int>("border");
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("extra");
    QTest::addColumn<int>("pixelSize");
    QTest::newRow("no border, flat") << int(bsNone) << int(rfsFlatNormal) << 2 << 14;
    QTest::newRow("no border, rounded") << int(bsNone) << int(rfsFlatRounded) << 2 << 20;
    QTest::newRow("no border, no flat") << int(bsNone) << int(rfsFlatNone) << 0 << 14;
    QTest::newRow("single border") << int(bsSingle) << int(rfsFlatNone) << 4 << 30;
}

void TestRsEdit::fontChangeGrowsBox()
{
    QFETCH(int, border);
    QFETCH(int, style);
    QFETCH(int, extra);
    QFETCH(int, pixelSize);
    // A font one pixel taller than the box makes the box one line plus the border high
    // (a 17-pixel cell in a 16-pixel flat box without border gives 19).
    QFont font(u"DejaVu Sans"_s);
    font.setPixelSize(pixelSize);
    const int t = QFontMetrics(font).height();
    TRsEdit edit;
    edit.SetBorderStyle(TRsBorderStyle(border));
    edit.SetFlatStyle(TRsFlatStyle(style));
    edit.resize(100, t - 1);
    edit.setFont(font);
    QCOMPARE(edit.height(), t + extra);
    QCOMPARE(edit.TextLineRect().height(), t);
    // A smaller font never shrinks the box.
    QFont small = font;
    small.setPixelSize(6);
    edit.setFont(small);
    QCOMPARE(edit.height(), t + extra);
}

void TestRsEdit::roundedCornersShowParent()
{
    QWidget parent;
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, QColor(200, 0, 0));
    parent.setPalette(pal);
    TRsEdit edit(&parent);
    edit.SetBorderStyle(bsNone);
    edit.SetFlatStyle(rfsFlatRounded);
    edit.SetCornerRadius(4);
    edit.setGeometry(0, 0, 100, 30);
    edit.SetColor(QColor(255, 255, 255));
    edit.SetFlatBorderColor(QColor(0, 0, 0));
    const QImage image = grabImage(edit);
    QCOMPARE(image.pixel(0, 0), qRgb(200, 0, 0));
    QCOMPARE(image.pixel(99, 29), qRgb(200, 0, 0));
    // The straight part of the outline is dark, and inside it the box's colour.
    QVERIFY(qGray(image.pixel(50, 0)) < 120);
    QCOMPARE(image.pixel(50, 3), qRgb(255, 255, 255));
}

void TestRsEdit::contextMenuRule()
{
    TRsEdit edit;
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    // The standard menu deletes itself when closed: remember what it was, not the pointer.
    QWidget* seen = nullptr;
    bool seenMenu = false;
    auto request = [&] {
        seen = nullptr;
        seenMenu = false;
        QTimer::singleShot(0, &edit, [&] {
            seen = QApplication::activePopupWidget();
            seenMenu = qobject_cast<QMenu*>(seen) != nullptr;
            if (seen)
                seen->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), edit.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&edit, &event);
        QTest::qWait(0);
        QApplication::processEvents();
    };
    request();
    QVERIFY2(!seen, "the standard menu is suppressed by default");

    edit.SetDefaultContextMenuEnabled(true);
    request();
    QVERIFY(seenMenu);

    QMenu own;
    own.addAction(u"own"_s);
    edit.SetDefaultContextMenuEnabled(false);
    edit.SetPopupMenu(&own);
    request();
    QTRY_VERIFY(own.isVisible() || seen == &own);
    own.close();
}

void TestRsEdit::textHintHiddenWhileFocused()
{
    QWidget window;
    TRsEdit edit(&window);
    TRsEdit other(&window);
    other.move(0, 40);
    edit.SetTextHint(u"hint"_s);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    other.setFocus();
    QTRY_VERIFY(other.hasFocus());
    QCOMPARE(edit.placeholderText(), u"hint"_s);
    edit.setFocus();
    QTRY_VERIFY(edit.hasFocus());
    QCOMPARE(edit.placeholderText(), QString());
    other.setFocus();
    QTRY_VERIFY(other.hasFocus());
    QCOMPARE(edit.placeholderText(), u"hint"_s);
}

void TestRsEdit::hugeAndControlText()
{
    TRsEdit edit;
    edit.SetBorderStyle(bsNone);
    edit.SetFlatStyle(rfsFlatNormal);
    const QString text = QString(10000, u'x') + QChar(0x0007) + QChar(0xD800) + u"\t"_s;
    edit.setText(text);
    edit.resize(200, 23);
    QVERIFY(!grabImage(edit).isNull());
    QCOMPARE(edit.text().size(), qMin<qsizetype>(text.size(), edit.maxLength()));
}

void TestRsEdit::sharpAtDoubleScale()
{
    QWidget parent;
    TRsEdit edit(&parent);
    edit.SetBorderStyle(bsNone);
    edit.SetFlatStyle(rfsFlatNormal);
    edit.setGeometry(0, 0, 80, 23);
    edit.SetColor(QColor(255, 255, 255));
    edit.SetFlatBorderColor(QColor(0, 0, 255));
    QImage image(160, 46, QImage::Format_RGB32);
    image.setDevicePixelRatio(2.0);
    image.fill(Qt::black);
    edit.render(&image);
    // At 200 % the one-pixel outline covers exactly two device pixels, with nothing blended.
    for (int x : {40, 100}) {
        QCOMPARE(image.pixel(x, 0), qRgb(0, 0, 255));
        QCOMPARE(image.pixel(x, 1), qRgb(0, 0, 255));
        QCOMPARE(image.pixel(x, 2), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(x, 43), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(x, 44), qRgb(0, 0, 255));
        QCOMPARE(image.pixel(x, 45), qRgb(0, 0, 255));
    }
    QCOMPARE(image.pixel(1, 20), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(2, 20), qRgb(255, 255, 255));
}

QTEST_MAIN(TestRsEdit)
#include "tst_rsedit.moc"
