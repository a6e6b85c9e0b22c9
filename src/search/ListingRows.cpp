#include "ListingRows.h"

#include "Recordset.h"

GridRows ReadListingRows(DataKit::Recordset &recordset)
{
    GridRows rows;
    if (recordset.isEOF() && recordset.isBOF())
        return rows;
    const int fields[4] = {recordset.FieldIndex(QStringLiteral("cID")),
                           recordset.FieldIndex(QStringLiteral("ctext")),
                           recordset.FieldIndex(QStringLiteral("chelp")),
                           recordset.FieldIndex(QStringLiteral("ccode_name"))};
    recordset.ReadAll([&rows, &fields](const DataKit::FieldText *values) {
        QByteArrayView cells[4];
        for (int col = 0; col < 4; ++col)
            cells[col] = values[fields[col]].bytes();
        rows.append(cells, 4, 1u << 3);
    });
    rows.squeeze();
    return rows;
}
