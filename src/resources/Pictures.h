#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

// The component's pictures by resource number, drawn from the SVG files of resources.qrc.
// A number that names no picture throws std::out_of_range, as a missing resource would fail.

// Bitmaps 101-110 (toolbar), 113 and 114 (dialog buttons), 116-118 (toolbar). An empty size
// renders the picture at its natural size.
QPixmap LoadResPicture(int id, QSize size = {});

// Icon 201, the window icon, at the sizes a title bar and a task bar ask for.
QIcon LoadResIcon(int id);
