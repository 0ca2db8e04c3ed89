#pragma once
#include <QColor>
#include <QList>
#include <QPainterPath>
#include <QRectF>
#include <QString>

class QPainter;

// A picture kept as vectors: the paths of a small SVG file, each with a fill, a stroke and a
// stroke width. Enough of SVG for the program's own artwork, nothing more: path elements with
// absolute and relative M, L, H, V, C, Q and Z commands, colours as #rgb, #rrggbb or "none".
class VectorPicture
{
public:
    // Reads the file; false, with the reason in `error`, when it is not such a picture.
    bool Load(const QString& path, QString& error);

    // Draws the picture's view box scaled into `target`.
    void Paint(QPainter& painter, const QRectF& target) const;

    const QRectF& ViewBox() const { return viewBox_; }
    qsizetype ShapeCount() const { return shapes_.size(); }

private:
    struct Shape
    {
        QPainterPath Path;
        QColor Fill;   // invalid for none
        QColor Stroke; // invalid for none
        qreal StrokeWidth = 1.0;
    };

    QRectF viewBox_;
    QList<Shape> shapes_;
};

// Parses SVG path data; false, with the reason in `error`, for anything it does not know.
bool ParsePathData(const QString& data, QPainterPath& path, QString& error);
