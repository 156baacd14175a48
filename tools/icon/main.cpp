// Paints the program's icon into a freedesktop icon theme folder: a scalable SVG and PNGs of
// the usual sizes, each painted at its own size rather than scaled from another.

// own
#include "windows/Art.h"

// Qt
#include <QGuiApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>
#include <QTextStream>

namespace {

const QString IconName = QStringLiteral("org.pelvo.Pelvo");
constexpr int SvgSide = 256;
constexpr int PngSides[] = {16, 22, 24, 32, 48, 64, 128, 256};

bool writeSvg(const QString& path) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(SvgSide, SvgSide));
        svg.setViewBox(QRect(0, 0, SvgSide, SvgSide));
        svg.setTitle(QStringLiteral("Pelvo"));
        svg.setDescription(QStringLiteral("A fan of three cards on felt"));
        QPainter p(&svg);
        pelvo::art::paintIcon(p, SvgSide);
    }
    // The generator gives the size in millimetres; an icon is measured in pixels.
    QString text = QString::fromUtf8(bytes);
    text.replace(QRegularExpression(QStringLiteral(R"(width="[0-9.]+mm" height="[0-9.]+mm")")),
                 QStringLiteral(R"(width="%1" height="%1")").arg(SvgSide));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0;
}

bool writePng(const QString& path, int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        pelvo::art::paintIcon(p, side);
    }
    return image.save(path, "PNG");
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: pelvo-icon-art THEME-FOLDER (for example assets/icons/hicolor)\n";
        return 2;
    }
    const QDir theme(QString::fromLocal8Bit(argv[1]));
    bool ok = theme.mkpath(QStringLiteral("scalable/apps")) &&
              writeSvg(theme.filePath(QStringLiteral("scalable/apps/") + IconName + ".svg"));
    for (const int side : PngSides) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(side);
        ok = ok && theme.mkpath(folder) &&
             writePng(theme.filePath(folder + u'/' + IconName + ".png"), side);
    }
    if (!ok) {
        err << "pelvo-icon-art: cannot write into " << theme.absolutePath() << "\n";
        return 1;
    }
    return 0;
}
