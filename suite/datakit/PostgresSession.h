#pragma once

#include <QList>
#include <QString>
#include <utility>

class QSqlDatabase;
class QUrl;
struct pg_conn;

namespace DataKit {

class Error;

// libpq's keyword/value pairs for one server, in order (a later pair wins over an earlier one).
using PostgresParams = QList<std::pair<QString, QString>>;

// A postgresql:// address as libpq's parameters: its parts, its query items, and the terms that
// make the session safe from its first statement (standard_conforming_strings on, the client
// encoding UTF-8), whatever the server, database or role would default to.
PostgresParams postgresParams(const QUrl &url);
// Hands the parameters to Qt's driver before it opens.
void applyPostgresParams(QSqlDatabase &db, const PostgresParams &params);
// Sends the server's notices on this link to the kit's log rather than to standard error.
void routePostgresNotices(const QSqlDatabase &db);
// The driver's libpq connection; nullptr when the driver gives none.
pg_conn *postgresHandle(const QSqlDatabase &db);

// Why the server could not be opened, as the kit's Error: told by the server's SQLSTATE when it
// answered, by libpq's reach of the server when it did not. `shown` names the server without its
// password; `engineText` is the driver's message, kept as the detail.
Error postgresOpenFailure(const PostgresParams &params, const QString &shown,
                          const QString &engineText);

} // namespace DataKit
