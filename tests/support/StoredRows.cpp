#include "StoredRows.h"

#include "Database.h"
#include "Recordset.h"

namespace kvtest {

namespace {

QString literal(const QString &value)
{
    if (value.isEmpty())
        return QStringLiteral("NULL");
    return QLatin1Char('\'') + QString(value).replace(QLatin1Char('\''), QLatin1String("''")) +
           QLatin1Char('\'');
}

} // namespace

void insertSummaries(DataKit::Database &db, const QList<Summary> &summaries)
{
    for (const Summary &s : summaries)
        db.Execute(QStringLiteral("INSERT INTO GL_bDigest (cId, cText, chelp, cCode) VALUES "
                                  "('%1', %2, %3, %4)")
                       .arg(s.id, literal(s.text), literal(s.help), literal(s.account)));
}

QStringList storedSummary(DataKit::Database &db, const QString &id)
{
    const auto rs = db.OpenRecordset(
        QStringLiteral("Select cId, cText, chelp, cCode From GL_bDigest Where cId = %1")
            .arg(literal(id)),
        DataKit::dbOpenSnapshot);
    if (rs->isEOF())
        return {};
    QStringList fields;
    for (int i = 0; i < 4; ++i) {
        const QVariant value = rs->Fields(i);
        fields << (value.isNull() ? QStringLiteral("(null)") : value.toString());
    }
    return fields;
}

long storedCount(DataKit::Database &db)
{
    return db.OpenRecordset(QStringLiteral("Select cId From GL_bDigest"), DataKit::dbOpenSnapshot)
        ->RecordCount();
}

QStringList storedCodes(DataKit::Database &db)
{
    const auto rs = db.OpenRecordset(QStringLiteral("Select cId From GL_bDigest Order By cId"),
                                     DataKit::dbOpenSnapshot);
    QStringList codes;
    for (; !rs->isEOF(); rs->MoveNext())
        codes << rs->Fields(0).toString();
    return codes;
}

} // namespace kvtest
