#include "data/drawing/IconFile.h"

#include <QtEndian>

#include <cstdint>

namespace
{
void Put16(QByteArray& out, uint16_t value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void Put32(QByteArray& out, uint32_t value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

// One image as the icon format stores it: a bitmap header with twice the height (colour rows
// and mask rows), the colour rows bottom-up in BGRA with straight alpha, then the mask rows,
// each padded to four bytes, a set bit marking a transparent pixel.
QByteArray BitmapOf(const QImage& source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int width = image.width();
    const int height = image.height();
    const int maskStride = ((width + 31) / 32) * 4;

    QByteArray out;
    Put32(out, 40); // header size
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height * 2));
    Put16(out, 1);  // planes
    Put16(out, 32); // bits per pixel
    Put32(out, 0);  // no compression
    Put32(out, static_cast<uint32_t>(width * height * 4 + maskStride * height));
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);

    for (int y = height - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x)
            Put32(out, row[x]); // 0xAARRGGBB little-endian is B, G, R, A
    }
    for (int y = height - 1; y >= 0; --y) {
        QByteArray mask(maskStride, '\0');
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            if (qAlpha(row[x]) == 0)
                mask[x / 8] = static_cast<char>(mask[x / 8] | (0x80 >> (x % 8)));
        }
        out.append(mask);
    }
    return out;
}
} // namespace

QByteArray IconFileBytes(const QList<QImage>& images)
{
    QList<QByteArray> bitmaps;
    for (const QImage& image : images)
        bitmaps.append(BitmapOf(image));

    QByteArray out;
    Put16(out, 0); // reserved
    Put16(out, 1); // an icon, not a cursor
    Put16(out, static_cast<uint16_t>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        // A side of 256 is written as 0.
        out.append(static_cast<char>(images[i].width() & 0xFF));
        out.append(static_cast<char>(images[i].height() & 0xFF));
        out.append('\0'); // no palette
        out.append('\0');
        Put16(out, 1);
        Put16(out, 32);
        Put32(out, static_cast<uint32_t>(bitmaps[i].size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(bitmaps[i].size());
    }
    for (const QByteArray& bitmap : bitmaps)
        out.append(bitmap);
    return out;
}
