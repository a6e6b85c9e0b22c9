#include "SummaryBatch.h"

#include "Database.h"
#include "ImportedCells.h"
#include "StringTable.h"

#include <QHash>

namespace {

const QString kTable = QStringLiteral("GL_bDigest");
// The fields of a summary as they are read and written, the code (the key) first.
const QStringList kFields = {QStringLiteral("cID"), QStringLiteral("ctext"),
                             QStringLiteral("chelp"), QStringLiteral("cCode")};

} // namespace

void WriteAllAtOnce(DataKit::Database &database, const QList<AcceptedRow> &rows)
{
    QVariantList codes;
    for (const AcceptedRow &accepted : rows) {
        if (accepted.stored)
            codes.append(accepted.row.code);
    }
    QHash<QString, QVariantList> locked;
    database.LockRows(kTable, kFields, codes, [&](const QVariantList &values) {
        locked.insert(values.first().toString(), values);
    });
    if (locked.size() != codes.size())
        throw DataKit::Error(DataKit::errDeletedByOther, LoadResStrings({104, 2, 107}));

    QList<QVariantList> changes;
    QList<QVariantList> additions;
    for (const AcceptedRow &accepted : rows) {
        QVariantList values = accepted.stored ? locked.value(accepted.row.code)
                                              : QVariantList{accepted.row.code, {}, {}, {}};
        StoredCell stored;
        if (accepted.stored)
            stored = [&values](const QString &field) { return values.at(kFields.indexOf(field)); };
        const QList<ImportedCell> cells = ImportedCells(accepted.row, stored);
        // A summary whose cells are all as the file has them stays as it is, locked.
        if (cells.isEmpty())
            continue;
        for (const auto &[field, value] : cells)
            values[kFields.indexOf(field)] = value;
        (accepted.stored ? changes : additions).append(values);
    }
    database.UpdateRows(kTable, kFields, changes);
    database.InsertRows(kTable, kFields, additions);
}
