// Opening a connection, keeping its session settings, and opening it again after it was lost.
#include "Connection.h"

#include "KitText.h"
#include "PostgresSession.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlError>
#include <QUrl>

#include <sys/stat.h>

namespace DataKit {

namespace {

QAtomicInt g_connectionSerial;

QString nextConnectionName()
{
    return QStringLiteral("kvdatakit-%1").arg(g_connectionSerial.fetchAndAddRelaxed(1) + 1);
}

Error cannotOpen(const QString &target, const QString &reason, const QString &detail = QString())
{
    return Error(errCannotOpen, cannotOpenDescription(target, reason), detail);
}

// The server's address as users see it: without its password.
QString shownServer(const QString &url)
{
    return QUrl(url).toDisplayString(QUrl::RemovePassword);
}

} // namespace

std::unique_ptr<Connection> Connection::open(const QString &target, bool createIfMissing)
{
    if (target.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
        target.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive))
        return openPostgres(target);
    return openSqlite(target, createIfMissing);
}

std::unique_ptr<Connection> Connection::openSqlite(const QString &path, bool createIfMissing)
{
    if (path.isEmpty())
        throw cannotOpen(path, QStringLiteral("没有给出数据库文件名。"));
    const QFileInfo file(path);
    if (!file.exists() && !createIfMissing)
        throw cannotOpen(path, QStringLiteral("找不到该文件。"));
    if (file.exists() && !file.isFile())
        throw cannotOpen(path, QStringLiteral("它不是文件。"));

    // The absolute path: the file is found again there after the process changed its folder.
    std::unique_ptr<Connection> conn(
        new Connection(nextConnectionName(), false, file.absoluteFilePath()));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), conn->m_name);
        db.setDatabaseName(conn->m_target);
        // Qt's default busy wait is 5 s per statement: a frozen window. A short wait, then
        // 3260/3261.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=250"));
        if (!db.open())
            throw cannotOpen(path, QStringLiteral("文件不能打开或建立。"),
                             engineText(db.lastError()));
    }
    conn->m_open = true;
    conn->prepareSession();
    return conn;
}

std::unique_ptr<Connection> Connection::openPostgres(const QString &target)
{
    const QUrl url(target);
    const QString shown = shownServer(target);
    if (!url.isValid())
        throw cannotOpen(shown, QStringLiteral("地址无效（应为 postgresql://[user@][host][:port]"
                                               "[/dbname][?service=name]）。"));
    std::unique_ptr<Connection> conn(new Connection(nextConnectionName(), true, target));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), conn->m_name);
        const PostgresParams params = postgresParams(url);
        applyPostgresParams(db, params);
        if (!db.open())
            throw postgresOpenFailure(params, shown, engineText(db.lastError()));
    }
    conn->m_open = true;
    conn->prepareSession();
    return conn;
}

void Connection::prepareSession()
{
    QSqlQuery q(database());
    if (m_postgres) {
        routePostgresNotices(database());
        requireSafeSession();
        // A table another session holds in ACCESS EXCLUSIVE mode makes a read wait this long,
        // then fail with 55P03 (3261); a locked row makes a write fail the same way (3260).
        if (!q.exec(QStringLiteral("SET lock_timeout = '1500ms'")))
            raise(q.lastError(), Activity::Reading);
        // The server's notices (a DROP ... CASCADE) are not the users' business.
        q.exec(QStringLiteral("SET client_min_messages = warning"));
        return;
    }
    // Without it, deleting a summary that voucher lines use would silently succeed.
    if (!q.exec(QStringLiteral("PRAGMA foreign_keys=ON")))
        raise(q.lastError(), Activity::Reading);
    // Reading the schema proves the file is an SQLite database. When another user holds it
    // exclusively right now the check cannot be made; the first recordset then reports 3261.
    if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        const Error error = mapError(q.lastError(), false, Activity::Reading);
        if (error.number() != errHeldExclusively)
            throw cannotOpen(m_target, QStringLiteral("它不是数据库文件或已经损坏。"),
                             error.detail());
    }
    q.finish();
    m_file = currentFileIdentity();
}

void Connection::requireSafeSession()
{
    // The session was opened asking for both; a server or a pooler in between that did not grant
    // them would let a backslash in a quoted value end its quotes. The driver's own escaping, set
    // when it opened, must agree too: it writes the bound values into its statements.
    QSqlQuery q(database());
    const bool safe =
        q.exec(QStringLiteral(
            "SELECT current_setting('standard_conforming_strings'), "
            "pg_encoding_to_char(pg_char_to_encoding(current_setting('client_encoding')))")) &&
        q.next() && q.value(0).toString() == QLatin1String("on") &&
        q.value(1).toString() == QLatin1String("UTF8") &&
        literal(QStringLiteral("\\")) == QLatin1String("'\\'");
    if (safe)
        return;
    const QString detail =
        q.lastError().isValid()
            ? engineText(q.lastError())
            : QStringLiteral("standard_conforming_strings=%1, client_encoding=%2")
                  .arg(q.value(0).toString(), q.value(1).toString());
    throw cannotOpen(
        shownServer(m_target),
        QStringLiteral("数据库服务器不接受安全的会话设置（standard_conforming_strings=on、"
                       "client_encoding=UTF8），为防止输入的值被当作 SQL "
                       "执行，没有使用这个连接。"),
        detail);
}

Connection::FileIdentity Connection::currentFileIdentity() const
{
    FileIdentity identity;
    struct stat info;
    if (::stat(QFile::encodeName(m_target).constData(), &info) == 0) {
        identity.known = true;
        identity.device = info.st_dev;
        identity.inode = info.st_ino;
    }
    return identity;
}

void Connection::ensureConnected()
{
    if (!m_open)
        throw Error(errNoDatabase, kitDescription(errNoDatabase));
    if (m_lost) {
        reconnect();
        return;
    }
    // An open SQLite handle goes on reading and writing a file that was removed or replaced:
    // what it wrote would be lost without a word. That counts as a lost connection.
    if (!m_postgres && !(currentFileIdentity() == m_file)) {
        markLost();
        throw Error(errConnectionLost,
                    kitDescription(errConnectionLost,
                                   QStringLiteral("数据库文件“%1”已被移走或替换。").arg(m_target)));
    }
}

void Connection::reconnect()
{
    QSqlDatabase db = database();
    db.close();
    // SQLite would make a new, empty file where the database was.
    if (!m_postgres && !QFileInfo::exists(m_target))
        throw Error(errConnectionLost,
                    kitDescription(errConnectionLost,
                                   QStringLiteral("找不到数据库文件“%1”。").arg(m_target)));
    if (!db.open())
        raiseLost(engineText(db.lastError()));
    m_tables.clear();
    prepareSession();
    m_lost = false;
}

bool Connection::lostBy(const QSqlError &error) const
{
    if (!m_postgres)
        return false;
    // The server says so (its SQLSTATE), or the driver has closed the link after a failure whose
    // cause it could not read.
    return mapError(error, true, Activity::Reading).number() == errConnectionLost ||
           !database().isOpen();
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
