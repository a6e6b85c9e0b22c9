#pragma once

#include <QByteArray>

// Reads a finished workbook back: every part of the zip inflates to its stated size and ends by
// closing the element it opens, and the sheet holds the number of rows given. The library builds
// the parts in temporary files whose writes it never checks; a full temporary folder shows here
// as a part cut short.
bool WorkbookComplete(const QByteArray &fileName, unsigned rows);
