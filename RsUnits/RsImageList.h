#pragma once

#include <QIcon>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QSize>
#include <QString>

class QAction;

// A list of equal-sized images with alpha, cut from PNG strips. Each entry may carry a
// second copy drawn at twice the size, taken from "<name>@2x.png" beside the strip, so that
// buttons stay sharp on screens scaled to 200 %.
class TRsImageList : public QObject {
    Q_OBJECT
public:
    explicit TRsImageList(QObject* parent = nullptr);

    // Loads the PNG strip and appends its cells, row by row and, within a row, left to right.
    // The cell size is the image size divided by columns and rows. When "<base>@2x.<ext>" exists
    // beside the file and is exactly twice the size, its cells become the sharp copies.
    // Returns false (and changes nothing) when the file cannot be read or is smaller than the grid.
    bool AddPngStrip(const QString& fileName, int columns, int rows);

    // Appends one image; hiRes is an optional copy at twice the size.
    void Add(const QImage& image, const QImage& hiRes = QImage());
    void Clear();

    int Count() const { return static_cast<int>(m_images.size()); }
    // The size of the first image in logical pixels, (0, 0) when the list is empty.
    QSize ImageSize() const;

    // Entry i at one-to-one size (an empty image outside 0..Count()-1).
    QImage Image(int index) const;
    // Entry i for a screen with the given device pixel ratio: the sharp copy (with ratio 2) when
    // the ratio is above 1 and one exists, otherwise the plain one.
    QPixmap Pixmap(int index, qreal devicePixelRatio = 1.0) const;
    // Entry i with all sizes it has.
    QIcon Icon(int index) const;

signals:
    void Changed();

private:
    QList<QImage> m_images;
    QList<QImage> m_hiRes; // same length; null where there is no sharp copy
};

// Ties an action to an image of a list, the way a PNG button and a menu find the action's
// picture. The action also gets the image as its icon, so menus show it.
void SetActionImage(QAction* action, TRsImageList* list, int imageIndex);
// The list and index tied to an action; nullptr and -1 when none.
TRsImageList* ActionImageList(const QAction* action);
int ActionImageIndex(const QAction* action);
