// The component gallery: every interface component in its states, for looking at them at
// 100 % and 200 % scaling.
//   gallery [--tab N]
#include "GalleryPages.h"
#include "RsUnits/RsImageList.h"

#include <QApplication>
#include <QIcon>
#include <QMainWindow>
#include <QScrollArea>
#include <QTabWidget>

#if __has_include("GalleryGridPanel.h")
#include "GalleryGridPanel.h"
#define TSUMIKI_GALLERY_HAS_GRID_PAGE 1
#endif

using namespace Qt::StringLiterals;

namespace {

QWidget* scrolled(QWidget* page)
{
    auto* area = new QScrollArea;
    area->setWidget(page);
    area->setWidgetResizable(true);
    return area;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QIcon icon;
    for (int size : {16, 32, 48, 256})
        icon.addFile(u":/icon/tsumiki-%1.png"_s.arg(size));
    QApplication::setWindowIcon(icon);

    TRsImageList images;
    images.AddPngStrip(QStringLiteral(TSUMIKI_RESOURCES_DIR) + u"/dist/Image/Tmk24.png"_s, 32, 1);

    QMainWindow window;
    window.setWindowTitle(u"Tsumiki ぎゃらりー"_s);
    auto* tabs = new QTabWidget;
    tabs->addTab(scrolled(makeButtonsPage(&images, nullptr)), u"ボタン / buttons"_s);
    tabs->addTab(scrolled(makePicturesPage(&images, nullptr)), u"え / pictures"_s);
#ifdef TSUMIKI_GALLERY_HAS_GRID_PAGE
    tabs->addTab(scrolled(makeGridPanelGalleryPage(nullptr)), u"グリッド / grid and panels"_s);
#endif
    window.setCentralWidget(tabs);

    const QStringList args = app.arguments();
    const int tabArg = args.indexOf(u"--tab"_s);
    if (tabArg >= 0 && tabArg + 1 < args.size())
        tabs->setCurrentIndex(args.at(tabArg + 1).toInt());

    window.resize(1500, 940);
    window.move(20, 20);
    window.show();
    return app.exec();
}
