#include "platform/desktop/Screen.h"

#include <QGuiApplication>
#include <QScreen>

namespace desktop::Screen
{

namespace
{
double TwipsPerPixel(double logicalDpi)
{
    return logicalDpi > 0 ? 1440.0 / logicalDpi : 15.0;
}
} // namespace

double TwipsPerPixelX()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return TwipsPerPixel(screen ? screen->logicalDotsPerInchX() : 96.0);
}

double TwipsPerPixelY()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return TwipsPerPixel(screen ? screen->logicalDotsPerInchY() : 96.0);
}

double Width()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return (screen ? screen->geometry().width() : 0) * TwipsPerPixelX();
}

double Height()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return (screen ? screen->geometry().height() : 0) * TwipsPerPixelY();
}

bool IsOnAnyScreen(const QRect& frame)
{
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->geometry().intersects(frame))
            return true;
    }
    return false;
}

} // namespace desktop::Screen
