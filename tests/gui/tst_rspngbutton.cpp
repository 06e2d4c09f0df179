#include "RsUnits/RsImageList.h"
#include "RsUnits/RsPngButton.h"

#include <QAction>
#include <QEnterEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

QPixmap solidPixmap(QColor colour, int alpha = 255, QSize size = QSize(16, 16))
{
    colour.setAlpha(alpha);
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    return QPixmap::fromImage(image);
}

QRgb pixelAt(const QPixmap& pixmap, int x = 0, int y = 0)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32).pixel(x, y);
}

void sendEnter(QWidget* w)
{
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)));
    QCoreApplication::sendEvent(w, &enter);
}

void sendLeave(QWidget* w)
{
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(w, &leave);
}

// A panel of buttons shown on screen, so that mouse events reach them.
struct Panel {
    Panel()
    {
        widget.resize(300, 100);
        widget.move(50, 50);
    }
    TRsPngButton* add(int x)
    {
        auto* b = new TRsPngButton(&widget);
        b->move(x, 10);
        b->resize(40, 30);
        return b;
    }
    void show()
    {
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
    }
    QWidget widget;
};

} // namespace

class TestRsPngButton : public QObject {
    Q_OBJECT
private slots:
    void defaults();
    void groupedCheckButtons_data();
    void groupedCheckButtons();
    void allowAllUpSpreadsThroughGroup();
    void setDownOnGroupedButton();
    void pressAndRelease_data();
    void pressAndRelease();
    void stateImages();
    void disabledImageHasHalfAlpha();
    void paintsChosenImage();
    void layoutCentresImageAndCaption_data();
    void layoutCentresImageAndCaption();
    void downOffset_data();
    void downOffset();
    void dropdownStyleChangesWidth();
    void doubleClickOnlyWhenDown_data();
    void doubleClickOnlyWhenDown();
    void actionBinding();
    void actionImageFromList();
    void actionCheckedFollowsDown();
    void dropDownPoint();
    void dropDownPressRaisesNoClick();
};

void TestRsPngButton::defaults()
{
    TRsPngButton b;
    QCOMPARE(b.size(), QSize(24, 22));
    QCOMPARE(b.ButtonStyle(), pbsFlat);
    QCOMPARE(b.DownOffsetStyle(), dosRight);
    QCOMPARE(b.Layout(), blGlyphLeft);
    QCOMPARE(b.Spacing(), 4);
    QVERIFY(b.Transparent());
    QVERIFY(!b.AllowAllUp());
    QVERIFY(!b.Down());
    QVERIFY(!b.Grouped());
}

void TestRsPngButton::groupedCheckButtons_data()
{
    QTest::addColumn<bool>("allowAllUp");
    QTest::newRow("grouped") << false;
    QTest::newRow("grouped, all may be up") << true;
}

void TestRsPngButton::groupedCheckButtons()
{
    QFETCH(bool, allowAllUp);
    Panel panel;
    TRsPngButton* b[3] = {panel.add(0), panel.add(50), panel.add(100)};
    for (TRsPngButton* x : b) {
        x->SetButtonStyle(pbsFlatCheck);
        x->SetGrouped(true);
    }
    b[0]->SetAllowAllUp(allowAllUp);
    panel.show();
    // A button of another parent is not part of the group.
    QWidget other;
    TRsPngButton outsider(&other);
    outsider.SetButtonStyle(pbsFlatCheck);
    outsider.SetGrouped(true);
    outsider.SetDown(true);

    QTest::mouseClick(b[0], Qt::LeftButton);
    QVERIFY(b[0]->Down());
    QTest::mouseClick(b[1], Qt::LeftButton);
    QVERIFY(b[1]->Down());
    QVERIFY(!b[0]->Down());
    QVERIFY(!b[2]->Down());
    QVERIFY(outsider.Down());

    // Clicking the down button again raises it only when all may be up.
    QTest::mouseClick(b[1], Qt::LeftButton);
    QCOMPARE(b[1]->Down(), !allowAllUp);
}

void TestRsPngButton::allowAllUpSpreadsThroughGroup()
{
    Panel panel;
    TRsPngButton* a = panel.add(0);
    TRsPngButton* b = panel.add(50);
    TRsPngButton* loose = panel.add(100);
    a->SetGrouped(true);
    b->SetGrouped(true);
    a->SetAllowAllUp(true);
    QVERIFY(b->AllowAllUp());
    QVERIFY(!loose->AllowAllUp());
    b->SetAllowAllUp(false);
    QVERIFY(!a->AllowAllUp());
}

void TestRsPngButton::setDownOnGroupedButton()
{
    Panel panel;
    TRsPngButton* a = panel.add(0);
    TRsPngButton* b = panel.add(50);
    a->SetGrouped(true);
    b->SetGrouped(true);
    a->SetDown(true);
    QCOMPARE(a->ButtonState(), bsExclusive);
    // A grouped button cannot be raised directly, only by pressing another one.
    a->SetDown(false);
    QVERIFY(a->Down());
    b->SetDown(true);
    QVERIFY(!a->Down());
    QCOMPARE(a->ButtonState(), bsUp);
}

void TestRsPngButton::pressAndRelease_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("releaseInside");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<bool>("downAfter");
    QTest::newRow("flat, inside") << int(pbsFlat) << true << 1 << false;
    QTest::newRow("flat, dragged out") << int(pbsFlat) << false << 0 << false;
    QTest::newRow("check, inside") << int(pbsFlatCheck) << true << 1 << true;
    QTest::newRow("check, dragged out") << int(pbsFlatCheck) << false << 0 << false;
    QTest::newRow("no frame, dragged out") << int(pbsNoFrame) << false << 0 << false;
}

void TestRsPngButton::pressAndRelease()
{
    QFETCH(int, style);
    QFETCH(bool, releaseInside);
    QFETCH(int, clicks);
    QFETCH(bool, downAfter);
    Panel panel;
    TRsPngButton* b = panel.add(10);
    b->SetButtonStyle(TRsPngButtonStyle(style));
    panel.show();
    QSignalSpy clicked(b, &TRsPngButton::OnClick);

    const QPoint inside(10, 10);
    const QPoint outside(b->width() + 20, 10);
    QTest::mousePress(b, Qt::LeftButton, {}, inside);
    QCOMPARE(b->ButtonState(), bsDown);
    QVERIFY(b->MouseInControl());
    if (!releaseInside) {
        QTest::mouseMove(b, outside);
        // Dragged out of the button: it looks raised again.
        QTRY_COMPARE(b->ButtonState(), bsUp);
    }
    QTest::mouseRelease(b, Qt::LeftButton, {}, releaseInside ? inside : outside);
    QCOMPARE(clicked.count(), clicks);
    QCOMPARE(b->Down(), downAfter);
    QCOMPARE(b->ButtonState(), downAfter ? bsExclusive : bsUp);
}

void TestRsPngButton::stateImages()
{
    Panel panel;
    TRsPngButton* b = panel.add(10);
    b->SetGlyphUp(solidPixmap(Qt::red));
    b->SetGlyphHot(solidPixmap(Qt::green));
    b->SetGlyphDown(solidPixmap(Qt::blue));
    panel.show();

    QCOMPARE(pixelAt(b->CurrentGlyph()), qRgb(255, 0, 0));
    sendEnter(b);
    QVERIFY(b->MouseInControl());
    QCOMPARE(pixelAt(b->CurrentGlyph()), qRgb(0, 255, 0));
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(pixelAt(b->CurrentGlyph()), qRgb(0, 0, 255));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
    sendLeave(b);
    QVERIFY(!b->MouseInControl());
    QCOMPARE(pixelAt(b->CurrentGlyph()), qRgb(255, 0, 0));

    // Without a hot image the up image stays while the mouse is over the button.
    b->SetGlyphHot(QPixmap());
    sendEnter(b);
    QCOMPARE(pixelAt(b->CurrentGlyph()), qRgb(255, 0, 0));

    b->setEnabled(false);
    QCOMPARE(b->ButtonState(), bsDisabled);
    QCOMPARE(qAlpha(pixelAt(b->CurrentGlyph())), 127);
    b->setEnabled(true);
    QCOMPARE(b->ButtonState(), bsUp);
}

void TestRsPngButton::disabledImageHasHalfAlpha()
{
    TRsPngButton b;
    QImage image(4, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(10, 20, 30, 255));
    image.setPixel(1, 0, qRgba(10, 20, 30, 200));
    image.setPixel(2, 0, qRgba(10, 20, 30, 1));
    image.setPixel(3, 0, qRgba(10, 20, 30, 0));
    b.SetGlyphUp(QPixmap::fromImage(image));
    const QImage disabled = b.GlyphDisabled().toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(disabled.size(), image.size());
    QCOMPARE(qAlpha(disabled.pixel(0, 0)), 127);
    QCOMPARE(qAlpha(disabled.pixel(1, 0)), 100);
    QCOMPARE(qAlpha(disabled.pixel(2, 0)), 0);
    QCOMPARE(qAlpha(disabled.pixel(3, 0)), 0);
    QCOMPARE(qRed(disabled.pixel(0, 0)), 10);
    QVERIFY(qAbs(qBlue(disabled.pixel(1, 0)) - 30) <= 2);

    // An image without alpha becomes half transparent too.
    QImage opaque(2, 2, QImage::Format_RGB32);
    opaque.fill(qRgb(0, 128, 0));
    b.SetGlyphUp(QPixmap::fromImage(opaque));
    QCOMPARE(qAlpha(pixelAt(b.GlyphDisabled(), 1, 1)), 127);
    b.SetGlyphUp(QPixmap());
    QVERIFY(b.GlyphDisabled().isNull());
}

void TestRsPngButton::paintsChosenImage()
{
    QWidget parent;
    parent.setAutoFillBackground(true);
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, Qt::white);
    parent.setPalette(pal);
    parent.resize(60, 40);
    auto* b = new TRsPngButton(&parent);
    b->setGeometry(0, 0, 40, 30);
    b->SetButtonStyle(pbsNoFrame);
    b->SetGlyphUp(solidPixmap(Qt::red, 255, QSize(12, 12)));
    const QPoint centre = b->GlyphRect().center();
    QCOMPARE(parent.grab().toImage().pixel(centre), qRgb(255, 0, 0));
    b->setEnabled(false);
    // Half of the red over the white background.
    const QRgb mixed = parent.grab().toImage().pixel(centre);
    QVERIFY2(qAbs(qGreen(mixed) - 128) <= 3 && qRed(mixed) == 255, qPrintable(QString::number(mixed, 16)));
}

void TestRsPngButton::layoutCentresImageAndCaption_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<QString>("caption");
    QTest::newRow("image only") << int(blGlyphLeft) << QString();
    QTest::newRow("left") << int(blGlyphLeft) << u"じっこー(&R)"_s;
    QTest::newRow("right") << int(blGlyphRight) << u"Run"_s;
    QTest::newRow("top") << int(blGlyphTop) << u"テスト"_s;
    QTest::newRow("bottom") << int(blGlyphBottom) << u"Stop"_s;
}

void TestRsPngButton::layoutCentresImageAndCaption()
{
    QFETCH(int, layout);
    QFETCH(QString, caption);
    TRsPngButton b;
    b.resize(120, 80);
    b.SetLayout(TButtonLayout(layout));
    b.SetGlyphUp(solidPixmap(Qt::red, 255, QSize(24, 24)));
    b.SetCaption(caption);
    const QRect g = b.GlyphRect();
    const QRect c = b.CaptionRect();
    QCOMPARE(g.size(), QSize(24, 24));
    if (caption.isEmpty()) {
        QCOMPARE(g.topLeft(), QPoint((120 - 24) / 2, (80 - 24) / 2));
        return;
    }
    const int s = b.Spacing();
    // Image and caption are centred together, with the spacing between them.
    switch (layout) {
    case blGlyphLeft:
        QCOMPARE(c.left(), g.right() + 1 + s);
        QVERIFY(qAbs(g.left() - (120 - 1 - c.right())) <= 1);
        break;
    case blGlyphRight:
        QCOMPARE(g.left(), c.left() + c.width() + s);
        QVERIFY(qAbs(c.left() - (120 - 1 - g.right())) <= 1);
        break;
    case blGlyphTop:
        QCOMPARE(c.top(), g.bottom() + 1 + s);
        QCOMPARE(c.bottom(), 80 - 1);
        break;
    case blGlyphBottom:
        QCOMPARE(g.top(), c.top() + QFontMetrics(b.font()).height() + s);
        QCOMPARE(c.bottom(), g.top() - 1);
        break;
    }
}

void TestRsPngButton::downOffset_data()
{
    QTest::addColumn<int>("offsetStyle");
    QTest::addColumn<QPoint>("shift");
    QTest::newRow("bottom right") << int(dosBottomRight) << QPoint(1, 1);
    QTest::newRow("right") << int(dosRight) << QPoint(1, 0);
    QTest::newRow("none") << int(dosNone) << QPoint(0, 0);
}

void TestRsPngButton::downOffset()
{
    QFETCH(int, offsetStyle);
    QFETCH(QPoint, shift);
    Panel panel;
    TRsPngButton* b = panel.add(10);
    b->SetDownOffsetStyle(TRsDownOffsetStyle(offsetStyle));
    b->SetButtonStyle(pbsDropdown);
    b->SetGlyphUp(solidPixmap(Qt::red));
    b->SetCaption(u"A"_s);
    panel.show();
    const QRect glyph = b->GlyphRect();
    const QRect caption = b->CaptionRect();
    const QRect arrow = b->ArrowRect();
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(b->GlyphRect().topLeft(), glyph.topLeft() + shift);
    QCOMPARE(b->CaptionRect().topLeft(), caption.topLeft() + shift);
    QCOMPARE(b->ArrowRect().topLeft(), arrow.topLeft() + shift);
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(b->GlyphRect(), glyph);
}

void TestRsPngButton::dropdownStyleChangesWidth()
{
    TRsPngButton b;
    b.resize(28, 26);
    b.SetButtonStyle(pbsDropdown);
    QCOMPARE(b.width(), 28 + TRsPngButton::ArrowWidth);
    QCOMPARE(b.ArrowRect(), QRect(28, 0, 18, 26));
    b.SetButtonStyle(pbsFlatCheck);
    QCOMPARE(b.width(), 28);
    b.SetButtonStyle(pbsFlat);
    QCOMPARE(b.width(), 28);
}

void TestRsPngButton::doubleClickOnlyWhenDown_data()
{
    QTest::addColumn<bool>("down");
    QTest::newRow("down") << true;
    QTest::newRow("up") << false;
}

void TestRsPngButton::doubleClickOnlyWhenDown()
{
    QFETCH(bool, down);
    Panel panel;
    TRsPngButton* b = panel.add(10);
    b->SetGrouped(true);
    b->SetButtonStyle(pbsFlatCheck);
    b->SetDown(down);
    panel.show();
    QSignalSpy dbl(b, &TRsPngButton::OnDblClick);
    QTest::mouseDClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(dbl.count(), down ? 1 : 0);
}

void TestRsPngButton::actionBinding()
{
    Panel panel;
    TRsPngButton* b = panel.add(10);
    panel.show();
    QAction action(u"タスク リストの じっこー(&R)"_s);
    QSignalSpy triggered(&action, &QAction::triggered);
    b->SetAction(&action);
    QCOMPARE(b->Caption(), action.text());

    action.setText(u"じっこー(&R)"_s);
    QCOMPARE(b->Caption(), u"じっこー(&R)"_s);
    action.setEnabled(false);
    QVERIFY(!b->isEnabled());
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(triggered.count(), 0);
    action.setEnabled(true);
    QVERIFY(b->isEnabled());
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(triggered.count(), 1);

    // A caption moved to the tooltip stays empty when the action's caption changes.
    b->SetHint(b->Caption());
    b->SetCaption(QString());
    action.setText(u"テスト(&T)"_s);
    QVERIFY(b->Caption().isEmpty());

    b->SetAction(nullptr);
    action.setEnabled(false);
    QVERIFY(b->isEnabled());

    // An action that goes away leaves the button working.
    auto* shortLived = new QAction(u"x"_s);
    b->SetAction(shortLived);
    delete shortLived;
    QVERIFY(!b->Action());
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
}

void TestRsPngButton::actionImageFromList()
{
    TRsImageList list;
    list.Add(solidPixmap(Qt::red, 255, QSize(24, 24)).toImage());
    list.Add(solidPixmap(Qt::blue, 255, QSize(24, 24)).toImage(), solidPixmap(Qt::blue, 255, QSize(48, 48)).toImage());
    QAction action(u"a"_s);
    SetActionImage(&action, &list, 0);
    QVERIFY(!action.icon().isNull());

    TRsPngButton b;
    b.SetAction(&action);
    QVERIFY(b.ImageFromAction());
    QCOMPARE(pixelAt(b.GlyphUp()), qRgb(255, 0, 0));
    QCOMPARE(qAlpha(pixelAt(b.GlyphDisabled())), 127);
    SetActionImage(&action, &list, 1);
    QCOMPARE(pixelAt(b.GlyphUp()), qRgb(0, 0, 255));
    // An index outside the list leaves the image as it was.
    SetActionImage(&action, &list, 7);
    QCOMPARE(pixelAt(b.GlyphUp()), qRgb(0, 0, 255));

    // An image set on the button itself wins over the action's.
    b.SetGlyphUp(solidPixmap(Qt::green));
    QVERIFY(!b.ImageFromAction());
    SetActionImage(&action, &list, 0);
    QCOMPARE(pixelAt(b.GlyphUp()), qRgb(0, 255, 0));

    // The sharp copy is taken on a screen scaled to 200 %.
    QCOMPARE(list.Pixmap(1, 2.0).devicePixelRatio(), 2.0);
    QCOMPARE(list.Pixmap(1, 2.0).deviceIndependentSize().toSize(), QSize(24, 24));
    QCOMPARE(list.Pixmap(0, 2.0).devicePixelRatio(), 1.0);
}

void TestRsPngButton::actionCheckedFollowsDown()
{
    Panel panel;
    TRsPngButton* a = panel.add(0);
    TRsPngButton* b = panel.add(50);
    QAction actA(u"A"_s);
    QAction actB(u"B"_s);
    actA.setCheckable(true);
    actB.setCheckable(true);
    for (TRsPngButton* x : {a, b}) {
        x->SetButtonStyle(pbsFlatCheck);
        x->SetGrouped(true);
    }
    a->SetAction(&actA);
    b->SetAction(&actB);
    panel.show();

    actA.setChecked(true);
    QVERIFY(a->Down());
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(b->Down());
    QVERIFY(actB.isChecked());
    // The raised button's action is unchecked with it.
    QVERIFY(!a->Down());
    QVERIFY(!actA.isChecked());
}

void TestRsPngButton::dropDownPoint()
{
    QWidget top;
    top.resize(200, 60);
    auto* b = new TRsPngButton(&top);
    b->setGeometry(20, 10, 40, 26);
    QMenu menu;
    menu.addAction(u"いち"_s);
    menu.addAction(u"に"_s);
    b->SetButtonStyle(pbsDropdown);
    QCOMPARE(b->DropDownPoint(), QPoint());
    b->SetDropDownMenu(&menu);
    const QRect screen = top.screen()->geometry();

    top.move(screen.left() + 100, screen.top() + 100);
    top.show();
    QVERIFY(QTest::qWaitForWindowExposed(&top));
    QCOMPARE(b->DropDownPoint(), b->mapToGlobal(QPoint(0, b->height())));
    b->SetDropDownAlignment(Qt::AlignRight);
    QCOMPARE(b->DropDownPoint(), b->mapToGlobal(QPoint(b->width(), b->height())));
    b->SetDropDownAlignment(Qt::AlignLeft);

    // Near the bottom of the screen the menu hangs from the top of the button instead.
    top.move(screen.left() + 100, screen.bottom() - 50);
    QTRY_COMPARE(b->mapToGlobal(QPoint(0, 0)).y(), top.geometry().top() + 10);
    QCOMPARE(b->DropDownPoint(), b->mapToGlobal(QPoint(0, 0)));
}

void TestRsPngButton::dropDownPressRaisesNoClick()
{
    Panel panel;
    TRsPngButton* b = panel.add(10);
    b->SetButtonStyle(pbsDropdown);
    QMenu menu;
    menu.addAction(u"いち"_s);
    b->SetDropDownMenu(&menu);
    panel.show();
    QSignalSpy clicked(b, &TRsPngButton::OnClick);
    bool shown = false;
    QTimer closer;
    closer.setInterval(20);
    connect(&closer, &QTimer::timeout, &menu, [&] {
        if (menu.isVisible()) {
            shown = true;
            menu.close();
        }
    });
    closer.start();
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
    closer.stop();
    QVERIFY(shown);
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(b->ButtonState(), bsUp);
    // The press is over: a stray release changes nothing.
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(clicked.count(), 0);

    // An empty menu is not shown and the button clicks as usual.
    menu.clear();
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(clicked.count(), 1);
}

QTEST_MAIN(TestRsPngButton)
#include "tst_rspngbutton.moc"
