// PostgreSQL's statements through libpq, values bound by the server: one round trip each, rows
// taken one at a time as they arrive.
#include "PostgresEngine.h"

#include <QVarLengthArray>

#include <libpq-fe.h>

#include <cstdlib>

namespace DataKit {

namespace {

// The values of a statement as libpq takes them: text for every value but bytes, which go as they
// are; the server takes each value's type from where it is placed.
struct BoundValues
{
    QVarLengthArray<QByteArray, 4> texts;
    QVarLengthArray<const char *, 4> values;
    QVarLengthArray<int, 4> lengths;
    QVarLengthArray<int, 4> formats;

    explicit BoundValues(const QVariantList &binds)
        : texts(binds.size())
        , values(binds.size())
        , lengths(binds.size())
        , formats(binds.size())
    {
        for (qsizetype i = 0; i < binds.size(); ++i) {
            const QVariant &bind = binds.at(i);
            values[i] = nullptr;
            lengths[i] = formats[i] = 0;
            if (bind.isNull())
                continue;
            const bool bytes = bind.metaType().id() == QMetaType::QByteArray;
            texts[i] = bytes ? bind.toByteArray() : bind.toString().toUtf8();
            values[i] = texts[i].constData();
            lengths[i] = int(texts[i].size());
            formats[i] = bytes ? 1 : 0;
        }
    }
};

// The results of a statement sent to the server, all taken and cleared however the reading ends:
// the connection takes no other statement while any is left.
struct Results
{
    PGconn *connection;
    PGresult *result = nullptr;
    ~Results()
    {
        PQclear(result);
        while (PGresult *rest = PQgetResult(connection))
            PQclear(rest);
    }
};

EngineFailure failure(PGconn *conn, const PGresult *result)
{
    const char *state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    return EngineFailure{
        QString::fromLatin1(state),
        QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(conn)).trimmed()};
}

CellKind kindOf(Oid type)
{
    switch (type) {
    case 20: // int8
    case 21: // int2
    case 23: // int4
    case 26: // oid
        return CellKind::Integer;
    case 700:  // float4
    case 701:  // float8
    case 1700: // numeric
        return CellKind::Real;
    case 16: // bool
        return CellKind::Bool;
    default:
        return CellKind::Text;
    }
}

} // namespace

Failure PostgresEngine::read(const QString &sql, const QVariantList &binds, const RowSink &sink)
{
    // Whatever an earlier statement left unread would make the server refuse this one.
    while (PGresult *rest = PQgetResult(m_conn))
        PQclear(rest);
    const QByteArray text = sql.toUtf8();
    const BoundValues bound(binds);
    if (!PQsendQueryParams(m_conn, text.constData(), int(bound.values.size()), nullptr,
                           bound.values.constData(), bound.lengths.constData(),
                           bound.formats.constData(), 0))
        return failure(m_conn, nullptr);
    PQsetSingleRowMode(m_conn);
    Results results{m_conn};
    QVarLengthArray<FieldText, 8> fields;
    QVarLengthArray<CellKind, 8> kinds;
    bool described = false;
    while ((results.result = PQgetResult(m_conn))) {
        PGresult *result = results.result;
        const ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_SINGLE_TUPLE && status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK)
            return failure(m_conn, result);
        const int n = PQnfields(result);
        if (!described && status != PGRES_COMMAND_OK) {
            described = true;
            fields.resize(n);
            kinds.resize(n);
            QStringList names;
            for (int i = 0; i < n; ++i) {
                kinds[i] = kindOf(PQftype(result, i));
                if (sink.columns)
                    names.append(QString::fromUtf8(PQfname(result, i)));
            }
            if (sink.columns)
                sink.columns(names);
        }
        if (status == PGRES_SINGLE_TUPLE && sink.row) {
            for (int i = 0; i < n; ++i) {
                fields[i] = PQgetisnull(result, 0, i)
                                ? FieldText()
                                : FieldText{PQgetvalue(result, 0, i), PQgetlength(result, 0, i)};
            }
            sink.row(fields.constData(), kinds.constData());
        }
        PQclear(result);
        results.result = nullptr;
    }
    return std::nullopt;
}

Failure PostgresEngine::write(const QString &sql, const QVariantList &binds, long *affected)
{
    while (PGresult *rest = PQgetResult(m_conn))
        PQclear(rest);
    const QByteArray text = sql.toUtf8();
    Results results{m_conn};
    // Without values, a caller's script may hold several statements: the simple protocol takes
    // them, the extended one does not.
    if (binds.isEmpty()) {
        results.result = PQexec(m_conn, text.constData());
    } else {
        const BoundValues bound(binds);
        results.result = PQexecParams(m_conn, text.constData(), int(bound.values.size()), nullptr,
                                      bound.values.constData(), bound.lengths.constData(),
                                      bound.formats.constData(), 0);
    }
    const ExecStatusType status = PQresultStatus(results.result);
    if (status == PGRES_TUPLES_OK) {
        *affected = 0;
        return std::nullopt;
    }
    if (status != PGRES_COMMAND_OK)
        return failure(m_conn, results.result);
    *affected = atol(PQcmdTuples(results.result));
    return std::nullopt;
}

} // namespace DataKit
