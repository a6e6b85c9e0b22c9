// PostgreSQL's statements through libpq, values bound by the server: one round trip each, or
// several in one through libpq's pipeline; rows taken one at a time as they arrive.
#include "PostgresEngine.h"

#include <QScopeGuard>
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

// Hands a query's columns (once, from its first result) and rows to a sink, result by result:
// one row a result in single-row mode, all of them in one otherwise.
class Delivery
{
public:
    explicit Delivery(const RowSink &sink)
        : m_sink(sink)
    {
    }

    void take(const PGresult *result)
    {
        const int n = PQnfields(result);
        if (!m_described) {
            m_described = true;
            m_fields.resize(n);
            m_kinds.resize(n);
            QStringList names;
            for (int i = 0; i < n; ++i) {
                m_kinds[i] = kindOf(PQftype(result, i));
                if (m_sink.columns)
                    names.append(QString::fromUtf8(PQfname(result, i)));
            }
            if (m_sink.columns)
                m_sink.columns(names);
        }
        if (!m_sink.row)
            return;
        for (int r = 0, rows = PQntuples(result); r < rows; ++r) {
            for (int i = 0; i < n; ++i) {
                m_fields[i] = PQgetisnull(result, r, i)
                                  ? FieldText()
                                  : FieldText{PQgetvalue(result, r, i), PQgetlength(result, r, i)};
            }
            m_sink.row(m_fields.constData(), m_kinds.constData());
        }
    }

private:
    const RowSink &m_sink;
    bool m_described = false;
    QVarLengthArray<FieldText, 8> m_fields;
    QVarLengthArray<CellKind, 8> m_kinds;
};

bool succeeded(ExecStatusType status)
{
    return status == PGRES_SINGLE_TUPLE || status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK;
}

} // namespace

EngineFailure PostgresEngine::failureOf(const PGresult *result) const
{
    const char *state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    return EngineFailure{
        QString::fromLatin1(state),
        QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(m_conn))
            .trimmed()};
}

void PostgresEngine::clearResults()
{
    while (PGresult *rest = PQgetResult(m_conn))
        PQclear(rest);
}

Failure PostgresEngine::read(const QString &sql, const QVariantList &binds, const RowSink &sink)
{
    clearResults();
    ++m_roundTrips;
    const QByteArray text = sql.toUtf8();
    const BoundValues bound(binds);
    if (!PQsendQueryParams(m_conn, text.constData(), int(bound.values.size()), nullptr,
                           bound.values.constData(), bound.lengths.constData(),
                           bound.formats.constData(), 0))
        return failureOf(nullptr);
    PQsetSingleRowMode(m_conn);
    Results results{m_conn};
    Delivery delivery(sink);
    while ((results.result = PQgetResult(m_conn))) {
        const ExecStatusType status = PQresultStatus(results.result);
        if (!succeeded(status))
            return failureOf(results.result);
        if (status != PGRES_COMMAND_OK)
            delivery.take(results.result);
        PQclear(results.result);
        results.result = nullptr;
    }
    return std::nullopt;
}

Failure PostgresEngine::write(const QString &sql, const QVariantList &binds, long *affected)
{
    clearResults();
    ++m_roundTrips;
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
        return failureOf(results.result);
    *affected = atol(PQcmdTuples(results.result));
    return std::nullopt;
}

// libpq's pipeline: every statement sent, then one synchronisation point, then the results read in
// order. After a failure the server skips the rest up to the synchronisation point
// (PGRES_PIPELINE_ABORTED); a transaction the statements were in is then left aborted, for the
// connection above to roll back as after any failure.
Failure PostgresEngine::batch(QList<BatchStatement> &statements, qsizetype *failedAt)
{
    if (statements.size() < 2)
        return Engine::batch(statements, failedAt);
    clearResults();
    if (!PQenterPipelineMode(m_conn))
        return Engine::batch(statements, failedAt);
    ++m_roundTrips;
    Failure first;
    qsizetype sent = 0;
    for (const BatchStatement &s : std::as_const(statements)) {
        const QByteArray text = s.sql.toUtf8();
        const BoundValues bound(s.binds);
        if (!PQsendQueryParams(m_conn, text.constData(), int(bound.values.size()), nullptr,
                               bound.values.constData(), bound.lengths.constData(),
                               bound.formats.constData(), 0)) {
            first = failureOf(nullptr);
            *failedAt = sent;
            break;
        }
        ++sent;
    }
    PQpipelineSync(m_conn);
    // Every result is taken, up to the synchronisation point's own, however the reading ends (a
    // row handler may throw); a link that broke meanwhile answers nothing more.
    const auto rest = qScopeGuard([this] {
        for (int nothing = 0; nothing < 2;) {
            PGresult *result = PQgetResult(m_conn);
            nothing = result ? 0 : nothing + 1;
            const bool sync = PQresultStatus(result) == PGRES_PIPELINE_SYNC;
            PQclear(result);
            if (sync)
                break;
        }
        PQexitPipelineMode(m_conn);
    });
    for (qsizetype i = 0; i < sent; ++i) {
        BatchStatement &s = statements[i];
        std::optional<Delivery> delivery;
        if (s.rows) {
            PQsetSingleRowMode(m_conn);
            delivery.emplace(*s.rows);
        }
        while (PGresult *taken = PQgetResult(m_conn)) {
            const std::unique_ptr<PGresult, decltype(&PQclear)> result(taken, PQclear);
            const ExecStatusType status = PQresultStatus(taken);
            if (status == PGRES_COMMAND_OK) {
                s.affected = atol(PQcmdTuples(taken));
            } else if (succeeded(status)) {
                if (delivery)
                    delivery->take(taken);
            } else if (status != PGRES_PIPELINE_ABORTED && !first) {
                first = failureOf(taken);
                *failedAt = i;
            }
        }
    }
    return first;
}

} // namespace DataKit
