#include "PerfMemory.h"

#include "Database.h"
#include "Recordset.h"
#include "SqlTexts.h"

#include <QFile>

#include <unistd.h>

long ResidentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> pages = statm.readAll().split(' ');
    return pages.size() > 1 ? pages[1].toLong() * sysconf(_SC_PAGESIZE) : 0;
}

double TextBytesPerSummary(const QString &target)
{
    auto db = DataKit::Database::open(target);
    auto listing = db->OpenRecordset(SqlText::ListingQuery(), DataKit::dbOpenSnapshot);
    long rows = 0;
    qsizetype bytes = 0;
    listing->ReadAll([&](const DataKit::FieldText *fields) {
        for (int i : {0, 1, 2, 4})
            bytes += fields[i].size;
        ++rows;
    });
    return double(bytes) / std::max(1L, rows);
}
