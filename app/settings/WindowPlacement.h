#pragma once

// The main window's placement as the settings read and write it: the outer window in twips,
// screen coordinates, and the size of the screen it opens on. Setting one value moves or
// resizes the window at once.
class WindowPlacement
{
public:
    virtual double Left() const = 0;
    virtual double Top() const = 0;
    virtual double Width() const = 0;
    virtual double Height() const = 0;
    virtual void SetLeft(double twips) = 0;
    virtual void SetTop(double twips) = 0;
    virtual void SetWidth(double twips) = 0;
    virtual void SetHeight(double twips) = 0;
    // Whether any part of the window lies on a screen.
    virtual bool IsOnScreen() const = 0;
    // The primary screen's size in twips.
    virtual double ScreenWidth() const = 0;
    virtual double ScreenHeight() const = 0;

protected:
    ~WindowPlacement() = default;
};
