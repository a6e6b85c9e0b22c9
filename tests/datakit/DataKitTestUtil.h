#pragma once

#include "Database.h"
#include "Recordset.h"
#include "TestDatabase.h"

#include <QTest>

// The statement shapes the component sends, exactly as it builds them.
inline const QString kListing = QStringLiteral(
    "Select GL_bDigest.*,Code.cCode_Name From GL_bDigest LEFT JOIN Code ON GL_bDigest.cCode = "
    "Code.cCode Order By GL_bDigest.cId");
inline const QString kAccounts = QStringLiteral("Select cCode,cCode_Name From Code");

inline QString filteredListing(const QString &condition)
{
    return QStringLiteral("Select GL_bDigest.*,Code.cCode_Name From GL_bDigest LEFT JOIN Code ON "
                          "GL_bDigest.cCode = Code.cCode  where ") +
           condition + QStringLiteral("Order By GL_bDigest.cId");
}

// Fails the test unless the statement raises the kit error with that number.
#define KV_EXPECT_ERROR(statement, expectedNumber)                                                 \
    do {                                                                                           \
        long kvCaught_ = 0;                                                                        \
        QString kvText_;                                                                           \
        try {                                                                                      \
            statement;                                                                             \
        } catch (const DataKit::Error &kvError_) {                                                 \
            kvCaught_ = kvError_.number();                                                         \
            kvText_ = kvError_.description();                                                      \
        }                                                                                          \
        if (kvCaught_ != long(expectedNumber))                                                     \
            QFAIL(qPrintable(QStringLiteral("%1: expected error %2, got %3 (%4)")                  \
                                 .arg(QStringLiteral(#statement))                                  \
                                 .arg(long(expectedNumber))                                        \
                                 .arg(kvCaught_)                                                   \
                                 .arg(kvText_)));                                                  \
    } while (false)

namespace kvtest {

// One summary row as stored, read through a fresh snapshot ("<none>" when there is no such row).
inline QString storedSummary(DataKit::Database &db, const QString &id)
{
    auto rs = db.OpenRecordset(
        QStringLiteral("Select cId, cText, chelp, cCode From GL_bDigest Where cId='%1'").arg(id),
        DataKit::dbOpenSnapshot);
    if (rs->isEOF())
        return QStringLiteral("<none>");
    QStringList parts;
    for (int i = 0; i < 4; ++i) {
        const QVariant v = rs->Fields(i);
        parts.append(v.isNull() ? QStringLiteral("<null>") : v.toString());
    }
    return parts.join(QLatin1Char('|'));
}

inline long countRows(DataKit::Database &db, const QString &table)
{
    auto rs = db.OpenRecordset(QStringLiteral("Select count(*) From %1").arg(table),
                               DataKit::dbOpenSnapshot);
    return rs->Fields(0).toLongLong();
}

inline QString currentId(DataKit::Recordset &rs)
{
    return rs.Fields(QStringLiteral("cID")).toString();
}

} // namespace kvtest
