#include "VoucherLedger.h"

#include "Database.h"
#include "HostSchema.h"
#include "Recordset.h"

namespace VoucherLedger {

namespace {

const QString kLines = QStringLiteral("GL_VoucherLine");

// Both engines read '' inside quotes as one quote (PostgreSQL sessions of the kit run with
// standard_conforming_strings on); an empty value is stored as Null.
QString literal(const QString &value)
{
    if (value.isEmpty())
        return QStringLiteral("NULL");
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

bool hasAccountColumn(DataKit::Database &db)
{
    try {
        db.OpenRecordset(QStringLiteral("SELECT cCode FROM %1 WHERE 1=0").arg(kLines),
                         DataKit::dbOpenSnapshot);
        return true;
    } catch (const DataKit::Error &error) {
        // Both engines refuse a column they do not know as they refuse any unknown name.
        if (error.number() != DataKit::errSyntax)
            throw;
        return false;
    }
}

QString text(const DataKit::FieldText &field)
{
    return QString::fromUtf8(field.bytes());
}

} // namespace

void prepare(DataKit::Database &db)
{
    if (HostSchema::missingTables(db).contains(kLines))
        throw DataKit::Error(DataKit::errGeneral,
                             QStringLiteral("账套中没有凭证分录表 %1，不能录入凭证。").arg(kLines));
    if (hasAccountColumn(db))
        return;
    try {
        db.Execute(QStringLiteral("ALTER TABLE %1 ADD COLUMN cCode VARCHAR(40)").arg(kLines));
    } catch (const DataKit::Error &) {
        // Another user's voucher screen may have added it meanwhile.
        if (!hasAccountColumn(db))
            throw;
    }
}

QHash<QString, QString> chart(DataKit::Database &db)
{
    QHash<QString, QString> names;
    db.OpenRecordset(QStringLiteral("SELECT cCode, cCode_Name FROM Code"), DataKit::dbOpenSnapshot)
        ->ReadAll([&names](const DataKit::FieldText *fields) {
            names.insert(text(fields[0]), text(fields[1]));
        });
    return names;
}

int save(DataKit::Database &db, const QList<Line> &lines)
{
    // SQLite takes its write lock here, so no other voucher takes the number meanwhile; on
    // PostgreSQL the key refuses the second of two vouchers saved at once.
    DataKit::Transaction transaction(db);
    const int voucher = db.OpenRecordset(QStringLiteral("SELECT MAX(iVoucher) FROM %1").arg(kLines),
                                         DataKit::dbOpenSnapshot)
                            ->Fields(0)
                            .toInt() +
                        1;
    int number = 0;
    for (const Line &line : lines)
        // One pass of arg(): a typed %1 stays text.
        db.Execute(QStringLiteral("INSERT INTO %1 (iVoucher, iLine, cDigestId, cSummary, cCode) "
                                  "VALUES (%2, %3, %4, %5, %6)")
                       .arg(kLines, QString::number(voucher), QString::number(++number),
                            literal(line.digestId), literal(line.summary),
                            literal(line.accountCode)));
    transaction.commit();
    return voucher;
}

} // namespace VoucherLedger
