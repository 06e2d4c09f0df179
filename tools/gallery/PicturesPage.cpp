#include "GalleryPages.h"
#include "RsUnits/RsImageList.h"
#include "RsUnits/RsTimer.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QLabel* pictureLabel(const QPixmap& pixmap, QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setPixmap(pixmap);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

// Every cell of the strip with its index, on a light and on a dark background.
QGroupBox* stripBox(TRsImageList* images, QWidget* page)
{
    auto* box = new QGroupBox(u"ぼたんの え / button strip Image/Tmk24.png (index: use)"_s, page);
    auto* grid = new QGridLayout(box);
    grid->setHorizontalSpacing(4);
    const qreal dpr = page->devicePixelRatioF();
    for (int i = 0; i < images->Count(); ++i) {
        const int row = (i / 16) * 3;
        const int col = i % 16;
        grid->addWidget(new QLabel(QString::number(i)), row, col, Qt::AlignCenter);
        grid->addWidget(pictureLabel(images->Pixmap(i, dpr), box), row + 1, col);
        auto* dark = pictureLabel(images->Pixmap(i, dpr), box);
        dark->setAutoFillBackground(true);
        QPalette pal = dark->palette();
        pal.setColor(QPalette::Window, QColor(0x30, 0x30, 0x30));
        dark->setPalette(pal);
        dark->setMinimumSize(30, 30);
        grid->addWidget(dark, row + 2, col);
    }
    grid->addWidget(new QLabel(u"0-7: test, run, stop, add, delete, configure, up, down (task lists) — 8-15: the same for tasks —"
                               u" 16-23 / 24-31: run animations"_s),
                    6, 0, 1, 16);
    return box;
}

// A picture that steps through frames on each tick of a thread timer.
class FrameLabel : public QLabel {
public:
    FrameLabel(QList<QPixmap> frames, QWidget* parent) : QLabel(parent), m_frames(std::move(frames))
    {
        setAlignment(Qt::AlignCenter);
        setMinimumSize(40, 40);
        step();
    }
    void step()
    {
        if (m_frames.isEmpty())
            return;
        setPixmap(m_frames.at(m_index));
        m_index = (m_index + 1) % m_frames.size();
    }

private:
    QList<QPixmap> m_frames;
    int m_index = 0;
};

QPixmap loadPixmap(const QString& path)
{
    QIcon icon(path); // also picks up a "@2x" file beside it
    const QList<QSize> sizes = icon.availableSizes();
    return icon.pixmap(sizes.isEmpty() ? QSize(16, 16) : sizes.first());
}

QGroupBox* animationBox(TRsImageList* images, QWidget* page)
{
    auto* box = new QGroupBox(u"あにめーしょん / animations driven by a running TRsTimer (100 ms)"_s, page);
    auto* h = new QHBoxLayout(box);
    const qreal dpr = page->devicePixelRatioF();
    QList<QPixmap> listFrames, taskFrames, trayFrames;
    for (int i = 0; i < 8; ++i) {
        listFrames << images->Pixmap(16 + i, dpr);
        taskFrames << images->Pixmap(24 + i, dpr);
        trayFrames << loadPixmap(u":/tray/Tray%1.png"_s.arg(i + 1, 2, 10, QLatin1Char('0')));
    }
    auto* list = new FrameLabel(listFrames, box);
    auto* task = new FrameLabel(taskFrames, box);
    auto* tray = new FrameLabel(trayFrames, box);
    auto* ticks = new QLabel(box);
    h->addWidget(new QLabel(u"task list run:"_s));
    h->addWidget(list);
    h->addWidget(new QLabel(u"task run:"_s));
    h->addWidget(task);
    h->addWidget(new QLabel(u"tray:"_s));
    h->addWidget(tray);
    h->addWidget(ticks);
    h->addStretch();

    auto* timer = new TRsTimer(box);
    timer->SetInterval(100);
    auto count = std::make_shared<int>(0);
    QObject::connect(timer, &TRsTimer::OnTimer, box, [=](TRsTimer*) {
        list->step();
        task->step();
        tray->step();
        ticks->setText(u"ticks: %1"_s.arg(++*count));
    });
    timer->SetEnabled(true);
    return box;
}

QGroupBox* trayBox(QWidget* page)
{
    auto* box = new QGroupBox(u"とれい / tray frames Tray01-Tray08"_s, page);
    auto* h = new QHBoxLayout(box);
    for (int i = 1; i <= 8; ++i) {
        auto* v = new QVBoxLayout;
        v->addWidget(pictureLabel(loadPixmap(u":/tray/Tray%1.png"_s.arg(i, 2, 10, QLatin1Char('0'))), box));
        v->addWidget(new QLabel(u"Tray%1"_s.arg(i, 2, 10, QLatin1Char('0'))), 0, Qt::AlignCenter);
        h->addLayout(v);
    }
    h->addStretch();
    return box;
}

QGroupBox* iconBox(QWidget* page)
{
    auto* box = new QGroupBox(u"あいこん / program icon"_s, page);
    auto* h = new QHBoxLayout(box);
    for (int size : {16, 32, 48, 256}) {
        auto* v = new QVBoxLayout;
        QPixmap pm(u":/icon/tsumiki-%1.png"_s.arg(size));
        // Shown one image pixel per device pixel, so each size is seen as drawn.
        pm.setDevicePixelRatio(page->devicePixelRatioF());
        v->addWidget(pictureLabel(pm, box), 1, Qt::AlignBottom | Qt::AlignHCenter);
        v->addWidget(new QLabel(u"%1 px"_s.arg(size)), 0, Qt::AlignCenter);
        h->addLayout(v);
    }
    h->addStretch();
    return box;
}

} // namespace

QWidget* makePicturesPage(TRsImageList* images, QWidget* parent)
{
    auto* page = new QWidget(parent);
    auto* v = new QVBoxLayout(page);
    v->addWidget(stripBox(images, page));
    v->addWidget(animationBox(images, page));
    auto* h = new QHBoxLayout;
    h->addWidget(trayBox(page));
    h->addWidget(iconBox(page));
    v->addLayout(h);
    v->addStretch();
    return page;
}
