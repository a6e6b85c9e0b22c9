// SQLite through its own C library: the file, its session's settings and its statements.
#include "SqliteEngine.h"

#include "ErrorMapping.h"
#include "KitText.h"
#include "SqlText.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QVarLengthArray>

#include <sqlite3.h>
#include <sys/stat.h>

namespace DataKit {

namespace {

struct Statement
{
    sqlite3_stmt *statement = nullptr;
    ~Statement() { sqlite3_finalize(statement); }
};

int bind(sqlite3_stmt *statement, int place, const QVariant &value)
{
    if (value.isNull())
        return sqlite3_bind_null(statement, place);
    switch (value.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return sqlite3_bind_int64(statement, place, value.toLongLong());
    case QMetaType::Double:
        return sqlite3_bind_double(statement, place, value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return sqlite3_bind_blob(statement, place, bytes.constData(), int(bytes.size()),
                                 SQLITE_TRANSIENT);
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        return sqlite3_bind_text(statement, place, text.constData(), int(text.size()),
                                 SQLITE_TRANSIENT);
    }
    }
}

} // namespace

SqliteEngine::SqliteEngine(QString path)
    : m_path(std::move(path))
{
}

void SqliteEngine::open()
{
    // A connection is used by one thread at a time (the picker reads on a connection of its
    // own): without the connection's mutex, every column read of a million rows is not locked.
    if (sqlite3_open_v2(QFile::encodeName(m_path).constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        const QString detail = m_db ? lastError().text : QString();
        close();
        throw Error(errCannotOpen,
                    cannotOpenDescription(m_path, QStringLiteral("文件不能打开或建立。")), detail);
    }
    // A long busy wait is a frozen window: a short one, then 3260/3261.
    sqlite3_busy_timeout(m_db, 250);
    long affected = 0;
    // Without it, deleting a summary that voucher lines use would silently succeed.
    if (const Failure failure = write(QStringLiteral("PRAGMA foreign_keys=ON"), {}, &affected))
        throw mapError(*failure, Activity::Reading);
    // Reading the schema proves the file is an SQLite database. When another user holds it
    // exclusively right now the check cannot be made; the first recordset then reports 3261.
    if (const Failure failure =
            read(QStringLiteral("SELECT count(*) FROM sqlite_master"), {}, RowSink{{}, {}})) {
        const Error error = mapError(*failure, Activity::Reading);
        if (error.number() != errHeldExclusively)
            throw Error(
                errCannotOpen,
                cannotOpenDescription(m_path, QStringLiteral("它不是数据库文件或已经损坏。")),
                error.detail());
    }
    m_file = currentFileIdentity();
}

void SqliteEngine::close() noexcept
{
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

SqliteEngine::FileIdentity SqliteEngine::currentFileIdentity() const
{
    FileIdentity identity;
    struct stat info;
    if (::stat(QFile::encodeName(m_path).constData(), &info) == 0) {
        identity.known = true;
        identity.device = info.st_dev;
        identity.inode = info.st_ino;
    }
    return identity;
}

// An open SQLite handle goes on reading and writing a file that was removed or replaced: what it
// wrote would be lost without a word. That counts as a lost connection.
void SqliteEngine::checkStillThere() const
{
    if (!(currentFileIdentity() == m_file))
        throw Error(errConnectionLost,
                    kitDescription(errConnectionLost,
                                   QStringLiteral("数据库文件“%1”已被移走或替换。").arg(m_path)));
}

// SQLite would make a new, empty file where the database was.
void SqliteEngine::checkReopenable() const
{
    if (!QFileInfo::exists(m_path))
        throw Error(errConnectionLost,
                    kitDescription(errConnectionLost,
                                   QStringLiteral("找不到数据库文件“%1”。").arg(m_path)));
}

// Numbered, so that a value's place does not depend on where the kit puts its condition.
QString SqliteEngine::placeholder(int n) const
{
    return QStringLiteral("?%1").arg(n);
}

QString SqliteEngine::quoteIdentifier(const QString &name) const
{
    return detail::quoteIdentifier(name, false);
}

// The file's change counter as this connection sees it: it moves with every commit of another
// connection, whatever table it wrote.
qint64 SqliteEngine::changeCount(Connection &conn, const QString &) const
{
    const Rows rows = conn.select(QStringLiteral("PRAGMA data_version"), {}, Activity::Reading);
    return rows.rows.isEmpty() ? 0 : rows.rows.front().at(0).toLongLong();
}

TableInfo SqliteEngine::readTableInfo(Connection &conn, const QString &table, bool) const
{
    TableInfo info;
    static const QRegularExpression sized(QStringLiteral("CHAR[A-Z ]*\\(\\s*(\\d+)\\s*\\)"),
                                          QRegularExpression::CaseInsensitiveOption);
    const Rows columns = conn.select(
        QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(catalogName(table, false))), {},
        Activity::Reading);
    QList<QPair<int, QString>> key;
    bool keyNullable = false;
    for (const auto &row : columns.rows) {
        const QString column = row.at(1).toString();
        const QString type = row.at(2).toString();
        info.columns.append(column);
        const auto m = sized.match(type);
        if (m.hasMatch())
            info.maxChars.insert(column.toLower(), m.captured(1).toInt());
        const int keyPosition = row.at(5).toInt();
        if (keyPosition > 0) {
            key.append({keyPosition, column});
            // Only an INTEGER key (the row's id) or one declared NOT NULL is never Null.
            keyNullable =
                keyNullable || (row.at(3).toInt() == 0 &&
                                type.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) != 0);
        }
    }
    std::sort(key.begin(), key.end());
    for (const auto &k : key)
        info.keyColumns.append(k.second);
    info.keyMayBeNull = keyNullable;
    return info;
}

EngineFailure SqliteEngine::lastError() const
{
    return {QString::number(sqlite3_extended_errcode(m_db)),
            QString::fromUtf8(sqlite3_errmsg(m_db))};
}

Failure SqliteEngine::read(const QString &sql, const QVariantList &binds, const RowSink &sink)
{
    bool changes = false;
    return run(sql, binds, sink, &changes);
}

Failure SqliteEngine::run(const QString &sql, const QVariantList &binds, const RowSink &sink,
                          bool *changes)
{
    const QByteArray text = sql.toUtf8();
    Statement query;
    if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &query.statement, nullptr) !=
        SQLITE_OK)
        return lastError();
    for (int i = 0; i < binds.size(); ++i) {
        if (bind(query.statement, i + 1, binds.at(i)) != SQLITE_OK)
            return lastError();
    }
    *changes = !sqlite3_stmt_readonly(query.statement);
    const int n = sqlite3_column_count(query.statement);
    if (sink.columns) {
        QStringList names;
        for (int i = 0; i < n; ++i)
            names.append(QString::fromUtf8(sqlite3_column_name(query.statement, i)));
        sink.columns(names);
    }
    QVarLengthArray<FieldText, 8> fields(n);
    QVarLengthArray<CellKind, 8> kinds(n);
    int rc;
    while ((rc = sqlite3_step(query.statement)) == SQLITE_ROW) {
        if (!sink.row)
            continue;
        for (int i = 0; i < n; ++i) {
            const int type = sqlite3_column_type(query.statement, i);
            if (type == SQLITE_NULL) {
                fields[i] = FieldText();
                continue;
            }
            // The blob's bytes as they are; every other value as SQLite writes it as text.
            const void *data = type == SQLITE_BLOB ? sqlite3_column_blob(query.statement, i)
                                                   : sqlite3_column_text(query.statement, i);
            fields[i] = FieldText{data ? static_cast<const char *>(data) : "",
                                  sqlite3_column_bytes(query.statement, i)};
            kinds[i] = type == SQLITE_INTEGER ? CellKind::Integer
                       : type == SQLITE_FLOAT ? CellKind::Real
                       : type == SQLITE_BLOB  ? CellKind::Bytes
                                              : CellKind::Text;
        }
        sink.row(fields.constData(), kinds.constData());
    }
    if (rc != SQLITE_DONE)
        return lastError();
    return std::nullopt;
}

Failure SqliteEngine::write(const QString &sql, const QVariantList &binds, long *affected)
{
    bool changes = false;
    if (const Failure failure = run(sql, binds, RowSink{{}, {}}, &changes))
        return failure;
    // SQLite's count would be the last change's, whatever statement ran since.
    *affected = changes ? sqlite3_changes(m_db) : 0;
    return std::nullopt;
}

Failure SqliteEngine::copyRows(const QString &table, const QStringList &columns,
                               const QList<QVariantList> &rows, long *affected)
{
    QStringList places;
    for (qsizetype i = 0; i < columns.size(); ++i)
        places.append(placeholder(int(i + 1)));
    const QByteArray sql =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(table, columns.join(QStringLiteral(", ")), places.join(QStringLiteral(", ")))
            .toUtf8();
    Statement insert;
    if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &insert.statement, nullptr) !=
        SQLITE_OK)
        return lastError();
    *affected = 0;
    for (const QVariantList &row : rows) {
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (bind(insert.statement, int(i + 1), row.at(i)) != SQLITE_OK)
                return lastError();
        }
        if (sqlite3_step(insert.statement) != SQLITE_DONE)
            return lastError();
        sqlite3_reset(insert.statement);
        ++*affected;
    }
    return std::nullopt;
}

Error SqliteEngine::mapError(const EngineFailure &error, Activity activity) const
{
    bool ok = false;
    const int extended = error.code.toInt(&ok);
    const long number = ok ? sqliteErrorNumber(extended, activity) : errGeneral;
    return Error(number, kitDescription(number), error.text);
}

} // namespace DataKit
