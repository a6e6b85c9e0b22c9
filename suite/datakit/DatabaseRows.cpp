// Many rows of one table at once: the stored ones locked and read, changed, or new ones added, a
// few exchanges with the database a step whatever the number of rows. The rows to find or change
// reach the database through a temporary table of the session's, filled the engine's quickest way.
#include "Database.h"

#include "DatabaseAccess.h"
#include "Engine.h"
#include "KitText.h"

namespace DataKit {

namespace {

// The temporary table the rows pass through; made and dropped inside the caller's transaction.
const QString kPassing = QStringLiteral("kv_rows");

// A table's columns as a statement names them, checked against what the kit knows of the table.
struct RowsTable
{
    Connection &conn;
    QString table;
    std::shared_ptr<const TableInfo> info;
    QList<int> columns; // places in info->columns
    QStringList names;  // as the engine spells them, quoted as it needs

    RowsTable(Database &database, const QString &name, const QStringList &asked)
        : conn(detail::DatabaseAccess::connection(database))
        , table(name)
        , info(conn.tableInfo(name, false))
    {
        if (!conn.inTransaction())
            throw Error(errNoTransaction,
                        kitDescription(errNoTransaction, QStringLiteral("成批读写需要事务。")));
        for (const QString &column : asked) {
            const int place = info->columnIndex(column);
            if (place < 0)
                throw Error(3265, QStringLiteral("在此集合中找不到项目“%1”。").arg(column));
            columns.append(place);
            names.append(conn.engine().quoteIdentifier(info->columns.at(place)));
        }
        if (info->keyColumns.size() != 1 || columns.isEmpty() ||
            info->columns.at(columns.first()) != info->keyColumns.first())
            throw Error(
                errNotUpdatable,
                kitDescription(errNotUpdatable, QStringLiteral("表 %1 的主键不是单独的一列，或不是"
                                                               "给出的第一列。")
                                                    .arg(name)));
    }

    void checkLengths(const QList<QVariantList> &rows) const
    {
        for (const QVariantList &row : rows) {
            for (qsizetype i = 0; i < row.size() && i < columns.size(); ++i) {
                if (const std::optional<Error> error = info->tooLong(columns.at(i), row.at(i)))
                    throw *error;
            }
        }
    }

    // The rows in the passing table, which has the first n of the columns.
    void pass(qsizetype n, const QList<QVariantList> &rows)
    {
        QList<BatchStatement> create(1);
        create[0].sql = QStringLiteral("CREATE TEMPORARY TABLE %1 AS SELECT %2 FROM %3 WHERE 1 = 0")
                            .arg(kPassing, names.mid(0, n).join(QStringLiteral(", ")), table);
        conn.transact(create, false);
        conn.copyRows(kPassing, names.mid(0, n), rows);
    }

    // A statement over the passing table, sent with the passing table's drop.
    long over(const QString &sql, const RowSink *rows = nullptr)
    {
        QList<BatchStatement> statements(2);
        statements[0].sql = sql;
        statements[0].rows = rows;
        statements[1].sql = QStringLiteral("DROP TABLE ") + kPassing;
        conn.transact(statements, false);
        return statements.first().affected;
    }

    QString passing(int i) const { return kPassing + QLatin1Char('.') + names.at(i); }
};

} // namespace

void Database::LockRows(const QString &table, const QStringList &columns, const QVariantList &keys,
                        const std::function<void(const QVariantList &values)> &row)
{
    RowsTable t(*this, table, columns);
    if (keys.isEmpty())
        return;
    QList<QVariantList> keyRows;
    keyRows.reserve(keys.size());
    for (const QVariant &key : keys)
        keyRows.append(QVariantList{key});
    t.pass(1, keyRows);
    QStringList list;
    for (const QString &name : std::as_const(t.names))
        list.append(QStringLiteral("kv_base.") + name);
    const RowSink sink{{}, [&](const FieldText *fields, const CellKind *kinds) {
                           QVariantList values;
                           values.reserve(list.size());
                           for (qsizetype i = 0; i < list.size(); ++i)
                               values.append(cellValue(fields[i], kinds[i]));
                           row(values);
                       }};
    t.over(QStringLiteral("SELECT %1 FROM %2 kv_base JOIN %3 ON kv_base.%4 = %5")
                   .arg(list.join(QStringLiteral(", ")), table, kPassing, t.names.first(),
                        t.passing(0)) +
               t.conn.engine().rowLockClause(QStringLiteral("kv_base")),
           &sink);
}

long Database::UpdateRows(const QString &table, const QStringList &columns,
                          const QList<QVariantList> &rows)
{
    RowsTable t(*this, table, columns);
    if (rows.isEmpty())
        return 0;
    t.checkLengths(rows);
    t.pass(t.names.size(), rows);
    QStringList set;
    for (int i = 1; i < t.names.size(); ++i)
        set.append(t.names.at(i) + QStringLiteral(" = ") + t.passing(i));
    return t.over(
        QStringLiteral("UPDATE %1 SET %2 FROM %3 WHERE %1.%4 = %5")
            .arg(table, set.join(QStringLiteral(", ")), kPassing, t.names.first(), t.passing(0)));
}

long Database::InsertRows(const QString &table, const QStringList &columns,
                          const QList<QVariantList> &rows)
{
    RowsTable t(*this, table, columns);
    if (rows.isEmpty())
        return 0;
    t.checkLengths(rows);
    return t.conn.copyRows(table, t.names, rows);
}

} // namespace DataKit
