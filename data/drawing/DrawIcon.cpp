// Draws the toolbar button's check mark from its vector source into an icon file with a 16
// and a 32 pixel image, and into a 32 pixel PNG for the help pages.
//
//     DrawIcon <source.svg> <icon.ico> [<picture.png>]
#include "data/drawing/IconFile.h"
#include "data/drawing/VectorPicture.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSaveFile>

#include <cstdio>

namespace
{
QImage Rendered(const VectorPicture& picture, int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    picture.Paint(painter, QRectF(0, 0, side, side));
    painter.end();
    return image;
}

int Fail(const QString& message)
{
    std::fprintf(stderr, "DrawIcon: %s\n", message.toLocal8Bit().constData());
    return 1;
}
} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3 && argc != 4)
        return Fail(QStringLiteral("usage: DrawIcon <source.svg> <icon.ico> [<picture.png>]"));
    const QString source = QString::fromLocal8Bit(argv[1]);
    VectorPicture picture;
    QString error;
    if (!picture.Load(source, error))
        return Fail(source + QStringLiteral(": ") + error);

    QSaveFile icon(QString::fromLocal8Bit(argv[2]));
    if (!icon.open(QIODevice::WriteOnly) ||
        icon.write(IconFileBytes({Rendered(picture, 16), Rendered(picture, 32)})) < 0 || !icon.commit())
        return Fail(icon.fileName() + QStringLiteral(": ") + icon.errorString());

    if (argc == 4 && !Rendered(picture, 32).save(QString::fromLocal8Bit(argv[3]), "PNG"))
        return Fail(QString::fromLocal8Bit(argv[3]) + QStringLiteral(": cannot be written"));
    return 0;
}
