#include "Database.h"

#include "Connection.h"
#include "KitText.h"
#include "RecordsetImpl.h"
#include "SqlText.h"

#include <QSqlQuery>

#include <algorithm>

namespace DataKit {

std::shared_ptr<Database> Database::open(const QString &target, bool createIfMissing)
{
    auto connection = Connection::open(target, createIfMissing);
    return std::make_shared<Database>(Token{}, std::move(connection), target);
}

Database::Database(Token, std::unique_ptr<Connection> connection, QString target)
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
        throw Error(errNoDatabase, kitDescription(errNoDatabase));
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
    if (!isOpen())
        throw Error(errNoDatabase, kitDescription(errNoDatabase));
    const QString verb = detail::firstKeyword(sql);
    const QSqlQuery q = m_connection->run(sql, {}, Activity::Writing);
    if (verb == QLatin1String("CREATE") || verb == QLatin1String("ALTER") ||
        verb == QLatin1String("DROP"))
        m_connection->forgetSchema();
    // SQLite's count would be the last change's, whatever statement ran since.
    return q.isSelect() ? 0 : std::max(q.numRowsAffected(), 0);
}

void Database::BeginTrans()
{
    if (!isOpen())
        throw Error(errNoDatabase, kitDescription(errNoDatabase));
    m_connection->begin();
}

void Database::CommitTrans()
{
    if (!isOpen())
        throw Error(errNoDatabase, kitDescription(errNoDatabase));
    m_connection->commit();
}

void Database::Rollback()
{
    if (m_connection)
        m_connection->rollback();
}

void Database::Close()
{
    if (m_connection)
        m_connection->close();
}

bool Database::isOpen() const
{
    return m_connection && m_connection->isOpen();
}

bool Database::isPostgres() const
{
    return m_connection && m_connection->isPostgres();
}

const QString &Database::target() const
{
    return m_target;
}

Connection &Database::connection()
{
    if (!m_connection)
        throw Error(errNoDatabase, kitDescription(errNoDatabase));
    return *m_connection;
}

} // namespace DataKit
