// Writing the stored summaries out through the suite's table files.
#include "DigestTransfer.h"

#include "Database.h"
#include "ErrorInfo.h"
#include "Recordset.h"
#include "SqlTexts.h"
#include "StringTable.h"
#include "TableFile.h"

#include <QFileInfo>

long ExportSummaries(const std::shared_ptr<DataKit::Database> &database, const QString &path)
{
    const QString ending = QFileInfo(path).suffix().toLower();
    if (ending != QLatin1String("csv") && ending != QLatin1String("xlsx"))
        throw TableFileError(
            cannotWriteMessage(path, QStringLiteral("只能导出为 .csv 或 .xlsx 文件。")));
    std::shared_ptr<DataKit::Recordset> listing;
    try {
        listing = database->OpenRecordset(SqlText::ListingQuery(), DataKit::dbOpenSnapshot);
    } catch (const std::exception &error) {
        throw TableFileError(ReadFailureText(FailureOf(error)));
    }
    // Widths in characters: the code, a long text, its mnemonic, an account code.
    const QList<TableFileColumn> columns = {{LoadResString(3), 8},
                                            {LoadResString(8), 40},
                                            {LoadResString(139), 20},
                                            {LoadResString(111), 12}};
    const auto file = openTableFile(
        path, ending == QLatin1String("csv") ? TableFileFormat::Csv : TableFileFormat::Xlsx,
        LoadResString(1), columns);
    long written = 0;
    try {
        // One pass through the listing, in its order (a walk record by record would ask the
        // database once a summary).
        const int fields[4] = {listing->FieldIndex(QStringLiteral("cID")),
                               listing->FieldIndex(QStringLiteral("ctext")),
                               listing->FieldIndex(QStringLiteral("chelp")),
                               listing->FieldIndex(QStringLiteral("cCode"))};
        listing->ReadAll([&](const DataKit::FieldText *values) {
            QStringList row;
            for (int field : fields)
                row << QString::fromUtf8(values[field].bytes());
            file->writeRow(row);
            ++written;
        });
    } catch (const DataKit::Error &error) {
        throw TableFileError(ReadFailureText(FailureOf(error)));
    }
    file->finish();
    return written;
}
