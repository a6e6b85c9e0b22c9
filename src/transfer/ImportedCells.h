#pragma once

#include "ImportRules.h"

#include <QList>
#include <QVariant>

#include <functional>
#include <utility>

// A cell of a summary as an import writes it: its field and its value (Null for an empty cell).
using ImportedCell = std::pair<QString, QVariant>;
// A stored summary's cell by its field, as locked for the import's change.
using StoredCell = std::function<QVariant(const QString &field)>;

// The cells an import writes for one of its rows: every one of a new summary (stored empty); of a
// stored one, those the file gives that differ from the summary as locked, so that another user's
// change to the rest is kept, and the mnemonic also when the file has no column for it but the
// stored one is empty, as the window fills an empty mnemonic.
QList<ImportedCell> ImportedCells(const ImportRow &row, const StoredCell &stored);
