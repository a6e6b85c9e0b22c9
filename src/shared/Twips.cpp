#include "Twips.h"

#include <QPaintDevice>

int TwipsToPixels(const QPaintDevice &device, int twips)
{
    return twips * device.logicalDpiX() / 1440;
}

int PixelsToTwips(const QPaintDevice &device, int pixels)
{
    return qRound(pixels * 1440.0 / device.logicalDpiX());
}
