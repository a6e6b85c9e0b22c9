// PostgreSQL's COPY: many rows into a table as one stream of text, the server's quickest way in.
#include "PostgresEngine.h"

#include <libpq-fe.h>

#include <cstdlib>

namespace DataKit {

namespace {

// The rows are sent in pieces of about this many bytes.
constexpr qsizetype kPiece = 1 << 16;

// One value in COPY's text format: \N for Null, bytes in bytea's hex form, and behind a backslash
// the characters COPY would read as an escape, a column's end or a row's end.
void appendValue(QByteArray &text, const QVariant &value)
{
    if (value.isNull()) {
        text += "\\N";
        return;
    }
    if (value.metaType().id() == QMetaType::QByteArray) {
        text += "\\\\x" + value.toByteArray().toHex();
        return;
    }
    for (const char c : value.toString().toUtf8()) {
        switch (c) {
        case '\\':
            text += "\\\\";
            break;
        case '\t':
            text += "\\t";
            break;
        case '\n':
            text += "\\n";
            break;
        case '\r':
            text += "\\r";
            break;
        default:
            text += c;
        }
    }
}

} // namespace

Failure PostgresEngine::copyRows(const QString &table, const QStringList &columns,
                                 const QList<QVariantList> &rows, long *affected)
{
    clearResults();
    // One wait for the server to take the rows, one for its count of them.
    m_roundTrips += 2;
    const QByteArray sql = QStringLiteral("COPY %1 (%2) FROM STDIN")
                               .arg(table, columns.join(QStringLiteral(", ")))
                               .toUtf8();
    PGresult *start = PQexec(m_conn, sql.constData());
    if (PQresultStatus(start) != PGRES_COPY_IN) {
        const EngineFailure failure = failureOf(start);
        PQclear(start);
        clearResults();
        return failure;
    }
    PQclear(start);
    QByteArray text;
    bool sent = true;
    for (qsizetype r = 0; r < rows.size() && sent; ++r) {
        const QVariantList &row = rows.at(r);
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (i > 0)
                text += '\t';
            appendValue(text, row.at(i));
        }
        text += '\n';
        if (text.size() >= kPiece || r + 1 == rows.size()) {
            sent = PQputCopyData(m_conn, text.constData(), int(text.size())) == 1;
            text.clear();
        }
    }
    // A piece that could not be sent ends the COPY with nothing added.
    PQputCopyEnd(m_conn, sent ? nullptr : "kvdigest: the rows could not be sent");
    PGresult *end = PQgetResult(m_conn);
    const bool done = PQresultStatus(end) == PGRES_COMMAND_OK;
    const EngineFailure failure = failureOf(end);
    *affected = done ? atol(PQcmdTuples(end)) : 0;
    PQclear(end);
    clearResults();
    if (!done)
        return failure;
    return std::nullopt;
}

} // namespace DataKit
