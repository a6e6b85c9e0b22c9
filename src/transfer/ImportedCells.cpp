#include "ImportedCells.h"

#include "MdlDigest.h"

using MdlDigest::NullToStr;

QList<ImportedCell> ImportedCells(const ImportRow &row, const StoredCell &stored)
{
    QList<ImportedCell> cells;
    const auto given = [&](const QString &field, bool inFile, const QString &value) {
        if (inFile && (!stored || NullToStr(stored(field)) != value))
            cells.append({field, MdlDigest::StrToNull(value)});
    };
    const QString mnemonic = QStringLiteral("chelp");
    given(QStringLiteral("ctext"), true, row.text);
    given(mnemonic, row.hasMnemonic || !stored || NullToStr(stored(mnemonic)).isEmpty(),
          row.mnemonic);
    given(QStringLiteral("cCode"), row.hasAccount || !stored, row.accountCode);
    return cells;
}
