#pragma once

#include <QRect>

// Window layouts are given in twips; fifteen twips are one pixel at 96 dots per inch.
struct Twips
{
    int left;
    int top;
    int width;
    int height;

    QRect toPixels() const { return {pixels(left), pixels(top), pixels(width), pixels(height)}; }
    static constexpr int pixels(int twips) { return (twips + (twips < 0 ? -7 : 7)) / 15; }
};
