// Opening a connection, and opening it again after it was lost.
#include "Connection.h"

#include "Engine.h"
#include "KitText.h"

namespace DataKit {

std::unique_ptr<Connection> Connection::open(const QString &target, bool createIfMissing)
{
    std::unique_ptr<Connection> conn(new Connection(Engine::forTarget(target, createIfMissing)));
    conn->m_engine->open();
    conn->m_open = true;
    return conn;
}

void Connection::ensureConnected()
{
    if (!m_open)
        throw Error(errNoDatabase, kitDescription(errNoDatabase));
    if (m_lost) {
        reconnect();
        return;
    }
    try {
        m_engine->checkStillThere();
    } catch (const Error &) {
        markLost();
        throw;
    }
}

void Connection::reconnect()
{
    m_engine->close();
    m_engine->checkReopenable();
    try {
        m_engine->open();
    } catch (const Error &error) {
        raiseLost(error.detail());
    }
    m_tables.clear();
    m_lost = false;
}

void Connection::markLost() noexcept
{
    m_lost = true;
    // Whatever the server held for this session (the Edit's transaction and lock) is gone.
    m_inTransaction = false;
    m_tables.clear();
}

void Connection::raiseLost(const QString &detail)
{
    throw Error(errConnectionLost, kitDescription(errConnectionLost), detail);
}

} // namespace DataKit
