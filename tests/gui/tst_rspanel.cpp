#include "RsUnits/RsPanel.h"

#include <QFontMetrics>
#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QFont testFont(int pixelSize = 13)
{
    QFont font(u"DejaVu Sans"_s);
    font.setPixelSize(pixelSize);
    return font;
}

// Leftmost and rightmost columns holding text-coloured (dark) pixels, or (-1, -1).
QPair<int, int> inkColumns(const QImage& image)
{
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (qGray(image.pixel(x, y)) < 100) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

} // namespace

class TestRsPanel : public QObject {
    Q_OBJECT

private slots:
    void captionRect_data();
    void captionRect();
    void captionRectEmptyWithoutCaption();
    void ellipsisAndTruncation();
    void tallFontGivesNegativeOffset();
    void centredCaptionFollowsOuterBevel();
    void captionDrawnInsideMargins();
    void gradientBackground_data();
    void gradientBackground();
    void raisedBevelColours();
    void assignCopiesEverything();
    void mouseEnterLeaveWhileCaptured();
};

void TestRsPanel::captionRect_data()
{
    // A 200 x 40 panel, margins left 10, right 20, top 4, bottom 6; the inner rectangle is thus
    // x 10..180 (170 wide), y 4..34 (30 high). tw / th: the text's width and height.
    QTest::addColumn<int>("hAlign");
    QTest::addColumn<int>("vAlign");
    QTest::addColumn<QString>("xFormula");
    QTest::addColumn<QString>("yFormula");
    QTest::newRow("left top") << int(Qt::AlignLeft) << int(Qt::AlignTop) << u"left"_s << u"top"_s;
    QTest::newRow("right bottom") << int(Qt::AlignRight) << int(Qt::AlignBottom) << u"right"_s << u"bottom"_s;
    QTest::newRow("centre centre") << int(Qt::AlignHCenter) << int(Qt::AlignVCenter) << u"centre"_s << u"centre"_s;
    QTest::newRow("left bottom") << int(Qt::AlignLeft) << int(Qt::AlignBottom) << u"left"_s << u"bottom"_s;
    QTest::newRow("right centre") << int(Qt::AlignRight) << int(Qt::AlignVCenter) << u"right"_s << u"centre"_s;
}

void TestRsPanel::captionRect()
{
    QFETCH(int, hAlign);
    QFETCH(int, vAlign);
    QFETCH(QString, xFormula);
    QFETCH(QString, yFormula);
    TRsPanel panel;
    panel.setFont(testFont());
    panel.resize(200, 40);
    panel.SetCaption(u"Tasks"_s);
    panel.SetAlignment(Qt::Alignment(hAlign));
    panel.SetVerticalAlignment(Qt::Alignment(vAlign));
    panel.ViewOptions()->SetCaptionMarginLeft(10);
    panel.ViewOptions()->SetCaptionMarginRight(20);
    panel.ViewOptions()->SetCaptionMarginTop(4);
    panel.ViewOptions()->SetCaptionMarginBottom(6);
    const QFontMetrics metrics(panel.font());
    const int tw = metrics.horizontalAdvance(u"Tasks"_s);
    const int th = metrics.height();
    const int x = xFormula == u"left"_s ? 10 : xFormula == u"right"_s ? 180 - tw : 10 + (170 - tw) / 2;
    const int y = yFormula == u"top"_s ? 4 : yFormula == u"bottom"_s ? 34 - th : 4 + (30 - th) / 2;
    QCOMPARE(panel.CaptionRect(), QRect(x, y, tw, th));
}

void TestRsPanel::captionRectEmptyWithoutCaption()
{
    TRsPanel panel;
    panel.resize(100, 30);
    QCOMPARE(panel.CaptionRect(), QRect(0, 0, 0, 0));
    panel.SetCaption(u"Log"_s);
    QVERIFY(!panel.CaptionRect().isEmpty());
    panel.SetShowCaption(false);
    QCOMPARE(panel.CaptionRect(), QRect(0, 0, 0, 0));
}

void TestRsPanel::ellipsisAndTruncation()
{
    TRsPanel panel;
    panel.setFont(testFont());
    const QString caption = u"A rather long task list caption"_s;
    panel.SetCaption(caption);
    panel.ViewOptions()->SetCaptionEndEllipsis(true);
    panel.ViewOptions()->SetCaptionMarginLeft(8);
    panel.resize(80, 30);
    const QRect narrow = panel.CaptionRect();
    QVERIFY(panel.IsCaptionTruncated());
    QVERIFY(narrow.width() <= 80 - 8);
    QVERIFY(narrow.width() > 0);

    // What is drawn ends in "...": the panel's own picture has ink no further right than the margin box.
    panel.resize(400, 30);
    panel.CaptionRect();
    QVERIFY(!panel.IsCaptionTruncated());
    QCOMPARE(panel.CaptionRect().width(), QFontMetrics(panel.font()).horizontalAdvance(caption));

    // Without the ellipsis option the caption is never shortened.
    panel.ViewOptions()->SetCaptionEndEllipsis(false);
    panel.resize(80, 30);
    QCOMPARE(panel.CaptionRect().width(), QFontMetrics(panel.font()).horizontalAdvance(caption));
}

void TestRsPanel::tallFontGivesNegativeOffset()
{
    TRsPanel panel;
    panel.setFont(testFont(40));
    panel.resize(200, 12);
    panel.SetCaption(u"Big"_s);
    QVERIFY(panel.CaptionRect().top() < 0);
    // Painting such a panel must not fail.
    QVERIFY(!panel.grab().isNull());
}

void TestRsPanel::centredCaptionFollowsOuterBevel()
{
    const auto inkCentreTimesTwo = [](TBevelCut outer) {
        TRsPanel panel;
        panel.setFont(testFont());
        panel.SetColor(QColor(255, 255, 255));
        panel.SetParentBackground(false);
        panel.SetBevelOuter(outer);
        panel.SetBevelWidth(2);
        panel.resize(201, 30);
        panel.SetCaption(u"MMMM"_s);
        const QImage image = panel.grab().toImage().copy(5, 5, 191, 20);
        const auto [first, last] = inkColumns(image);
        return first + last;
    };
    // The bevel moves the anchor (ClientWidth div 2 plus the bevel's left edge) by exactly 2 pixels.
    QCOMPARE(inkCentreTimesTwo(bvRaised) - inkCentreTimesTwo(bvNone), 4);
}

void TestRsPanel::captionDrawnInsideMargins()
{
    TRsPanel panel;
    panel.setFont(testFont());
    panel.SetColor(QColor(255, 255, 255));
    panel.SetParentBackground(false);
    panel.SetBevelOuter(bvNone);
    panel.SetAlignment(Qt::AlignLeft);
    panel.ViewOptions()->SetCaptionMarginLeft(30);
    panel.ViewOptions()->SetCaptionMarginRight(30);
    panel.ViewOptions()->SetCaptionEndEllipsis(true);
    panel.SetCaption(u"MMMMMMMMMMMMMMMMMMMMMMMM"_s);
    panel.resize(120, 30);
    const auto [first, last] = inkColumns(panel.grab().toImage());
    QVERIFY(first >= 30);
    QVERIFY2(last < 90, qPrintable(QString::number(last)));
    QVERIFY(panel.IsCaptionTruncated());
}

void TestRsPanel::gradientBackground_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QPoint>("startPixel");
    QTest::addColumn<QPoint>("endPixel");
    QTest::newRow("vertical") << int(gdVertical) << QPoint(50, 0) << QPoint(50, 29);
    QTest::newRow("horizontal") << int(gdHorizontal) << QPoint(0, 15) << QPoint(99, 15);
}

void TestRsPanel::gradientBackground()
{
    QFETCH(int, direction);
    QFETCH(QPoint, startPixel);
    QFETCH(QPoint, endPixel);
    TRsPanel panel;
    panel.SetBevelOuter(bvNone);
    panel.resize(100, 30);
    panel.ViewOptions()->SetDrawingStyle(dsGradient);
    panel.ViewOptions()->SetGradientDirection(TGradientDirection(direction));
    panel.ViewOptions()->SetGradientStartColor(QColor(250, 250, 250));
    panel.ViewOptions()->SetGradientEndColor(QColor(100, 100, 100));
    const QImage image = panel.grab().toImage();
    QVERIFY(qAbs(qGray(image.pixel(startPixel)) - 250) <= 6);
    QVERIFY(qAbs(qGray(image.pixel(endPixel)) - 100) <= 6);
    const QPoint middle = (startPixel + endPixel) / 2;
    QVERIFY(qAbs(qGray(image.pixel(middle)) - 175) <= 8);
}

void TestRsPanel::raisedBevelColours()
{
    TRsPanel panel;
    panel.SetParentBackground(false);
    panel.SetColor(QColor(200, 200, 200));
    panel.resize(50, 20);
    const QImage image = panel.grab().toImage();
    const QColor light = QColor(panel.palette().color(QPalette::Light).rgb());
    const QColor dark = QColor(panel.palette().color(QPalette::Dark).rgb());
    QCOMPARE(image.pixelColor(0, 0), light);
    QCOMPARE(image.pixelColor(0, 10), light);
    QCOMPARE(image.pixelColor(49, 19), dark);
    QCOMPARE(image.pixelColor(49, 0), dark); // the top-right corner belongs to the shadow
    QCOMPARE(image.pixelColor(10, 10), QColor(200, 200, 200));

    panel.SetBevelOuter(bvLowered);
    const QImage lowered = panel.grab().toImage();
    QCOMPARE(lowered.pixelColor(0, 0), dark);
    QCOMPARE(lowered.pixelColor(49, 19), light);
}

void TestRsPanel::assignCopiesEverything()
{
    TRsPanel a;
    TRsPanel b;
    a.ViewOptions()->SetCaptionEndEllipsis(true);
    a.ViewOptions()->SetCaptionMarginLeft(1);
    a.ViewOptions()->SetCaptionMarginRight(2);
    a.ViewOptions()->SetCaptionMarginTop(3);
    a.ViewOptions()->SetCaptionMarginBottom(4);
    a.ViewOptions()->SetDrawingStyle(dsGradient);
    a.ViewOptions()->SetGradientDirection(gdHorizontal);
    a.ViewOptions()->SetGradientStartColor(QColor(1, 2, 3));
    a.ViewOptions()->SetGradientEndColor(QColor(4, 5, 6));
    b.SetViewOptions(*a.ViewOptions());
    const TRsPanel::TViewOptions& vo = *b.ViewOptions();
    QVERIFY(vo.CaptionEndEllipsis());
    QCOMPARE(vo.CaptionMarginLeft() * 1000 + vo.CaptionMarginRight() * 100 + vo.CaptionMarginTop() * 10
                 + vo.CaptionMarginBottom(),
             1234);
    QCOMPARE(vo.DrawingStyle(), dsGradient);
    QCOMPARE(vo.GradientDirection(), gdHorizontal);
    QCOMPARE(vo.GradientStartColor(), QColor(1, 2, 3));
    QCOMPARE(vo.GradientEndColor(), QColor(4, 5, 6));

    // The defaults follow the palette's button face.
    TRsPanel c;
    QCOMPARE(c.ViewOptions()->GradientEndColor(), c.palette().color(QPalette::Button));
    c.ViewOptions()->AdjustDefaultColors();
    QCOMPARE(c.ViewOptions()->GradientStartColor(), QColor(0xFA, 0xFA, 0xFA));
    QCOMPARE(c.ViewOptions()->GradientEndColor(), c.palette().color(QPalette::Button));
}

void TestRsPanel::mouseEnterLeaveWhileCaptured()
{
    TRsPanel panel;
    panel.resize(100, 30);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QSignalSpy enter(&panel, &TRsPanel::mouseEnter);
    QSignalSpy leave(&panel, &TRsPanel::mouseLeave);
    QSignalSpy down(&panel, &TRsPanel::mouseDown);
    QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(50, 15));
    QVERIFY(panel.MouseInControl());
    QCOMPARE(down.count(), 1);
    // Dragged out of the panel with the button held, then back in, then released outside.
    QMouseEvent out(QEvent::MouseMove, QPointF(150, 15), panel.mapToGlobal(QPointF(150, 15)), Qt::NoButton,
                    Qt::LeftButton, {});
    QApplication::sendEvent(&panel, &out);
    QVERIFY(!panel.MouseInControl());
    QCOMPARE(leave.count(), 1);
    QMouseEvent in(QEvent::MouseMove, QPointF(40, 10), panel.mapToGlobal(QPointF(40, 10)), Qt::NoButton,
                   Qt::LeftButton, {});
    QApplication::sendEvent(&panel, &in);
    QVERIFY(panel.MouseInControl());
    QCOMPARE(enter.count(), 1);
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(150, 15));
    QVERIFY(!panel.MouseInControl());
    QCOMPARE(leave.count(), 2);
}

QTEST_MAIN(TestRsPanel)
#include "tst_rspanel.moc"
