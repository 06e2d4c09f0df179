// Layout of the main window: the command strip, the two grid panes with their headers and side
// strips, the log pane, and the splitters between them.

#include "ui/Main.h"

#include "RsUnits/RsGrid.h"
#include "RsUnits/RsImageList.h"
#include "RsUnits/RsPanel.h"
#include "RsUnits/RsPngButton.h"
#include "RsUnits/RsSpacer.h"
#include "RsUnits/RsSplitter.h"
#include "ui/MainWidgets.h"
#include "ui/RunProgressView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

TRsSpacer* makeSpacer(QWidget* parent, const QString& name, TLineShape shape, TLineDirection direction)
{
    auto* spacer = new TRsSpacer(parent);
    spacer->setObjectName(name);
    spacer->SetLineShape(shape);
    spacer->SetLineDirection(direction);
    return spacer;
}

TRsPngButton* makeButton(QWidget* parent, const QString& name, int width, int height)
{
    auto* button = new TRsPngButton(parent);
    button->setObjectName(name);
    button->setFixedSize(width, height);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

void TMainForm::CreateLayout()
{
    PngImageList24 = new TRsImageList(this);
    PngImageList24->setObjectName(u"PngImageList24"_s);
    PngImageList16 = new TRsImageList(this);
    PngImageList16->setObjectName(u"PngImageList16"_s);

    auto* central = new QWidget(this);
    central->setObjectName(u"MainClient"_s);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // Command strip: test, run and stop, each followed by an etched bar; the animation at the right.
    CommandPanel = new TRsPanel(central);
    CommandPanel->setObjectName(u"CommandPanel"_s);
    CommandPanel->SetBevelOuter(bvNone);
    CommandPanel->setFixedHeight(Scaled(26));
    auto* strip = new QHBoxLayout(CommandPanel);
    strip->setContentsMargins(0, 0, 0, 0);
    strip->setSpacing(0);
    PngButton001 = makeButton(CommandPanel, u"PngButton001"_s, Scaled(56), Scaled(26));
    SpacerV001 = makeSpacer(CommandPanel, u"SpacerV001"_s, lsDouble, ldVertical);
    PngButton002 = makeButton(CommandPanel, u"PngButton002"_s, Scaled(56), Scaled(26));
    SpacerV002 = makeSpacer(CommandPanel, u"SpacerV002"_s, lsDouble, ldVertical);
    PngButton003 = makeButton(CommandPanel, u"PngButton003"_s, Scaled(56), Scaled(26));
    SpacerV003 = makeSpacer(CommandPanel, u"SpacerV003"_s, lsDouble, ldVertical);
    for (QWidget* w : {static_cast<QWidget*>(PngButton001), static_cast<QWidget*>(SpacerV001),
                       static_cast<QWidget*>(PngButton002), static_cast<QWidget*>(SpacerV002),
                       static_cast<QWidget*>(PngButton003), static_cast<QWidget*>(SpacerV003)})
        strip->addWidget(w);
    for (TRsSpacer* spacer : {SpacerV001, SpacerV002, SpacerV003})
        spacer->setFixedSize(Scaled(10), Scaled(26));
    // The run's progress takes the strip's free space, so nothing of the strip moves for it.
    Progress001 = new TRunProgressView(CommandPanel);
    Progress001->setObjectName(u"Progress001"_s);
    Progress001->setFixedHeight(Scaled(26));
    strip->addWidget(Progress001, 1);
    Image001 = new QLabel(CommandPanel);
    Image001->setObjectName(u"Image001"_s);
    Image001->setFixedSize(Scaled(26), Scaled(26));
    Image001->setAlignment(Qt::AlignCenter);
    strip->addWidget(Image001);
    column->addWidget(CommandPanel);

    // Splitter2 holds the two grid panes above the log pane.
    Splitter2 = new TRsSplitter(Qt::Vertical, central);
    Splitter2->setObjectName(u"Splitter2"_s);
    Splitter2->setHandleWidth(Scaled(4));
    Splitter2->setChildrenCollapsible(false);
    column->addWidget(Splitter2, 1);

    TopPanel = new QWidget(Splitter2);
    TopPanel->setObjectName(u"TopPanel"_s);
    auto* top = new QVBoxLayout(TopPanel);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    Spacer1 = makeSpacer(TopPanel, u"Spacer1"_s, lsNone, ldHorizontal);
    Spacer1->setFixedHeight(Scaled(2));
    top->addWidget(Spacer1);
    Splitter1 = new TRsSplitter(Qt::Horizontal, TopPanel);
    Splitter1->setObjectName(u"Splitter1"_s);
    Splitter1->setHandleWidth(Scaled(4));
    Splitter1->setChildrenCollapsible(false);
    top->addWidget(Splitter1, 1);

    LeftPanel = new QWidget(Splitter1);
    LeftPanel->setObjectName(u"LeftPanel"_s);
    RightPanel = new QWidget(Splitter1);
    RightPanel->setObjectName(u"RightPanel"_s);
    Splitter1->addWidget(LeftPanel);
    Splitter1->addWidget(RightPanel);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    CreatePane(1);
    CreatePane(2);

    BottomPanel = new TRsPanel(Splitter2);
    BottomPanel->setObjectName(u"BottomPanel"_s);
    BottomPanel->SetBevelOuter(bvNone);
    BottomPanel->SetShowCaption(false);
    auto* bottom = new QVBoxLayout(BottomPanel);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(0);
    Panel301 = new TRsPanel(BottomPanel);
    Panel301->setObjectName(u"Panel301"_s);
    Panel301->setFixedHeight(Scaled(30));
    Panel301->SetAlignment(Qt::AlignLeft);
    Panel301->SetCaption(u"ログ"_s);
    PaintBox301 = new TPaintBox(Panel301);
    PaintBox301->setObjectName(u"PaintBox301"_s);
    PaintBox301->setGeometry(Scaled(4), Scaled(12), Scaled(16), Scaled(6));
    bottom->addWidget(Panel301);
    Memo301 = new TRsLogView(BottomPanel);
    Memo301->setObjectName(u"Memo301"_s);
    bottom->addWidget(Memo301, 1);
    Memo301->installEventFilter(this);
    Splitter2->addWidget(TopPanel);
    Splitter2->addWidget(BottomPanel);
    Splitter2->setStretchFactor(0, 1);
    Splitter2->setStretchFactor(1, 0);

    connect(Panel301, &TRsPanel::mouseDown, this,
            [this](TRsPanel*, Qt::MouseButton b, Qt::KeyboardModifiers s, const QPoint&) {
                HeaderMouseDown(Memo301, b, s);
            });
    connect(PaintBox301, &TPaintBox::mouseDown, this,
            [this](TPaintBox*, Qt::MouseButton b, Qt::KeyboardModifiers s, const QPoint&) {
                HeaderMouseDown(Memo301, b, s);
            });
    connect(PaintBox301, &TPaintBox::paint, this,
            [this](TPaintBox* box, QPainter*) { PaintFocusLamp(box, Memo301); });
    connect(Splitter1, &TRsSplitter::canResize, this, [this](TRsSplitter*, int&, bool&) {
        LeftPanel->update();
        RightPanel->update();
    });
    connect(Splitter2, &TRsSplitter::canResize, this, [this](TRsSplitter*, int&, bool&) {
        TopPanel->update();
        BottomPanel->update();
    });

    setCentralWidget(central);
}

// Builds the task list pane (1) or the task pane (2): header with lamp and buttons, side strip with
// the two move buttons, and the grid.
void TMainForm::CreatePane(int pane)
{
    const bool lists = pane == 1;
    QWidget* host = lists ? LeftPanel : RightPanel;
    const QString n = QString::number(pane);
    const auto name = [&n](const QString& kind, int index) { return kind + n + u"0"_s + QString::number(index); };

    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* header = new TRsPanel(host);
    header->setObjectName(u"Panel"_s + n + u"01"_s);
    header->setFixedHeight(Scaled(30));
    header->SetAlignment(Qt::AlignLeft);
    // A long caption (another language) ends with "..." before the buttons instead of under them.
    header->ViewOptions()->SetCaptionMarginRight(Scaled(10 + 3 * 28));
    header->ViewOptions()->SetCaptionEndEllipsis(true);
    auto* headerColumn = new QVBoxLayout(header);
    headerColumn->setContentsMargins(0, 0, 0, 0);
    headerColumn->setSpacing(0);
    TRsSpacer* spacerTop = makeSpacer(header, name(u"SpacerH"_s, 1), lsNone, ldHorizontal);
    TRsSpacer* spacerBottom = makeSpacer(header, name(u"SpacerH"_s, 2), lsNone, ldHorizontal);
    spacerTop->setFixedHeight(Scaled(2));
    spacerBottom->setFixedHeight(Scaled(2));
    auto* buttonRow = new QHBoxLayout;
    buttonRow->setContentsMargins(0, 0, 0, 0);
    buttonRow->setSpacing(0);
    buttonRow->addStretch(1);
    TRsSpacer* spacerV = makeSpacer(header, name(u"SpacerV"_s, 1), lsDouble, ldVertical);
    spacerV->setFixedWidth(Scaled(10));
    buttonRow->addWidget(spacerV);
    TRsPngButton* b1 = makeButton(header, name(u"PngButton"_s, 1), Scaled(28), Scaled(26));
    TRsPngButton* b2 = makeButton(header, name(u"PngButton"_s, 2), Scaled(28), Scaled(26));
    TRsPngButton* b3 = makeButton(header, name(u"PngButton"_s, 3), Scaled(28), Scaled(26));
    buttonRow->addWidget(b1);
    buttonRow->addWidget(b2);
    buttonRow->addWidget(b3);
    headerColumn->addWidget(spacerTop);
    headerColumn->addLayout(buttonRow, 1);
    headerColumn->addWidget(spacerBottom);
    auto* lamp = new TPaintBox(header);
    lamp->setObjectName(u"PaintBox"_s + n + u"01"_s);
    lamp->setGeometry(Scaled(4), Scaled(12), Scaled(16), Scaled(6));
    layout->addWidget(header);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    auto* grid = new TRsGrid(host);
    grid->setObjectName(u"Grid"_s + n + u"01"_s);
    auto* side = new TRsPanel(host);
    side->setObjectName(u"Panel"_s + n + u"02"_s);
    side->SetBevelOuter(bvNone);
    side->SetShowCaption(false);
    side->setFixedWidth(Scaled(30));
    TRsPngButton* b4 = makeButton(side, name(u"PngButton"_s, 4), Scaled(28), Scaled(26));
    TRsPngButton* b5 = makeButton(side, name(u"PngButton"_s, 5), Scaled(28), Scaled(26));
    body->addWidget(grid, 1);
    body->addWidget(side);
    layout->addLayout(body, 1);

    if (lists) {
        Panel101 = header;
        PaintBox101 = lamp;
        SpacerH101 = spacerTop;
        SpacerH102 = spacerBottom;
        SpacerV101 = spacerV;
        PngButton101 = b1;
        PngButton102 = b2;
        PngButton103 = b3;
        Panel102 = side;
        PngButton104 = b4;
        PngButton105 = b5;
        Grid101 = grid;
        b1->SetAction(ActTaskListAddTaskList);
        b2->SetAction(ActTaskListDeleteTaskList);
        b3->SetAction(ActTaskListConfigTaskList);
        b4->SetAction(ActTaskListMoveTaskListUpward);
        b5->SetAction(ActTaskListMoveTaskListDownward);
    } else {
        Panel201 = header;
        PaintBox201 = lamp;
        SpacerH201 = spacerTop;
        SpacerH202 = spacerBottom;
        SpacerV201 = spacerV;
        PngButton201 = b1;
        PngButton202 = b2;
        PngButton203 = b3;
        Panel202 = side;
        PngButton204 = b4;
        PngButton205 = b5;
        Grid201 = grid;
        b1->SetAction(ActTaskAddTask);
        b2->SetAction(ActTaskDeleteTask);
        b3->SetAction(ActTaskConfigTask);
        b4->SetAction(ActTaskMoveTaskUpward);
        b5->SetAction(ActTaskMoveTaskDownward);
    }

    // Header routing: presses on the header, its spacers, its lamp or the side strip focus the grid.
    const auto route = [this, grid](Qt::MouseButton b, Qt::KeyboardModifiers s) { HeaderMouseDown(grid, b, s); };
    connect(header, &TRsPanel::mouseDown, this,
            [route](TRsPanel*, Qt::MouseButton b, Qt::KeyboardModifiers s, const QPoint&) { route(b, s); });
    connect(side, &TRsPanel::mouseDown, this,
            [route](TRsPanel*, Qt::MouseButton b, Qt::KeyboardModifiers s, const QPoint&) { route(b, s); });
    for (TRsSpacer* spacer : {spacerTop, spacerBottom, spacerV})
        connect(spacer, &TRsSpacer::mouseDown, this,
                [route](TRsSpacer*, Qt::MouseButton b, Qt::KeyboardModifiers s, const QPoint&) { route(b, s); });
    connect(lamp, &TPaintBox::mouseDown, this,
            [route](TPaintBox*, Qt::MouseButton b, Qt::KeyboardModifiers s, const QPoint&) { route(b, s); });
    connect(lamp, &TPaintBox::paint, this, [this, grid](TPaintBox* box, QPainter*) { PaintFocusLamp(box, grid); });
    connect(side, &TRsPanel::resized, this, [this, side, b4, b5](TRsPanel*) { SideStripResize(side, b4, b5); });
}
