#pragma once

#include <QString>
#include <memory>

namespace DataKit {
class Database;
}

namespace kvtest {

// The other user: a second connection to the current test database. It can hold one summary
// (PostgreSQL locks the row; SQLite, which has no row locks, holds the database's write lock) or
// the whole summary table exclusively; whatever it holds is let go by release() or on destruction,
// so a failing test cannot leave the next one blocked.
class OtherUser
{
public:
    OtherUser();
    ~OtherUser();

    OtherUser(const OtherUser &) = delete;
    OtherUser &operator=(const OtherUser &) = delete;

    DataKit::Database &operator*() const { return *m_db; }
    DataKit::Database *operator->() const { return m_db.get(); }

    void holdRow(const QString &code);
    void holdTable();
    // Rolls back what is held; a connection that dropped has let go already.
    void release();
    bool holding() const { return m_holding; }

private:
    void hold(const QString &postgresLock, const QString &sqliteBegin);

    std::shared_ptr<DataKit::Database> m_db;
    bool m_holding = false;
};

} // namespace kvtest
