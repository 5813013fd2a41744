#pragma once

#include <QRect>
#include <QSize>
#include <QWidget>

// Window layouts are drawn up in twips (1/1440 inch). At 96 dots per inch
// 15 twips make one pixel; every rectangle in the layouts is a multiple of 15.
inline constexpr int twipsPerPixel = 15;

inline constexpr int twipsToPixels(int twips)
{
    // Round to the nearest pixel, so a stray odd twip does not shrink a control.
    return (twips + twipsPerPixel / 2) / twipsPerPixel;
}

inline QSize twipsSize(int width, int height)
{
    return {twipsToPixels(width), twipsToPixels(height)};
}

// Left, Top, Width, Height in twips, relative to the containing window or frame.
inline QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

inline void placeAt(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsRect(left, top, width, height));
}

// A window's client area, fixed: the layouts place every control by hand.
inline void setClientAreaTwips(QWidget* window, int width, int height)
{
    window->setFixedSize(twipsSize(width, height));
}

// A window's client area that opens at this size and may grow, never shrink:
// its controls follow by the growth rule of their table.
inline void setOpeningClientAreaTwips(QWidget* window, int width, int height)
{
    window->setMinimumSize(twipsSize(width, height));
    window->resize(twipsSize(width, height));
}
