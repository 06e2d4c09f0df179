// Writes the program's pictures into the resources directory (the first argument, or the
// source tree's resources/ when none is given).
#include "Pictures.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

namespace {

bool save(const QImage& image, const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    if (!image.convertToFormat(QImage::Format_ARGB32).save(path, "PNG")) {
        QTextStream(stderr) << "cannot write " << path << '\n';
        return false;
    }
    QTextStream(stdout) << path << '\n';
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    // Drawing needs fonts and paint engines but no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString root = args.size() > 1 ? args.at(1) : QStringLiteral(TSUMIKI_RESOURCES_DIR);

    bool ok = true;
    ok &= save(pictures::buttonStrip(1), root + QStringLiteral("/dist/Image/Tmk24.png"));
    ok &= save(pictures::buttonStrip(2), root + QStringLiteral("/dist/Image/Tmk24@2x.png"));
    for (int size : {16, 32, 48, 256})
        ok &= save(pictures::programIcon(size), root + QStringLiteral("/icon/tsumiki-%1.png").arg(size));
    for (int i = 0; i < pictures::TrayFrames; ++i) {
        const QString base = root + QStringLiteral("/tray/Tray%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        ok &= save(pictures::trayFrame(i, 16), base + QStringLiteral(".png"));
        ok &= save(pictures::trayFrame(i, 32), base + QStringLiteral("@2x.png"));
    }
    return ok ? 0 : 1;
}
