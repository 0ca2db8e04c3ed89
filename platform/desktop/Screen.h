#pragma once
#include <QRect>

// The screen in the window system's units: twips, 1/1440 of a logical inch.
namespace desktop::Screen
{

// Twips in one device-independent pixel, from the primary screen's logical resolution.
double TwipsPerPixelX();
double TwipsPerPixelY();

// The primary screen's size, in twips.
double Width();
double Height();

// Whether any part of a rectangle (in pixels) lies on one of the screens.
bool IsOnAnyScreen(const QRect& frame);

} // namespace desktop::Screen
