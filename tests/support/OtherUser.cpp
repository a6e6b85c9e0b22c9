#include "OtherUser.h"

#include "Database.h"
#include "TestDatabase.h"

namespace kvtest {

OtherUser::OtherUser()
    : m_db(anotherConnection())
{
}

OtherUser::~OtherUser()
{
    release();
}

void OtherUser::holdRow(const QString &code)
{
    hold(QStringLiteral("SELECT cId FROM GL_bDigest WHERE cId = '%1' FOR UPDATE").arg(code),
         QStringLiteral("BEGIN IMMEDIATE"));
}

void OtherUser::holdTable()
{
    hold(QStringLiteral("LOCK TABLE GL_bDigest IN ACCESS EXCLUSIVE MODE"),
         QStringLiteral("BEGIN EXCLUSIVE"));
}

// PostgreSQL takes the lock inside a transaction; on SQLite the kind of transaction is the lock.
void OtherUser::hold(const QString &postgresLock, const QString &sqliteBegin)
{
    m_db->Execute(m_db->isPostgres() ? QStringLiteral("BEGIN") : sqliteBegin);
    m_holding = true;
    if (m_db->isPostgres())
        m_db->Execute(postgresLock);
}

void OtherUser::release()
{
    if (!m_holding)
        return;
    m_holding = false;
    try {
        m_db->Execute(QStringLiteral("ROLLBACK"));
    } catch (const DataKit::Error &) {
        // The connection dropped, and what it held with it.
    }
}

} // namespace kvtest
