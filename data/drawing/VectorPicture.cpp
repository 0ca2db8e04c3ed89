#include "data/drawing/VectorPicture.h"

#include <QFile>
#include <QPainter>
#include <QPen>
#include <QXmlStreamReader>

namespace
{
// Splits path data into command letters and numbers.
class PathTokens
{
public:
    explicit PathTokens(const QString& data) : data_(data) {}

    void SkipSeparators()
    {
        while (pos_ < data_.size() && (data_.at(pos_).isSpace() || data_.at(pos_) == QLatin1Char(',')))
            ++pos_;
    }
    bool AtEnd()
    {
        SkipSeparators();
        return pos_ >= data_.size();
    }
    bool AtCommand()
    {
        SkipSeparators();
        return pos_ < data_.size() && data_.at(pos_).isLetter() && data_.at(pos_) != QLatin1Char('e') &&
               data_.at(pos_) != QLatin1Char('E');
    }
    QChar TakeCommand() { return data_.at(pos_++); }
    bool TakeNumber(qreal& value)
    {
        SkipSeparators();
        const qsizetype start = pos_;
        if (pos_ < data_.size() && (data_.at(pos_) == QLatin1Char('-') || data_.at(pos_) == QLatin1Char('+')))
            ++pos_;
        bool digits = false;
        bool point = false;
        while (pos_ < data_.size()) {
            const QChar c = data_.at(pos_);
            if (c.isDigit()) {
                digits = true;
            } else if (c == QLatin1Char('.') && !point) {
                point = true;
            } else {
                break;
            }
            ++pos_;
        }
        if (digits && pos_ < data_.size() &&
            (data_.at(pos_) == QLatin1Char('e') || data_.at(pos_) == QLatin1Char('E'))) {
            qsizetype exponent = pos_ + 1;
            if (exponent < data_.size() &&
                (data_.at(exponent) == QLatin1Char('-') || data_.at(exponent) == QLatin1Char('+')))
                ++exponent;
            if (exponent < data_.size() && data_.at(exponent).isDigit()) {
                pos_ = exponent;
                while (pos_ < data_.size() && data_.at(pos_).isDigit())
                    ++pos_;
            }
        }
        if (!digits) {
            pos_ = start;
            return false;
        }
        bool converted = false;
        value = data_.mid(start, pos_ - start).toDouble(&converted);
        return converted;
    }

private:
    const QString& data_;
    qsizetype pos_ = 0;
};

// A colour attribute; "none" and a missing attribute give an invalid colour.
bool ParseColour(const QString& text, QColor& colour)
{
    if (text.isEmpty() || text == QStringLiteral("none")) {
        colour = QColor();
        return true;
    }
    if (!text.startsWith(QLatin1Char('#')) || (text.size() != 4 && text.size() != 7))
        return false;
    colour = QColor::fromString(text);
    return colour.isValid();
}
} // namespace

bool ParsePathData(const QString& data, QPainterPath& path, QString& error)
{
    PathTokens tokens(data);
    QPointF current;
    QPointF start;
    QChar command;
    while (!tokens.AtEnd()) {
        if (tokens.AtCommand()) {
            command = tokens.TakeCommand();
        } else if (command.isNull()) {
            error = QStringLiteral("path data must begin with a command");
            return false;
        }
        const bool relative = command.isLower();
        const QPointF origin = relative ? current : QPointF();
        const auto take = [&](int count, qreal* values) {
            for (int i = 0; i < count; ++i) {
                if (!tokens.TakeNumber(values[i])) {
                    error = QStringLiteral("command %1 needs %2 numbers").arg(command).arg(count);
                    return false;
                }
            }
            return true;
        };
        qreal v[6];
        switch (command.toUpper().unicode()) {
        case 'M':
            if (!take(2, v))
                return false;
            current = origin + QPointF(v[0], v[1]);
            start = current;
            path.moveTo(current);
            // Further pairs after a move are lines.
            command = relative ? QLatin1Char('l') : QLatin1Char('L');
            break;
        case 'L':
            if (!take(2, v))
                return false;
            current = origin + QPointF(v[0], v[1]);
            path.lineTo(current);
            break;
        case 'H':
            if (!take(1, v))
                return false;
            current.setX((relative ? current.x() : 0) + v[0]);
            path.lineTo(current);
            break;
        case 'V':
            if (!take(1, v))
                return false;
            current.setY((relative ? current.y() : 0) + v[0]);
            path.lineTo(current);
            break;
        case 'C':
            if (!take(6, v))
                return false;
            path.cubicTo(origin + QPointF(v[0], v[1]), origin + QPointF(v[2], v[3]), origin + QPointF(v[4], v[5]));
            current = origin + QPointF(v[4], v[5]);
            break;
        case 'Q':
            if (!take(4, v))
                return false;
            path.quadTo(origin + QPointF(v[0], v[1]), origin + QPointF(v[2], v[3]));
            current = origin + QPointF(v[2], v[3]);
            break;
        case 'Z':
            path.closeSubpath();
            current = start;
            // A number straight after Z has no command to belong to.
            if (!tokens.AtEnd() && !tokens.AtCommand()) {
                error = QStringLiteral("numbers after Z");
                return false;
            }
            break;
        default:
            error = QStringLiteral("unknown path command %1").arg(command);
            return false;
        }
    }
    if (path.isEmpty()) {
        error = QStringLiteral("empty path");
        return false;
    }
    return true;
}

bool VectorPicture::Load(const QString& path, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    viewBox_ = QRectF();
    shapes_.clear();
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == QStringLiteral("svg")) {
            const QStringList box =
                attributes.value(QStringLiteral("viewBox")).toString().simplified().split(QLatin1Char(' '));
            if (box.size() != 4) {
                error = QStringLiteral("the svg element needs a viewBox of four numbers");
                return false;
            }
            viewBox_ = QRectF(box[0].toDouble(), box[1].toDouble(), box[2].toDouble(), box[3].toDouble());
        } else if (xml.name() == QStringLiteral("path")) {
            Shape shape;
            if (!ParsePathData(attributes.value(QStringLiteral("d")).toString(), shape.Path, error))
                return false;
            if (!ParseColour(attributes.value(QStringLiteral("fill")).toString(), shape.Fill) ||
                !ParseColour(attributes.value(QStringLiteral("stroke")).toString(), shape.Stroke)) {
                error = QStringLiteral("colours must be #rgb, #rrggbb or none");
                return false;
            }
            if (attributes.hasAttribute(QStringLiteral("stroke-width")))
                shape.StrokeWidth = attributes.value(QStringLiteral("stroke-width")).toDouble();
            shapes_.append(shape);
        }
    }
    if (xml.hasError()) {
        error = xml.errorString();
        return false;
    }
    if (viewBox_.isEmpty() || shapes_.isEmpty()) {
        error = QStringLiteral("no view box or no paths");
        return false;
    }
    return true;
}

void VectorPicture::Paint(QPainter& painter, const QRectF& target) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(target.topLeft());
    painter.scale(target.width() / viewBox_.width(), target.height() / viewBox_.height());
    painter.translate(-viewBox_.topLeft());
    for (const Shape& shape : shapes_) {
        if (shape.Stroke.isValid()) {
            QPen pen(shape.Stroke, shape.StrokeWidth);
            pen.setJoinStyle(Qt::RoundJoin);
            pen.setCapStyle(Qt::RoundCap);
            painter.setPen(pen);
        } else {
            painter.setPen(Qt::NoPen);
        }
        painter.setBrush(shape.Fill.isValid() ? QBrush(shape.Fill) : QBrush(Qt::NoBrush));
        painter.drawPath(shape.Path);
    }
    painter.restore();
}
