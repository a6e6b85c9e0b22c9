// A PostgreSQL session's terms: the parameters it is opened with and where its notices go.
#include "PostgresSession.h"

#include "KitLog.h"

#include <QStringList>
#include <QUrl>
#include <QUrlQuery>

#include <libpq-fe.h>

namespace DataKit {

namespace {

void logNotice(void *, const char *message)
{
    qCWarning(lcDataKit).noquote() << QString::fromUtf8(message).trimmed();
}

} // namespace

PostgresParams postgresParams(const QUrl &url)
{
    PostgresParams params;
    // What the address leaves out is left to libpq's own ways: PGHOST, PGPORT, PGUSER,
    // PGDATABASE, PGPASSWORD, ~/.pgpass and the service file (PGSERVICE or ?service=).
    const auto add = [&params](const char *key, const QString &value) {
        if (!value.isEmpty())
            params.append({QString::fromLatin1(key), value});
    };
    add("host", url.host());
    if (url.port() != -1)
        add("port", QString::number(url.port()));
    add("user", url.userName(QUrl::FullyDecoded));
    add("password", url.password(QUrl::FullyDecoded));
    add("dbname", url.path(QUrl::FullyDecoded).mid(1));
    add("connect_timeout", QStringLiteral("5"));
    QString options;
    for (const auto &[key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (key == QLatin1String("options"))
            options = value + QLatin1Char(' ');
        else if (key != QLatin1String("client_encoding"))
            params.append({key, value});
    }
    // In the startup packet they hold from the first statement on; a database's or role's old
    // default cannot undo them. With a backslash read as an escape, a value quoted in a condition
    // could end its quotes early and the rest of it would run as SQL.
    params.append({QStringLiteral("client_encoding"), QStringLiteral("UTF8")});
    params.append({QStringLiteral("options"), options + "-c standard_conforming_strings=on"});
    return params;
}

PostgresParamArrays::PostgresParamArrays(const PostgresParams &params)
{
    for (const auto &[key, value] : params)
        texts.insert(texts.end(), {key.toUtf8(), value.toUtf8()});
    for (size_t i = 0; i < texts.size(); i += 2) {
        keys.push_back(texts[i].constData());
        values.push_back(texts[i + 1].constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
}

void routePostgresNotices(PGconn *conn)
{
    PQsetNoticeProcessor(conn, logNotice, nullptr);
}

} // namespace DataKit
