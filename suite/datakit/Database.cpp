#include "Database.h"

#include "Connection.h"
#include "DatabaseAccess.h"
#include "Engine.h"
#include "KitLog.h"
#include "KitText.h"
#include "RecordsetImpl.h"
#include "SqlText.h"

namespace DataKit {

namespace {

Error noDatabase()
{
    return Error(errNoDatabase, kitDescription(errNoDatabase));
}

} // namespace

Connection &detail::DatabaseAccess::connection(Database &database)
{
    if (!database.isOpen())
        throw noDatabase();
    return *database.m_connection;
}

std::shared_ptr<Database> Database::open(const QString &target, bool createIfMissing)
{
    return std::shared_ptr<Database>(
        new Database(Connection::open(target, createIfMissing), target));
}

Database::Database(std::unique_ptr<Connection> connection, QString target)
    : m_connection(std::move(connection))
    , m_target(std::move(target))
{
}

Database::~Database()
{
    Close();
}

std::shared_ptr<Recordset> Database::OpenRecordset(const QString &sql, int type)
{
    if (!isOpen())
        throw noDatabase();
    if (type != dbOpenDynaset && type != dbOpenSnapshot)
        throw Error(
            3001,
            QStringLiteral("无效的参数：记录集类型 %1（只支持 2 动态集、4 快照）。").arg(type));
    auto recordset = std::make_shared<RecordsetImpl>(shared_from_this(), sql, type);
    recordset->open();
    return recordset;
}

long Database::Execute(const QString &sql)
{
    Connection &conn = detail::DatabaseAccess::connection(*this);
    const QString verb = detail::firstKeyword(sql);
    const long affected = conn.execute(sql);
    if (verb == QLatin1String("CREATE") || verb == QLatin1String("ALTER") ||
        verb == QLatin1String("DROP"))
        conn.forgetSchema();
    return affected;
}

void Database::BeginTrans()
{
    detail::DatabaseAccess::connection(*this).beginCaller();
}

void Database::CommitTrans()
{
    detail::DatabaseAccess::connection(*this).commitCaller();
}

void Database::Rollback()
{
    detail::DatabaseAccess::connection(*this).rollbackCaller();
}

void Database::Close()
{
    m_connection->close();
}

qint64 Database::ChangeCount(const QString &table)
{
    Connection &conn = detail::DatabaseAccess::connection(*this);
    return conn.engine().changeCount(conn, table);
}

bool Database::isOpen() const
{
    return m_connection->isOpen();
}

bool Database::isPostgres() const
{
    // The kit's two engines: SQLite files and PostgreSQL servers.
    return m_connection->engine().isServer();
}

QString Database::quoteIdentifier(const QString &name) const
{
    return m_connection->engine().quoteIdentifier(name);
}

const QString &Database::target() const
{
    return m_target;
}

Transaction::Transaction(Database &database)
    : m_database(database)
{
    m_database.BeginTrans();
}

Transaction::~Transaction()
{
    if (!m_open)
        return;
    try {
        m_database.Rollback();
    } catch (const Error &error) {
        // A closed database took the transaction with it.
        qCWarning(lcDataKit).noquote() << "transaction not rolled back:" << error.what();
    }
}

void Transaction::commit()
{
    if (!m_open)
        throw Error(errNoTransaction,
                    kitDescription(errNoTransaction, QStringLiteral("事务已经提交过。")));
    m_open = false;
    m_database.CommitTrans();
}

} // namespace DataKit
