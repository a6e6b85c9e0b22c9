#pragma once

#include "ImportRules.h"

#include <QList>

namespace DataKit {
class Database;
}

// A row of an import to be written, and whether its code is stored (the summary is changed) or not
// (it is added).
struct AcceptedRow
{
    ImportRow row;
    bool stored = false;
};

// Writes an import's accepted rows at once, in the transaction the caller has begun: the stored
// summaries locked and read as the row-by-row writing's Edit locks and reads each, the cells
// written as it writes them (ImportedCells), every change and every addition in one statement of
// each, however many. Throws the kit's error when the database refuses (the transaction is then
// to be rolled back; which row it refused, the row-by-row writing tells), errDeletedByOther when
// a summary to change is no longer stored.
void WriteAllAtOnce(DataKit::Database &database, const QList<AcceptedRow> &rows);
