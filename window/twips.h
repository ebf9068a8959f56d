#pragma once

#include <QRect>
#include <QtMath>

// Window places and sizes are given in twips: 1440 to the inch, so 15 to a pixel at 96 dots per inch.
struct Twips {
    qreal logicalDpi = 96.0;

    int ToPixels(int twips) const { return qRound(twips * logicalDpi / 1440.0); }
    QRect Rect(int left, int top, int width, int height) const
    {
        return QRect(ToPixels(left), ToPixels(top), ToPixels(width), ToPixels(height));
    }
};
