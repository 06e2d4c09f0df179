#include "RsUnits/RsSpacer.h"
#include "RsUnits/RsSplitter.h"

#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

namespace {

// A splitter of the given orientation, 404 pixels along it, with two panes and a 4-pixel bar.
struct SplitterFixture {
    TRsSplitter splitter;
    QWidget* lead = new QWidget;
    QWidget* trail = new QWidget;

    explicit SplitterFixture(Qt::Orientation orientation)
        : splitter(orientation)
    {
        splitter.setHandleWidth(4);
        splitter.addWidget(lead);
        splitter.addWidget(trail);
        splitter.resize(orientation == Qt::Horizontal ? QSize(404, 100) : QSize(100, 404));
        splitter.setSizes({200, 200});
        splitter.show();
    }

    // Drags the bar from its middle by delta pixels along the splitter.
    void drag(int delta)
    {
        QWidget* bar = splitter.handle(1);
        const QPoint from = bar->rect().center();
        const QPoint to = from + (splitter.orientation() == Qt::Horizontal ? QPoint(delta, 0) : QPoint(0, delta));
        const QPointF globalTo = bar->mapToGlobal(QPointF(to));
        QTest::mousePress(bar, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), globalTo, Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(bar, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, bar->mapFromGlobal(globalTo), globalTo, Qt::LeftButton,
                            Qt::NoButton, {});
        QApplication::sendEvent(bar, &release);
    }
};

QImage grabOnWhite(QWidget* widget)
{
    QImage image(widget->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace

class TestRsSplitter : public QObject {
    Q_OBJECT

private slots:
    void gripDotsOfVerticalBar();
    void gripDotsOfHorizontalBar();
    void noGripByDefault();
    void dragKeepsMinSize_data();
    void dragKeepsMinSize();
    void canResizeMayRefuseOrAdjust();
    void spacerLines_data();
    void spacerLines();
    void spacerCustomDrawing();
};

void TestRsSplitter::gripDotsOfVerticalBar()
{
    SplitterFixture f(Qt::Horizontal);
    f.splitter.SetColor(QColor(200, 200, 200));
    f.splitter.SetShowGrab(true);
    QWidget* bar = f.splitter.handle(1);
    QCOMPARE(bar->size(), QSize(4, 100));
    const QImage image = bar->grab().toImage();
    const QColor light = QColor(bar->palette().color(QPalette::Light).rgb());
    const QColor dark = QColor(bar->palette().color(QPalette::Dark).rgb());
    const QColor face(200, 200, 200);
    // Five dots at x = 0, starting at y = (100 - 19) div 2 = 40, one every 4 pixels.
    for (int i = 0; i < 5; ++i) {
        const int y = 40 + 4 * i;
        QCOMPARE(image.pixelColor(0, y), light);
        QCOMPARE(image.pixelColor(1, y + 1), light);
        QCOMPARE(image.pixelColor(2, y + 2), dark);
        QCOMPARE(image.pixelColor(2, y), face);
        QCOMPARE(image.pixelColor(0, y + 2), face);
        QCOMPARE(image.pixelColor(0, y + 3), face); // the gap between dots
    }
    QCOMPARE(image.pixelColor(0, 39), face);
    QCOMPARE(image.pixelColor(3, 40), face);
    QCOMPARE(image.pixelColor(0, 59), face);
}

void TestRsSplitter::gripDotsOfHorizontalBar()
{
    SplitterFixture f(Qt::Vertical);
    f.splitter.SetColor(QColor(200, 200, 200));
    f.splitter.SetShowGrab(true);
    QWidget* bar = f.splitter.handle(1);
    QCOMPARE(bar->size(), QSize(100, 4));
    const QImage image = bar->grab().toImage();
    const QColor light = QColor(bar->palette().color(QPalette::Light).rgb());
    for (int i = 0; i < 5; ++i)
        QCOMPARE(image.pixelColor(40 + 4 * i, 0), light);
    QCOMPARE(image.pixelColor(39, 0), QColor(200, 200, 200));
    QCOMPARE(image.pixelColor(60, 0), QColor(200, 200, 200));
}

void TestRsSplitter::noGripByDefault()
{
    SplitterFixture f(Qt::Horizontal);
    f.splitter.SetColor(QColor(200, 200, 200));
    const QImage image = f.splitter.handle(1)->grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            QCOMPARE(image.pixelColor(x, y), QColor(200, 200, 200));
}

void TestRsSplitter::dragKeepsMinSize_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<bool>("autoSnap");
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("leadSize");
    QTest::newRow("free move") << int(Qt::Horizontal) << false << 50 << 250;
    QTest::newRow("stops at lead min") << int(Qt::Horizontal) << false << -180 << 100;
    QTest::newRow("stops at trail min") << int(Qt::Horizontal) << false << 180 << 300;
    QTest::newRow("vertical stops at lead min") << int(Qt::Vertical) << false << -190 << 100;
    QTest::newRow("snap below half") << int(Qt::Horizontal) << true << -160 << 0;
    QTest::newRow("no snap above half") << int(Qt::Horizontal) << true << -140 << 100;
    QTest::newRow("trail snaps") << int(Qt::Horizontal) << true << 190 << 400;
}

void TestRsSplitter::dragKeepsMinSize()
{
    QFETCH(int, orientation);
    QFETCH(bool, autoSnap);
    QFETCH(int, delta);
    QFETCH(int, leadSize);
    SplitterFixture f{Qt::Orientation(orientation)};
    f.splitter.SetMinSize(100);
    f.splitter.SetAutoSnap(autoSnap);
    QCOMPARE(f.splitter.sizes().value(0), 200);
    f.drag(delta);
    QCOMPARE(f.splitter.sizes().value(0), leadSize);
    QCOMPARE(f.splitter.sizes().value(0) + f.splitter.sizes().value(1), 400);
}

void TestRsSplitter::canResizeMayRefuseOrAdjust()
{
    SplitterFixture f(Qt::Horizontal);
    f.splitter.SetMinSize(10);
    bool refuse = true;
    int seen = -1;
    connect(&f.splitter, &TRsSplitter::canResize, this, [&](TRsSplitter*, int& newSize, bool& accept) {
        seen = newSize;
        if (refuse)
            accept = false;
        else
            newSize = 150;
    });
    f.drag(30);
    QCOMPARE(seen, 230);
    QCOMPARE(f.splitter.sizes().value(0), 200);
    refuse = false;
    f.drag(30);
    QCOMPARE(f.splitter.sizes().value(0), 150);
}

void TestRsSplitter::spacerLines_data()
{
    QTest::addColumn<int>("shape");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("line1Start");
    QTest::addColumn<QPoint>("line1End");
    QTest::addColumn<bool>("hasLine2");
    // A vertical double line in a 10-pixel spacer: x = 4 (shadow) and x = 5 (highlight), y 2 .. height - 3.
    QTest::newRow("vertical double") << int(lsDouble) << int(ldVertical) << QSize(10, 30) << QPoint(4, 2)
                                     << QPoint(4, 27) << true;
    QTest::newRow("vertical single") << int(lsSingle) << int(ldVertical) << QSize(10, 30) << QPoint(4, 2)
                                     << QPoint(4, 27) << false;
    QTest::newRow("horizontal double") << int(lsDouble) << int(ldHorizontal) << QSize(40, 6) << QPoint(2, 2)
                                       << QPoint(37, 2) << true;
    QTest::newRow("odd width") << int(lsSingle) << int(ldVertical) << QSize(11, 20) << QPoint(4, 2) << QPoint(4, 17)
                               << false;
}

void TestRsSplitter::spacerLines()
{
    QFETCH(int, shape);
    QFETCH(int, direction);
    QFETCH(QSize, size);
    QFETCH(QPoint, line1Start);
    QFETCH(QPoint, line1End);
    QFETCH(bool, hasLine2);
    TRsSpacer spacer;
    spacer.resize(size);
    spacer.SetLineShape(TLineShape(shape));
    spacer.SetLineDirection(TLineDirection(direction));
    spacer.SetTopLeftLineColor(QColor(255, 0, 0));
    spacer.SetBottomRightLineColor(QColor(0, 0, 255));
    const QImage image = grabOnWhite(&spacer);
    const QPoint across = direction == ldVertical ? QPoint(1, 0) : QPoint(0, 1);
    const QPoint along = direction == ldVertical ? QPoint(0, 1) : QPoint(1, 0);
    int painted = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            painted += image.pixelColor(x, y) != QColor(Qt::white);
    const int length = direction == ldVertical ? line1End.y() - line1Start.y() + 1 : line1End.x() - line1Start.x() + 1;
    QCOMPARE(painted, length * (hasLine2 ? 2 : 1)); // the background is never painted
    for (QPoint p = line1Start; p != line1End + along; p += along) {
        QCOMPARE(image.pixelColor(p), QColor(255, 0, 0));
        QCOMPARE(image.pixelColor(p + across), hasLine2 ? QColor(0, 0, 255) : QColor(Qt::white));
    }
}

void TestRsSplitter::spacerCustomDrawing()
{
    TRsSpacer spacer;
    spacer.resize(10, 10);
    spacer.SetLineShape(lsDouble);
    spacer.SetCustomDrawing(true);
    int calls = 0;
    connect(&spacer, &TRsSpacer::customDrawSpacer, this, [&](TRsSpacer* sender, QPainter* canvas) {
        QCOMPARE(sender, &spacer);
        canvas->fillRect(QRect(0, 0, 1, 1), Qt::green);
        ++calls;
    });
    const QImage image = grabOnWhite(&spacer);
    QCOMPARE(calls, 1);
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::green));
    QCOMPARE(image.pixelColor(4, 5), QColor(Qt::white)); // no line of its own
}

QTEST_MAIN(TestRsSplitter)
#include "tst_rssplitter.moc"
