#include "Twips.h"

#include <QPaintDevice>

int TwipsToPixels(const QPaintDevice &device, int twips)
{
    return twips * device.logicalDpiX() / 1440;
}
