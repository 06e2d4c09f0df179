#include "RsUnits/RsImageList.h"

#include <QAction>
#include <QColorSpace>
#include <QFileInfo>
#include <QImageReader>
#include <QPointer>

namespace {

const char kListProperty[] = "rsImageList";
const char kIndexProperty[] = "rsImageIndex";

QImage readPng(const QString& fileName)
{
    QImageReader reader(fileName);
    QImage image = reader.read();
    if (image.isNull())
        return image;
    // Drawn with the stored colours: a gamma or colour profile in the file must not change them.
    image.setColorSpace(QColorSpace());
    return image.convertToFormat(QImage::Format_ARGB32);
}

QString hiResName(const QString& fileName)
{
    const QFileInfo info(fileName);
    const QString suffix = info.suffix();
    QString base = info.path() + u'/' + info.completeBaseName() + QStringLiteral("@2x");
    if (!suffix.isEmpty())
        base += u'.' + suffix;
    return base;
}

QList<QImage> cutCells(const QImage& strip, int columns, int rows)
{
    QList<QImage> cells;
    const int w = strip.width() / columns;
    const int h = strip.height() / rows;
    if (w <= 0 || h <= 0)
        return cells;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            cells.append(strip.copy(c * w, r * h, w, h));
    return cells;
}

} // namespace

TRsImageList::TRsImageList(QObject* parent) : QObject(parent) {}

bool TRsImageList::AddPngStrip(const QString& fileName, int columns, int rows)
{
    if (columns <= 0 || rows <= 0)
        return false;
    const QImage strip = readPng(fileName);
    if (strip.isNull())
        return false;
    const QList<QImage> cells = cutCells(strip, columns, rows);
    if (cells.isEmpty())
        return false;

    QList<QImage> sharp;
    const QString hiName = hiResName(fileName);
    if (QFileInfo::exists(hiName)) {
        const QImage hi = readPng(hiName);
        // A sharp strip that does not match cell for cell would show the wrong pictures: ignore it.
        if (!hi.isNull() && hi.width() == 2 * (strip.width() / columns) * columns
            && hi.height() == 2 * (strip.height() / rows) * rows)
            sharp = cutCells(hi, columns, rows);
    }
    for (int i = 0; i < cells.size(); ++i) {
        m_images.append(cells.at(i));
        m_hiRes.append(i < sharp.size() ? sharp.at(i) : QImage());
    }
    emit Changed();
    return true;
}

void TRsImageList::Add(const QImage& image, const QImage& hiRes)
{
    m_images.append(image.convertToFormat(QImage::Format_ARGB32));
    m_hiRes.append(hiRes.isNull() ? QImage() : hiRes.convertToFormat(QImage::Format_ARGB32));
    emit Changed();
}

void TRsImageList::Clear()
{
    m_images.clear();
    m_hiRes.clear();
    emit Changed();
}

QSize TRsImageList::ImageSize() const
{
    return m_images.isEmpty() ? QSize(0, 0) : m_images.first().size();
}

QImage TRsImageList::Image(int index) const
{
    if (index < 0 || index >= Count())
        return QImage();
    return m_images.at(index);
}

QPixmap TRsImageList::Pixmap(int index, qreal devicePixelRatio) const
{
    if (index < 0 || index >= Count())
        return QPixmap();
    if (devicePixelRatio > 1.0 && !m_hiRes.at(index).isNull()) {
        QPixmap pm = QPixmap::fromImage(m_hiRes.at(index));
        pm.setDevicePixelRatio(2.0);
        return pm;
    }
    return QPixmap::fromImage(m_images.at(index));
}

QIcon TRsImageList::Icon(int index) const
{
    QIcon icon;
    if (index < 0 || index >= Count())
        return icon;
    icon.addPixmap(Pixmap(index, 1.0));
    if (!m_hiRes.at(index).isNull())
        icon.addPixmap(Pixmap(index, 2.0));
    return icon;
}

void SetActionImage(QAction* action, TRsImageList* list, int imageIndex)
{
    if (!action)
        return;
    action->setProperty(kListProperty, QVariant::fromValue(QPointer<TRsImageList>(list)));
    action->setProperty(kIndexProperty, imageIndex);
    // Setting the icon also tells every bound button that the action changed.
    action->setIcon(list ? list->Icon(imageIndex) : QIcon());
}

TRsImageList* ActionImageList(const QAction* action)
{
    if (!action)
        return nullptr;
    const QVariant v = action->property(kListProperty);
    if (!v.canConvert<QPointer<TRsImageList>>())
        return nullptr;
    return v.value<QPointer<TRsImageList>>().data();
}

int ActionImageIndex(const QAction* action)
{
    if (!action)
        return -1;
    bool ok = false;
    const int index = action->property(kIndexProperty).toInt(&ok);
    return ok ? index : -1;
}
