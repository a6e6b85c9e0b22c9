#pragma once

class QPaintDevice;

// The window's lengths are designed in twips (1440 to the inch); Qt lays out in pixels.
int TwipsToPixels(const QPaintDevice &device, int twips);
int PixelsToTwips(const QPaintDevice &device, int pixels);
