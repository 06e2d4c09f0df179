#include "GalleryPages.h"
#include "RsUnits/RsImageList.h"
#include "RsUnits/RsPngButton.h"

#include <QAction>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// Puts a button into the look it has while the mouse is over it.
void showHot(TRsPngButton* b)
{
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), b->mapToGlobal(QPointF(2, 2)));
    QCoreApplication::sendEvent(b, &enter);
}

// Puts a button into the look it has while the left button is held on it.
void showPressed(TRsPngButton* b)
{
    const QPointF at(3, 3);
    QMouseEvent press(QEvent::MouseButtonPress, at, b->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(b, &press);
}

TRsPngButton* button(QWidget* parent, TRsImageList* images, int index, QSize size, const QString& caption = QString())
{
    auto* b = new TRsPngButton(parent);
    b->SetGlyphUp(images->Pixmap(index, parent->devicePixelRatioF()));
    b->SetCaption(caption);
    b->setFixedSize(size);
    return b;
}

QLabel* label(const QString& text)
{
    auto* l = new QLabel(text);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

// One row per picture group, one column per look.
QGroupBox* statesBox(TRsImageList* images, QWidget* page)
{
    auto* box = new QGroupBox(u"じょうたい / states: normal, hot, pressed, down (latched), disabled"_s, page);
    auto* grid = new QGridLayout(box);
    const QStringList heads{u"ふつう normal"_s, u"ほっと hot"_s, u"おしている pressed"_s, u"おりている down"_s,
                            u"むこう disabled"_s};
    for (int c = 0; c < heads.size(); ++c)
        grid->addWidget(label(heads.at(c)), 0, c + 1);
    const int rows[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    const QStringList names{u"test"_s, u"run"_s, u"stop"_s, u"add"_s, u"delete"_s, u"configure"_s, u"up"_s, u"down"_s};
    int r = 1;
    for (int index : rows) {
        grid->addWidget(new QLabel(u"%1  %2%3"_s.arg(index).arg(names.at(index % 8)).arg(index < 8 ? u""_s : u" (task)"_s)), r, 0);
        for (int c = 0; c < 5; ++c) {
            auto* b = button(box, images, index, index % 8 < 3 ? QSize(56, 26) : QSize(28, 26));
            b->SetButtonStyle(pbsFlatCheck);
            grid->addWidget(b, r, c + 1, Qt::AlignCenter);
            switch (c) {
            case 1: QTimer::singleShot(0, b, [b] { showHot(b); }); break;
            case 2: QTimer::singleShot(0, b, [b] { showHot(b); showPressed(b); }); break;
            case 3: b->SetDown(true); break;
            case 4: b->setEnabled(false); break;
            default: break;
            }
        }
        ++r;
    }
    return box;
}

QGroupBox* captionsBox(TRsImageList* images, QWidget* page)
{
    auto* box = new QGroupBox(u"もじと え / captions and layouts"_s, page);
    auto* grid = new QGridLayout(box);
    const struct {
        TButtonLayout layout;
        const char16_t* name;
    } layouts[] = {{blGlyphLeft, u"glyph left"}, {blGlyphRight, u"glyph right"}, {blGlyphTop, u"glyph top"},
                   {blGlyphBottom, u"glyph bottom"}};
    int c = 0;
    for (const auto& l : layouts) {
        grid->addWidget(label(QString::fromUtf16(l.name)), 0, c);
        auto* b = button(box, images, 1, l.layout == blGlyphTop || l.layout == blGlyphBottom ? QSize(120, 56) : QSize(150, 30),
                         u"じっこー(&R)"_s);
        b->SetLayout(l.layout);
        grid->addWidget(b, 1, c, Qt::AlignCenter);
        auto* hot = button(box, images, 9, b->size(), u"タスクの テスト(&T)"_s);
        hot->SetLayout(l.layout);
        QTimer::singleShot(0, hot, [hot] { showHot(hot); });
        grid->addWidget(hot, 2, c, Qt::AlignCenter);
        auto* off = button(box, images, 2, b->size(), u"ていし(&S)"_s);
        off->SetLayout(l.layout);
        off->setEnabled(false);
        grid->addWidget(off, 3, c, Qt::AlignCenter);
        ++c;
    }
    return box;
}

QGroupBox* groupsBox(TRsImageList* images, QWidget* page)
{
    auto* box = new QGroupBox(u"ぐるーぷと めにゅー / groups and drop-down"_s, page);
    auto* v = new QVBoxLayout(box);

    auto* row = new QWidget(box);
    auto* status = new QLabel(row);
    const QString groupNames[] = {u"いち"_s, u"に"_s, u"さん"_s};
    for (int i = 0; i < 3; ++i) {
        auto* b = button(row, images, 3 + i, QSize(90, 28), groupNames[i]);
        b->SetButtonStyle(pbsFlatCheck);
        b->SetGrouped(true);
        b->move(i * 96, 0);
        if (i == 0)
            b->SetDown(true);
        QObject::connect(b, &TRsPngButton::OnClick, status, [status, b] {
            status->setText(u"おされた: %1 (down %2)"_s.arg(b->Caption()).arg(b->Down()));
        });
    }
    auto* allUp = button(row, images, 6, QSize(140, 28), u"AllowAllUp"_s);
    allUp->SetButtonStyle(pbsFlatCheck);
    allUp->move(320, 0);
    QObject::connect(allUp, &TRsPngButton::OnClick, row, [row, allUp] {
        for (TRsPngButton* b : row->findChildren<TRsPngButton*>())
            if (b->Grouped())
                b->SetAllowAllUp(allUp->Down());
    });
    status->move(480, 6);
    status->resize(300, 20);
    row->setMinimumSize(800, 30);
    v->addWidget(new QLabel(u"grouped check buttons (one of three is down; AllowAllUp lets the down one rise):"_s));
    v->addWidget(row);

    auto* row2 = new QWidget(box);
    auto* menu = new QMenu(row2);
    menu->addAction(u"タスク リストの テスト(&T)"_s);
    menu->addAction(u"タスク リストの じっこー(&R)"_s);
    menu->addSeparator();
    menu->addAction(u"ていし(&S)"_s);
    const struct {
        TRsPngButtonStyle style;
        const char16_t* caption;
    } drops[] = {{pbsDropdown, u"めにゅー"}, {pbsDropdown, u""}};
    int x = 0;
    for (const auto& d : drops) {
        auto* b = button(row2, images, 1, QSize(d.caption[0] ? 110 : 46, 28), QString::fromUtf16(d.caption));
        b->SetButtonStyle(d.style);
        b->SetDropDownMenu(menu);
        b->move(x, 0);
        x += b->width() + 12;
    }
    auto* hotDrop = button(row2, images, 9, QSize(46, 28));
    hotDrop->SetButtonStyle(pbsDropdown);
    hotDrop->SetDropDownMenu(menu);
    hotDrop->move(x, 0);
    QTimer::singleShot(0, hotDrop, [hotDrop] { showHot(hotDrop); });
    x += hotDrop->width() + 12;
    auto* noFrame = button(row2, images, 5, QSize(30, 28));
    noFrame->SetButtonStyle(pbsNoFrame);
    noFrame->move(x, 0);
    QTimer::singleShot(0, noFrame, [noFrame] { showHot(noFrame); });
    row2->setMinimumSize(800, 30);
    v->addWidget(new QLabel(u"drop-down buttons (normal, image only, hot) and a frameless button while hot:"_s));
    v->addWidget(row2);
    return box;
}

// The command strip and the pane buttons as the main window arranges them, bound to actions
// whose pictures come from the image list.
QGroupBox* actionsBox(TRsImageList* images, QWidget* page)
{
    auto* box = new QGroupBox(u"あくしょん / bound to actions"_s, page);
    auto* v = new QVBoxLayout(box);
    auto* strip = new QWidget(box);
    const QString captions[] = {u"テスト(&T)"_s, u"じっこー(&R)"_s, u"ていし(&S)"_s, u"ついか(&A)"_s, u"さくじょ(&D)"_s,
                                u"せってい(&C)"_s, u"うえへ(&U)"_s, u"したへ(&W)"_s};
    int x = 0;
    for (int i = 0; i < 8; ++i) {
        auto* action = new QAction(captions[i], strip);
        SetActionImage(action, images, i);
        auto* b = new TRsPngButton(strip);
        b->setFixedSize(i < 3 ? QSize(56, 26) : QSize(28, 26));
        b->SetAction(action);
        // The buttons show only their picture; the caption becomes the tooltip.
        const QString caption = b->Caption();
        const int accel = caption.indexOf(u"(&"_s);
        b->SetHint(accel < 0 ? caption : caption.left(accel) + caption.mid(accel + 4));
        b->SetCaption(QString());
        b->move(x, 0);
        x += b->width() + (i == 2 ? 24 : 2);
        if (i == 2)
            action->setEnabled(false);
    }
    strip->setMinimumSize(600, 26);
    v->addWidget(new QLabel(u"test / run / stop (stop's action disabled), add, delete, configure, up, down:"_s));
    v->addWidget(strip);
    return box;
}

} // namespace

QWidget* makeButtonsPage(TRsImageList* images, QWidget* parent)
{
    auto* page = new QWidget(parent);
    auto* grid = new QGridLayout(page);
    grid->addWidget(statesBox(images, page), 0, 0, 3, 1);
    grid->addWidget(captionsBox(images, page), 0, 1);
    grid->addWidget(groupsBox(images, page), 1, 1);
    grid->addWidget(actionsBox(images, page), 2, 1);
    grid->setColumnStretch(1, 1);
    return page;
}
