#include "RsUnits/RsImageList.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The pictures are committed files of the source tree.
QString resourcesDir()
{
    return QStringLiteral(TSUMIKI_RESOURCES_DIR);
}

QImage load(const QString& relative)
{
    QImage image(resourcesDir() + u'/' + relative);
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
}

int visiblePixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 32)
                ++n;
    return n;
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT
private slots:
    void buttonStrip_data();
    void buttonStrip();
    void animationFramesTurn();
    void stripLoadsIntoImageList();
    void imageListRejectsBadFiles();
    void imageListIgnoresMismatchedSharpStrip();
    void programIcon_data();
    void programIcon();
    void trayFrames();
    void resourceFileListsExistingPictures();
};

void TestPictures::buttonStrip_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("scale");
    QTest::newRow("plain") << u"dist/Image/Tmk24.png"_s << 1;
    QTest::newRow("sharp") << u"dist/Image/Tmk24@2x.png"_s << 2;
}

void TestPictures::buttonStrip()
{
    QFETCH(QString, file);
    QFETCH(int, scale);
    const QImage image = load(file);
    QVERIFY2(!image.isNull(), qPrintable(file));
    QCOMPARE(image.size(), QSize(768 * scale, 24 * scale));
    QVERIFY(QImage(resourcesDir() + u'/' + file).hasAlphaChannel());
    const int cell = 24 * scale;
    for (int i = 0; i < 32; ++i) {
        const QImage c = image.copy(i * cell, 0, cell, cell);
        const int visible = visiblePixels(c);
        // Every cell holds a picture, and none is an opaque block.
        QVERIFY2(visible >= 40 * scale * scale, qPrintable(u"cell %1: %2"_s.arg(i).arg(visible)));
        QVERIFY2(visible < cell * cell * 9 / 10, qPrintable(u"cell %1 is filled"_s.arg(i)));
        QCOMPARE(qAlpha(c.pixel(0, 0)), 0);
    }
    // The task pane's buttons are the list pane's in another colour: same shapes, other pixels.
    for (int i = 0; i < 8; ++i) {
        const QImage list = image.copy(i * cell, 0, cell, cell);
        const QImage task = image.copy((i + 8) * cell, 0, cell, cell);
        QVERIFY2(list != task, qPrintable(u"cell %1"_s.arg(i)));
    }
}

void TestPictures::animationFramesTurn()
{
    const QImage image = load(u"dist/Image/Tmk24.png"_s);
    QVERIFY(!image.isNull());
    for (int first : {16, 24}) {
        for (int i = 0; i < 8; ++i) {
            const QImage a = image.copy((first + i) * 24, 0, 24, 24);
            const QImage b = image.copy((first + (i + 1) % 8) * 24, 0, 24, 24);
            QVERIFY2(a != b, qPrintable(u"frames %1 and %2"_s.arg(first + i).arg(first + (i + 1) % 8)));
        }
    }
}

void TestPictures::stripLoadsIntoImageList()
{
    TRsImageList list;
    QVERIFY(list.AddPngStrip(resourcesDir() + u"/dist/Image/Tmk24.png"_s, 32, 1));
    QCOMPARE(list.Count(), 32);
    QCOMPARE(list.ImageSize(), QSize(24, 24));
    QCOMPARE(list.Image(31).size(), QSize(24, 24));
    QVERIFY(list.Image(32).isNull());
    QVERIFY(list.Image(-1).isNull());
    const QPixmap sharp = list.Pixmap(9, 2.0);
    QCOMPARE(sharp.devicePixelRatio(), 2.0);
    QCOMPARE(sharp.size(), QSize(48, 48));
    QCOMPARE(list.Pixmap(9, 1.0).size(), QSize(24, 24));
    QCOMPARE(list.Icon(9).availableSizes().size(), 2);
    // The cells are those of the strip, left to right.
    QCOMPARE(list.Image(5), load(u"dist/Image/Tmk24.png"_s).copy(5 * 24, 0, 24, 24));
}

void TestPictures::imageListRejectsBadFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    TRsImageList list;
    QVERIFY(!list.AddPngStrip(dir.filePath(u"missing.png"_s), 32, 1));
    QFile junk(dir.filePath(u"junk.png"_s));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("not a picture");
    junk.close();
    QVERIFY(!list.AddPngStrip(junk.fileName(), 32, 1));
    QImage narrow(10, 24, QImage::Format_ARGB32);
    narrow.fill(Qt::red);
    QVERIFY(narrow.save(dir.filePath(u"narrow.png"_s)));
    QVERIFY(!list.AddPngStrip(dir.filePath(u"narrow.png"_s), 32, 1));
    QCOMPARE(list.Count(), 0);
}

void TestPictures::imageListIgnoresMismatchedSharpStrip()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QImage strip(4 * 24, 2 * 24, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    strip.setPixel(24 * 3, 24, qRgba(0, 0, 255, 255)); // top-left pixel of cell 7
    QVERIFY(strip.save(dir.filePath(u"s.png"_s)));
    QImage wrong(100, 10, QImage::Format_ARGB32);
    wrong.fill(Qt::red);
    QVERIFY(wrong.save(dir.filePath(u"s@2x.png"_s)));

    TRsImageList list;
    QVERIFY(list.AddPngStrip(dir.filePath(u"s.png"_s), 4, 2));
    QCOMPARE(list.Count(), 8);
    // Rows from the top, columns from the left.
    QCOMPARE(list.Image(7).pixel(0, 0), qRgba(0, 0, 255, 255));
    QCOMPARE(list.Pixmap(7, 2.0).devicePixelRatio(), 1.0);
}

void TestPictures::programIcon_data()
{
    QTest::addColumn<int>("size");
    for (int size : {16, 32, 48, 256})
        QTest::addRow("%d", size) << size;
}

void TestPictures::programIcon()
{
    QFETCH(int, size);
    const QImage icon = load(u"icon/tsumiki-%1.png"_s.arg(size));
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.size(), QSize(size, size));
    // The cream square fills the middle of its edge.
    QVERIFY(visiblePixels(icon) > size * size * 8 / 10);
}

void TestPictures::trayFrames()
{
    QList<QImage> frames;
    for (int i = 1; i <= 8; ++i) {
        const QImage frame = load(u"tray/Tray%1.png"_s.arg(i, 2, 10, QLatin1Char('0')));
        QVERIFY2(!frame.isNull(), qPrintable(QString::number(i)));
        QCOMPARE(frame.size(), QSize(16, 16));
        QCOMPARE(load(u"tray/Tray%1@2x.png"_s.arg(i, 2, 10, QLatin1Char('0'))).size(), QSize(32, 32));
        frames << frame;
    }
    for (int i = 0; i < 8; ++i)
        QVERIFY2(frames.at(i) != frames.at((i + 1) % 8), qPrintable(QString::number(i + 1)));
}

void TestPictures::resourceFileListsExistingPictures()
{
    QFile qrc(resourcesDir() + u"/icons.qrc"_s);
    QVERIFY(qrc.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(qrc.readAll());
    static const QRegularExpression fileEntry(u"<file[^>]*>([^<]+)</file>"_s);
    int entries = 0;
    for (const QRegularExpressionMatch& m : fileEntry.globalMatch(text)) {
        ++entries;
        QVERIFY2(QFileInfo::exists(resourcesDir() + u'/' + m.captured(1)), qPrintable(m.captured(1)));
    }
    QVERIFY(text.contains(u"tray/Tray08.png"_s));
    QVERIFY(text.contains(u"icon/tsumiki-256.png"_s));
    QVERIFY(entries >= 12);
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
