#pragma once

#include <QString>
#include <memory>

namespace DataKit {
class Database;
}

// Creates a new layout table for one print job in the print database and answers its name,
// TempPrint_<session><random 1..1,000,000,000><HHMMSS>; "" when it could not be created (no print
// database, or the database refused, a name already taken included). Shows nothing. A print
// database replaced or removed under the window is opened again, once, and the table made there.
//
// Its eleven columns hold a job's page decoration: iType, iX, iY, iW, iH, cFontName, iFontSize,
// cText, iSection, iAlignment, cFontAttr. The engine itself refuses a text longer than its size
// (50, 255, 4), a Long outside 32 bits, a Byte outside 0..255, and a text where a number belongs.
QString CreateLayoutTable(const std::shared_ptr<DataKit::Database> &database);
