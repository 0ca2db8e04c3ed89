#include "app/forms/Pictures.h"

#include "platform/controls/ImageList.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace Pictures
{

namespace
{
const QColor Outline(0, 0, 0);
const QColor FolderYellow(255, 214, 64);
const QColor FolderShade(214, 160, 16);

QPen Thin(const QColor& colour, qreal width = 0.8)
{
    QPen pen(colour, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

void Ball(QPainter& p, const QColor& colour)
{
    QRadialGradient shine(QPointF(6.0, 5.5), 8.0, QPointF(5.5, 5.0));
    shine.setColorAt(0.0, colour.lighter(190));
    shine.setColorAt(0.45, colour);
    shine.setColorAt(1.0, colour.darker(170));
    p.setPen(Thin(colour.darker(220)));
    p.setBrush(shine);
    p.drawEllipse(QRectF(2.0, 2.0, 12.0, 12.0));
}

void DrawClosedFolder(QPainter& p)
{
    QPainterPath body;
    body.moveTo(1.5, 4.5);
    body.lineTo(6.0, 4.5);
    body.lineTo(7.5, 3.0);
    body.lineTo(13.0, 3.0);
    body.lineTo(14.5, 4.5);
    body.lineTo(14.5, 13.5);
    body.lineTo(1.5, 13.5);
    body.closeSubpath();
    p.setPen(Thin(FolderShade.darker(160)));
    p.setBrush(FolderYellow);
    p.drawPath(body);
    p.setPen(Thin(FolderShade));
    p.drawLine(QPointF(2.0, 6.0), QPointF(14.0, 6.0));
}

void DrawOpenFolder(QPainter& p)
{
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(5.5, 3.5);
    back.lineTo(7.0, 5.0);
    back.lineTo(12.5, 5.0);
    back.lineTo(12.5, 7.0);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.setPen(Thin(FolderShade.darker(160)));
    p.setBrush(FolderShade);
    p.drawPath(back);
    QPainterPath front;
    front.moveTo(4.0, 7.0);
    front.lineTo(15.0, 7.0);
    front.lineTo(12.5, 13.5);
    front.lineTo(1.5, 13.5);
    front.closeSubpath();
    p.setBrush(FolderYellow);
    p.drawPath(front);
}

void Tick(QPainter& p, const QColor& colour, const QRectF& box)
{
    QPainterPath tick;
    tick.moveTo(box.left(), box.top() + box.height() * 0.55);
    tick.lineTo(box.left() + box.width() * 0.38, box.bottom());
    tick.lineTo(box.right(), box.top());
    QPen pen(colour, 2.2);
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
}

void InfoDisc(QPainter& p)
{
    p.setPen(Thin(QColor(0, 0, 96)));
    p.setBrush(QColor(0, 0, 160));
    p.drawEllipse(QRectF(1.0, 1.0, 14.0, 14.0));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(7.0, 3.2, 2.2, 2.2));
    p.drawRect(QRectF(7.1, 6.6, 2.0, 6.2));
    p.drawRect(QRectF(6.0, 6.6, 1.4, 1.0));
    p.drawRect(QRectF(6.0, 11.8, 4.2, 1.0));
}

void Scissors(QPainter& p)
{
    p.setPen(QPen(QColor(64, 64, 64), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4.5, 1.5), QPointF(10.0, 10.0));
    p.drawLine(QPointF(11.5, 1.5), QPointF(6.0, 10.0));
    p.setPen(Thin(QColor(0, 0, 0), 1.1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(2.0, 10.0, 4.5, 4.5));
    p.drawEllipse(QRectF(9.5, 10.0, 4.5, 4.5));
}

void Page(QPainter& p, const QRectF& r)
{
    QPainterPath page;
    page.moveTo(r.left(), r.top());
    page.lineTo(r.right() - 2.5, r.top());
    page.lineTo(r.right(), r.top() + 2.5);
    page.lineTo(r.right(), r.bottom());
    page.lineTo(r.left(), r.bottom());
    page.closeSubpath();
    p.setPen(Thin(QColor(0, 0, 0)));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.setPen(Thin(QColor(0, 0, 128), 0.6));
    for (qreal y = r.top() + 3.0; y < r.bottom() - 1.0; y += 2.0)
        p.drawLine(QPointF(r.left() + 1.5, y), QPointF(r.right() - 1.5, y));
}

void Clipboard(QPainter& p)
{
    p.setPen(Thin(QColor(80, 48, 16)));
    p.setBrush(QColor(176, 112, 48));
    p.drawRoundedRect(QRectF(2.5, 2.5, 10.0, 12.5), 1.0, 1.0);
    p.setBrush(Qt::white);
    p.setPen(Thin(QColor(96, 96, 96)));
    p.drawRect(QRectF(4.0, 5.0, 7.0, 8.5));
    p.setBrush(QColor(160, 160, 160));
    p.setPen(Thin(QColor(48, 48, 48)));
    p.drawRoundedRect(QRectF(5.0, 1.0, 5.0, 2.8), 0.8, 0.8);
    p.setPen(Thin(QColor(0, 0, 128), 0.6));
    for (qreal y = 7.0; y < 13.0; y += 2.0)
        p.drawLine(QPointF(5.0, y), QPointF(10.0, y));
}

void RedCross(QPainter& p)
{
    QPen pen(QColor(208, 0, 0), 3.0, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

void Shuttle(QPainter& p)
{
    // Nose up, delta wings, tail fin, and a flame at the engines.
    QPainterPath wings;
    wings.moveTo(8.0, 5.0);
    wings.lineTo(13.5, 13.0);
    wings.lineTo(2.5, 13.0);
    wings.closeSubpath();
    p.setPen(Thin(QColor(48, 48, 48)));
    p.setBrush(QColor(210, 210, 210));
    p.drawPath(wings);
    QPainterPath body;
    body.moveTo(8.0, 0.8);
    body.cubicTo(9.6, 2.2, 9.8, 4.0, 9.8, 5.0);
    body.lineTo(9.8, 13.0);
    body.lineTo(6.2, 13.0);
    body.lineTo(6.2, 5.0);
    body.cubicTo(6.2, 4.0, 6.4, 2.2, 8.0, 0.8);
    p.setBrush(Qt::white);
    p.drawPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(32, 32, 32));
    p.drawRect(QRectF(6.9, 2.8, 2.2, 1.0));
    p.setBrush(QColor(255, 128, 0));
    QPainterPath flame;
    flame.moveTo(6.6, 13.2);
    flame.lineTo(9.4, 13.2);
    flame.lineTo(8.0, 15.6);
    flame.closeSubpath();
    p.drawPath(flame);
}

void DrawTrafficLight(QPainter& p)
{
    p.setPen(Thin(QColor(0, 0, 0)));
    p.setBrush(QColor(48, 48, 48));
    p.drawRoundedRect(QRectF(4.5, 0.5, 7.0, 15.0), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(232, 0, 0));
    p.drawEllipse(QRectF(6.0, 1.8, 4.0, 4.0));
    p.setBrush(QColor(255, 200, 0));
    p.drawEllipse(QRectF(6.0, 6.0, 4.0, 4.0));
    p.setBrush(QColor(0, 192, 0));
    p.drawEllipse(QRectF(6.0, 10.2, 4.0, 4.0));
}

void StopSign(QPainter& p)
{
    QPolygonF octagon;
    const qreal radius = 7.2;
    for (int i = 0; i < 8; ++i) {
        const qreal angle = (22.5 + 45.0 * i) * M_PI / 180.0;
        octagon << QPointF(8.0 + radius * std::cos(angle), 8.0 + radius * std::sin(angle));
    }
    p.setPen(Thin(QColor(96, 0, 0)));
    p.setBrush(QColor(208, 0, 0));
    p.drawPolygon(octagon);
    p.setPen(QPen(Qt::white, 1.4));
    p.drawLine(QPointF(4.5, 8.0), QPointF(11.5, 8.0));
}

void Binoculars(QPainter& p)
{
    p.setPen(Thin(QColor(0, 0, 0)));
    p.setBrush(QColor(40, 40, 40));
    p.drawRoundedRect(QRectF(2.0, 3.0, 4.5, 7.0), 1.0, 1.0);
    p.drawRoundedRect(QRectF(9.5, 3.0, 4.5, 7.0), 1.0, 1.0);
    p.drawRect(QRectF(6.0, 5.0, 4.0, 2.5));
    p.setBrush(QColor(64, 96, 176));
    p.drawEllipse(QRectF(1.0, 9.0, 6.5, 6.0));
    p.drawEllipse(QRectF(8.5, 9.0, 6.5, 6.0));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(190, 210, 255));
    p.drawEllipse(QRectF(2.6, 10.4, 2.0, 1.8));
    p.drawEllipse(QRectF(10.1, 10.4, 2.0, 1.8));
}

// Draws one icon by calling Draw at whatever size and scale the view asks for.
class PictureEngine : public QIconEngine
{
public:
    explicit PictureEngine(int index) : index_(index) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 16.0, rect.height() / 16.0);
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.4);
        Draw(index_, *painter);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        QPixmap pix(size * scale);
        pix.fill(Qt::transparent);
        {
            QPainter painter(&pix);
            paint(&painter, QRect(QPoint(0, 0), pix.size()), mode, state);
        }
        pix.setDevicePixelRatio(scale);
        return pix;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new PictureEngine(index_); }

private:
    int index_;
};
} // namespace

void Draw(int index, QPainter& p)
{
    switch (index) {
    case Help:
        InfoDisc(p);
        break;
    case OpenFolder:
        DrawOpenFolder(p);
        break;
    case LinkNotChecked:
        Ball(p, QColor(0, 0, 160));
        break;
    case LinkBroken:
        Ball(p, QColor(216, 0, 0));
        break;
    case LinkNoReply:
        Ball(p, QColor(240, 208, 0));
        break;
    case LinkAnswered:
        Ball(p, QColor(0, 176, 0));
        break;
    case Cut:
        Scissors(p);
        break;
    case Copy:
        Page(p, QRectF(1.5, 1.5, 8.5, 10.5));
        Page(p, QRectF(6.0, 4.5, 8.5, 10.5));
        break;
    case Paste:
        Clipboard(p);
        break;
    case Delete:
        RedCross(p);
        break;
    case Launch:
        Shuttle(p);
        break;
    case TrafficLight:
        DrawTrafficLight(p);
        break;
    case CheckAll:
    case CheckOne:
        Tick(p, Qt::black, QRectF(2.5, 3.5, 11.0, 9.0));
        break;
    case Stop:
        StopSign(p);
        break;
    case ClosedFolder:
        DrawClosedFolder(p);
        break;
    case Find:
        Binoculars(p);
        break;
    case CheckFolder:
        DrawClosedFolder(p);
        Tick(p, Qt::black, QRectF(5.0, 6.0, 8.0, 6.0));
        break;
    default:
        break;
    }
}

QIcon Icon(int index)
{
    return QIcon(new PictureEngine(index));
}

std::unique_ptr<ImageList> CreateImages()
{
    auto images = std::make_unique<ImageList>(QSize(16, 16));
    for (int i = 1; i <= Count; ++i)
        images->Add(Icon(i));
    return images;
}

} // namespace Pictures
