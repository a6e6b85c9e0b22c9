#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <utility>
#include <vector>

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
// The parameters as the arrays libpq's calls take, each ending in nullptr.
struct PostgresParamArrays
{
    std::vector<QByteArray> texts;
    std::vector<const char *> keys;
    std::vector<const char *> values;

    explicit PostgresParamArrays(const PostgresParams &params);
};
// Sends the server's notices on this link to the kit's log rather than to standard error.
void routePostgresNotices(pg_conn *conn);

// Why the server could not be opened, as the kit's Error: told by the server's SQLSTATE when it
// answered, by libpq's reach of the server when it did not. `shown` names the server without its
// password; `engineText` is libpq's message, kept as the detail.
Error postgresOpenFailure(const PostgresParams &params, const QString &shown,
                          const QString &engineText);

} // namespace DataKit
