#include "GalleryGridPanel.h"

#include "RsUnits/RsGrid.h"
#include "RsUnits/RsPanel.h"
#include "RsUnits/RsSpacer.h"
#include "RsUnits/RsSplitter.h"

#include <QFontInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Pixel sizes are given at 96 pixels per inch.
int scaled(const QWidget* widget, int pixels)
{
    return static_cast<int>(std::nearbyint(pixels * widget->logicalDpiY() / 96.0));
}

QLabel* heading(const QString& text)
{
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

// A task grid as the main window shows one: a check column, source and destination, one header row.
TRsGrid* makeTaskGrid(QWidget* parent, int alpha)
{
    auto* grid = new TRsGrid(parent);
    grid->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRowSelect | goThumbTracking);
    grid->SetFixedCols(0);
    grid->SetColCount(3);
    grid->SetRowCount(13);
    grid->SetFixedRows(1);
    grid->ViewOptions()->AdjustDefaultColors();
    grid->ViewOptions()->SetShowHorzScrollBar(false);
    grid->ViewOptions()->SetSelectedColorAlphaBlendValue(alpha);
    grid->setFixedSize(scaled(grid, 420), scaled(grid, 200));
    grid->SetWidthFixedCols({0});
    grid->SetRow(3);
    QObject::connect(grid, &TRsGrid::resized, grid, [](TRsGrid* g) {
        const int w0 = g->DefaultRowHeight();
        const int cw = g->viewport()->width();
        g->SetColWidths(0, w0);
        g->SetColWidths(1, (cw - w0 - 3) / 2);
        g->SetColWidths(2, cw - w0 - 3 - g->ColWidths(1));
    });
    QObject::connect(grid, &TRsGrid::drawCell, grid,
                     [](TRsGrid* g, int col, int row, const QRect& rect, TGridDrawState) {
                         QPainter* canvas = g->Canvas();
                         const QFontMetrics metrics(g->font());
                         const int margin = QFontInfo(g->font()).pixelSize() / 2;
                         const int top = rect.top() + (rect.height() - metrics.height()) / 2 + metrics.ascent();
                         if (col == 0) {
                             if (row == 0)
                                 return;
                             const int box = std::min(rect.width(), rect.height()) * 2 / 3;
                             const QRect r(rect.left() + (rect.width() - box) / 2, rect.top() + (rect.height() - box) / 2,
                                           box, box);
                             canvas->fillRect(r, Qt::white);
                             canvas->setPen(Qt::black);
                             canvas->drawRect(r.adjusted(0, 0, -1, -1));
                             if (row % 3 != 0)
                                 canvas->drawText(r, Qt::AlignCenter, u"✓"_s);
                             return;
                         }
                         QString text;
                         if (row == 0)
                             text = col == 1 ? u"オリジナル"_s : u"バックアップ"_s;
                         else if (col == 1)
                             text = u"/home/user/Documents/Project %1/with a long directory name"_s.arg(row);
                         else
                             text = u"/media/backup/Documents/Project %1"_s.arg(row);
                         bool truncated = false;
                         const QString shown = FitTextWithEllipsis(metrics, rect.width() - 2 * margin, text, truncated);
                         canvas->drawText(QPoint(rect.left() + margin, top), shown);
                     });
    return grid;
}

TRsPanel* makeCaptionPanel(const QString& caption, Qt::Alignment h, Qt::Alignment v, TGradientDirection direction)
{
    auto* panel = new TRsPanel;
    panel->SetCaption(caption);
    panel->SetAlignment(h);
    panel->SetVerticalAlignment(v);
    panel->ViewOptions()->SetDrawingStyle(dsGradient);
    panel->ViewOptions()->SetGradientDirection(direction);
    panel->ViewOptions()->AdjustDefaultColors();
    const int margin = scaled(panel, 6);
    panel->ViewOptions()->SetCaptionMarginLeft(margin);
    panel->ViewOptions()->SetCaptionMarginRight(margin);
    panel->ViewOptions()->SetCaptionMarginTop(margin / 2);
    panel->ViewOptions()->SetCaptionMarginBottom(margin / 2);
    panel->setFixedSize(scaled(panel, 170), scaled(panel, 48));
    return panel;
}

TRsSpacer* makeSpacer(TLineShape shape, TLineDirection direction, QSize size)
{
    auto* spacer = new TRsSpacer;
    spacer->SetLineShape(shape);
    spacer->SetLineDirection(direction);
    spacer->setFixedSize(size);
    return spacer;
}

QWidget* gridSection(QWidget* page)
{
    auto* box = new QWidget(page);
    auto* layout = new QGridLayout(box);
    TRsGrid* focused = makeTaskGrid(box, 255);
    TRsGrid* unfocused = makeTaskGrid(box, 255);
    TRsGrid* blended = makeTaskGrid(box, 128);
    // Blended in both focus states, so that the blend shows without the focus.
    blended->ViewOptions()->SetSelectedColor(QColor(71, 91, 143));
    blended->ViewOptions()->SetInactiveSelectedColor(QColor(71, 91, 143));
    layout->addWidget(focused, 0, 0);
    layout->addWidget(unfocused, 0, 1);
    layout->addWidget(blended, 0, 2);
    layout->addWidget(new QLabel(u"focused, row 3 selected"_s), 1, 0);
    layout->addWidget(new QLabel(u"not focused (inactive colours)"_s), 1, 1);
    layout->addWidget(new QLabel(u"selection at alpha 128"_s), 1, 2);
    // The focus goes to the first grid once the page is on screen.
    QTimer::singleShot(0, focused, [focused] {
        focused->activateWindow();
        focused->setFocus();
    });
    // Start at the top: the selection was set before the grids had their size.
    for (TRsGrid* grid : {focused, unfocused, blended})
        QTimer::singleShot(0, grid, [grid] { grid->SetTopRow(1); });
    return box;
}

QWidget* panelSection(QWidget* page)
{
    auto* box = new QWidget(page);
    auto* layout = new QGridLayout(box);
    const Qt::Alignment hs[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    const Qt::Alignment vs[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    const QString hNames[] = {u"left"_s, u"centre"_s, u"right"_s};
    const QString vNames[] = {u"top"_s, u"middle"_s, u"bottom"_s};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            layout->addWidget(makeCaptionPanel(hNames[c] + u" "_s + vNames[r], hs[c], vs[r], gdVertical), r, c);

    TRsPanel* horizontal = makeCaptionPanel(u"horizontal gradient"_s, Qt::AlignHCenter, Qt::AlignVCenter, gdHorizontal);
    horizontal->ViewOptions()->SetGradientStartColor(QColor(255, 255, 255));
    horizontal->ViewOptions()->SetGradientEndColor(QColor(0xB0, 0xB0, 0xB0));
    layout->addWidget(horizontal, 0, 3);

    TRsPanel* ellipsis = makeCaptionPanel(u"タスク リスト: a caption too long for its panel"_s, Qt::AlignLeft,
                                          Qt::AlignVCenter, gdVertical);
    ellipsis->ViewOptions()->SetCaptionEndEllipsis(true);
    layout->addWidget(ellipsis, 1, 3);

    auto* normal = new TRsPanel;
    normal->SetCaption(u"normal, lowered inner bevel"_s);
    normal->SetBevelInner(bvLowered);
    normal->SetBevelWidth(2);
    normal->SetParentBackground(false);
    normal->setFixedSize(scaled(normal, 170), scaled(normal, 48));
    layout->addWidget(normal, 2, 3);
    return box;
}

QWidget* splitterSection(QWidget* page)
{
    auto* box = new QWidget(page);
    auto* layout = new QHBoxLayout(box);

    auto* outer = new TRsSplitter(Qt::Vertical);
    outer->setHandleWidth(scaled(outer, 4));
    outer->SetShowGrab(true);
    auto* inner = new TRsSplitter(Qt::Horizontal);
    inner->setHandleWidth(scaled(inner, 4));
    inner->SetShowGrab(true);
    inner->SetMinSize(scaled(inner, 80));
    for (const QString& caption : {u"タスク リスト"_s, u"タスク"_s}) {
        TRsPanel* pane = makeCaptionPanel(caption, Qt::AlignLeft, Qt::AlignVCenter, gdVertical);
        pane->setMinimumSize(0, 0);
        pane->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        inner->addWidget(pane);
    }
    TRsPanel* log = makeCaptionPanel(u"ログ"_s, Qt::AlignLeft, Qt::AlignTop, gdVertical);
    log->setMinimumSize(0, 0);
    log->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    outer->addWidget(inner);
    outer->addWidget(log);
    outer->setFixedSize(scaled(outer, 520), scaled(outer, 200));
    outer->setSizes({scaled(outer, 120), scaled(outer, 76)});
    inner->setSizes({scaled(inner, 200), scaled(inner, 316)});
    layout->addWidget(outer);

    // A command bar: spacers as separators between buttons, and as plain gaps.
    auto* bar = new TRsPanel;
    bar->ViewOptions()->SetDrawingStyle(dsGradient);
    bar->ViewOptions()->AdjustDefaultColors();
    bar->SetShowCaption(false);
    bar->setFixedHeight(scaled(bar, 26));
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    barLayout->setSpacing(0);
    for (const QString& text : {u"てすと"_s, u"じっこー"_s, u"ていし"_s}) {
        auto* label = new QLabel(text);
        label->setAlignment(Qt::AlignCenter);
        label->setFixedWidth(scaled(label, 56));
        barLayout->addWidget(label);
        barLayout->addWidget(makeSpacer(lsDouble, ldVertical, QSize(scaled(bar, 10), scaled(bar, 26))));
    }
    barLayout->addStretch();

    auto* spacers = new QWidget;
    auto* spacerLayout = new QVBoxLayout(spacers);
    spacerLayout->addWidget(new QLabel(u"command bar with double vertical spacers"_s));
    spacerLayout->addWidget(bar);
    spacerLayout->addWidget(new QLabel(u"horizontal single and double spacers"_s));
    spacerLayout->addWidget(makeSpacer(lsSingle, ldHorizontal, QSize(scaled(spacers, 300), scaled(spacers, 10))));
    spacerLayout->addWidget(makeSpacer(lsDouble, ldHorizontal, QSize(scaled(spacers, 300), scaled(spacers, 10))));
    auto* verticals = new QHBoxLayout;
    verticals->addWidget(new QLabel(u"vertical single, double:"_s));
    verticals->addWidget(makeSpacer(lsSingle, ldVertical, QSize(scaled(spacers, 10), scaled(spacers, 40))));
    verticals->addWidget(makeSpacer(lsDouble, ldVertical, QSize(scaled(spacers, 10), scaled(spacers, 40))));
    verticals->addStretch();
    spacerLayout->addLayout(verticals);
    spacerLayout->addStretch();
    layout->addWidget(spacers);
    layout->addStretch();
    return box;
}

} // namespace

QWidget* makeGridPanelGalleryPage(QWidget* parent)
{
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(heading(u"TRsGrid"_s));
    layout->addWidget(gridSection(page));
    layout->addWidget(heading(u"TRsPanel: caption placement, gradients, ellipsis"_s));
    layout->addWidget(panelSection(page));
    layout->addWidget(heading(u"TRsSplitter with grips, TRsSpacer"_s));
    layout->addWidget(splitterSection(page));
    layout->addStretch();
    return page;
}
