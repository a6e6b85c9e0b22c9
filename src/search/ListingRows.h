#pragma once

#include "GridRows.h"

namespace DataKit {
class Recordset;
}

// The listing's rows (code, text, mnemonic, account name) read in one pass, in its order, each
// copied once into the grid's compact form; an account's name is kept once, however many
// summaries show it. Null reads as an empty cell.
GridRows ReadListingRows(DataKit::Recordset &recordset);
