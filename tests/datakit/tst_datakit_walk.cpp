// The listing walked by its key against a plain re-query, on both engines: a long random sequence
// of moves, finds, counts, Requery with and without a filter and one-pass reads, with another user
// inserting, changing, renaming and deleting summaries between them. After every step the
// recordset must answer BOF, EOF, NoMatch and the current record's fields as the listing read anew
// (one pass through the query on the other connection) says they are at that moment; a count, and
// whether a recordset without a current record is empty, as the listing was when first asked after
// the last Requery or move. KVDIGEST_WALK_SEED replays a run; the seed is printed.
#include "DataKitTestUtil.h"

#include <QRandomGenerator>

#include <cstdio>
#include <optional>

namespace {

using Row = QStringList; // cId, cText, chelp, cCode, cCode_Name; Null as "(null)"
const QString kNull = QStringLiteral("(null)");
const QStringList kKeptCodes = {"01", "02", "03", "05"}; // voucher lines refer to them
const QStringList kFilters = {"", "cText like '%款%'", "GL_bDigest.cCode='6602' or cId > 'A03'"};
const QStringList kTexts = {"收到货款", "支付货款", "提取现金", "报销差旅费", "计提折旧"};
const QStringList kAccounts = {"'1001'", "'1002'", "'6602'", "'9999'", "NULL"};

QString cell(const QVariant &value)
{
    return value.isNull() ? kNull : value.toString();
}

class Walk
{
public:
    explicit Walk(quint32 seed)
        : m_random(seed)
        , m_db(kvtest::hostDatabase())
        , m_other(kvtest::anotherConnection())
    {
        for (int i = 0; i < 60; ++i)
            insert(QStringLiteral("A%1").arg(i, 2, 10, QLatin1Char('0')));
        m_rs = m_db->OpenRecordset(kListing, DataKit::dbOpenDynaset);
        m_place = Place::On;
        m_key = QStringLiteral("01");
    }

    // One step; false with `failure` set when the recordset disagreed with the re-query.
    bool step(int n)
    {
        if (m_random.bounded(100) < 35)
            otherUser();
        const int op = int(m_random.bounded(9));
        switch (op) {
        case 0:
        case 1:
            move(op == 0);
            break;
        case 2:
        case 3:
            toEnd(op == 2);
            break;
        case 4:
            find();
            break;
        case 5:
            requery(m_random.bounded(4) == 0);
            break;
        case 6:
            count();
            break;
        case 7:
            readAll();
            break;
        default:
            move(true);
        }
        if (!m_failure.isEmpty())
            m_failure = QStringLiteral("step %1: %2").arg(n).arg(m_failure);
        return m_failure.isEmpty();
    }

    QString m_failure;

private:
    enum class Place { BeforeFirst, On, AfterLast };

    // The listing under the filter in force (or without it), read anew in one plain query.
    QList<Row> reread(const QString &criterion = QString(), bool filtered = true)
    {
        QStringList conditions;
        if (filtered && !m_filter.isEmpty())
            conditions << QLatin1Char('(') + m_filter + QLatin1Char(')');
        if (!criterion.isEmpty())
            conditions << QLatin1Char('(') + criterion + QLatin1Char(')');
        const auto rs = m_other->OpenRecordset(
            conditions.isEmpty() ? kListing
                                 : filteredListing(conditions.join(QStringLiteral(" And "))),
            DataKit::dbOpenSnapshot);
        QList<Row> rows;
        rs->ReadAll([&rows](const DataKit::FieldText *fields) {
            Row row;
            for (int i = 0; i < 5; ++i)
                row << (fields[i].isNull() ? kNull : QString::fromUtf8(fields[i].bytes()));
            rows << row;
        });
        return rows;
    }

    void insert(const QString &code)
    {
        m_other->Execute(QStringLiteral("insert into GL_bDigest (cId, cText, chelp, cCode) values "
                                        "('%1', '%2', 'ZY', %3)")
                             .arg(code, kTexts[m_random.bounded(int(kTexts.size()))],
                                  kAccounts[m_random.bounded(int(kAccounts.size()))]));
    }

    void otherUser()
    {
        const QList<Row> rows = reread(QString(), false);
        const QString fresh =
            QStringLiteral("B%1").arg(m_random.bounded(1000), 3, 10, QLatin1Char('0'));
        const bool taken =
            std::any_of(rows.begin(), rows.end(), [&](const Row &r) { return r[0] == fresh; });
        if (rows.isEmpty()) {
            insert(fresh);
            return;
        }
        const QString id = rows[m_random.bounded(int(rows.size()))][0];
        const bool kept = kKeptCodes.contains(id);
        switch (m_random.bounded(4)) {
        case 0:
            if (!taken)
                insert(fresh);
            break;
        case 1:
            m_other->Execute(
                QStringLiteral("update GL_bDigest set cText='%1', cCode=%2 where cId='%3'")
                    .arg(kTexts[m_random.bounded(int(kTexts.size()))],
                         kAccounts[m_random.bounded(int(kAccounts.size()))], id));
            break;
        case 2:
            if (!taken && !kept)
                m_other->Execute(
                    QStringLiteral("update GL_bDigest set cId='%1' where cId='%2'").arg(fresh, id));
            break;
        default:
            if (!kept)
                m_other->Execute(QStringLiteral("delete from GL_bDigest where cId='%1'").arg(id));
        }
    }

    void expect(bool same, const QString &what)
    {
        if (!same && m_failure.isEmpty())
            m_failure = what;
    }

    // Whether the listing is empty, as it was when first asked since the last Requery or move.
    bool empty(const QList<Row> &rows)
    {
        if (!m_empty)
            m_empty = rows.isEmpty();
        return *m_empty;
    }

    // BOF, EOF and the current record as the re-query has them now.
    void check(const QString &after)
    {
        const QList<Row> rows = reread();
        const bool off = m_place != Place::On && empty(rows);
        const bool bof = m_place == Place::BeforeFirst || (m_place == Place::AfterLast && off);
        const bool eof = m_place == Place::AfterLast || (m_place == Place::BeforeFirst && off);
        expect(m_rs->isBOF() == bof && m_rs->isEOF() == eof,
               QStringLiteral("%1: BOF %2 EOF %3, expected %4 %5")
                   .arg(after)
                   .arg(m_rs->isBOF())
                   .arg(m_rs->isEOF())
                   .arg(bof)
                   .arg(eof));
        if (m_place != Place::On || !m_failure.isEmpty())
            return;
        const auto row =
            std::find_if(rows.begin(), rows.end(), [&](const Row &r) { return r[0] == m_key; });
        Row current;
        for (int i = 0; i < 5; ++i)
            current << cell(m_rs->Fields(i));
        expect(row != rows.end() && *row == current,
               QStringLiteral("%1: current record %2, expected %3")
                   .arg(after, current.join(QLatin1Char('|')),
                        row == rows.end() ? QStringLiteral("none") : row->join(QLatin1Char('|'))));
    }

    // No current record to move from in that direction: the kit's 3021, nothing moves.
    bool refused(const std::function<void()> &action)
    {
        try {
            action();
        } catch (const DataKit::Error &error) {
            expect(error.number() == DataKit::errNoCurrentRecord,
                   QStringLiteral("error %1").arg(error.number()));
            return true;
        }
        return false;
    }

    void move(bool forward)
    {
        const QList<Row> rows = reread();
        const bool stuck =
            (forward ? m_place == Place::AfterLast : m_place == Place::BeforeFirst) ||
            (m_place != Place::On && empty(rows));
        const bool threw = refused([&] { forward ? m_rs->MoveNext() : m_rs->MovePrevious(); });
        expect(threw == stuck, QStringLiteral("a move refused: %1").arg(threw));
        if (threw)
            return check(QStringLiteral("refused move"));
        // The next record in the direction: beyond the current key, or the first from that end.
        const Row *next = nullptr;
        for (const Row &row : rows) {
            const bool beyond = m_place != Place::On || (forward ? row[0] > m_key : row[0] < m_key);
            if (beyond && (!next || (forward ? row[0] < (*next)[0] : row[0] > (*next)[0])))
                next = &row;
        }
        if (next) {
            m_place = Place::On;
            m_key = (*next)[0];
        } else {
            m_place = forward ? Place::AfterLast : Place::BeforeFirst;
            m_empty.reset();
        }
        check(forward ? QStringLiteral("MoveNext") : QStringLiteral("MovePrevious"));
    }

    void toEnd(bool first)
    {
        const QList<Row> rows = reread();
        const bool threw = refused([&] { first ? m_rs->MoveFirst() : m_rs->MoveLast(); });
        expect(threw == rows.isEmpty(),
               QStringLiteral("MoveFirst/MoveLast refused: %1").arg(threw));
        if (!threw) {
            m_place = Place::On;
            m_key = first ? rows.first()[0] : rows.last()[0];
        } else {
            m_empty = true;
        }
        check(first ? QStringLiteral("MoveFirst") : QStringLiteral("MoveLast"));
    }

    void find()
    {
        const QList<Row> rows = reread();
        const QString code = rows.isEmpty() || m_random.bounded(4) == 0
                                 ? QStringLiteral("Z99")
                                 : rows[m_random.bounded(int(rows.size()))][0];
        const QStringList criteria = {
            QStringLiteral("cId='%1'").arg(code), QStringLiteral("cText like '%现%'"),
            QStringLiteral("cCode_Name='管理费用' and cId >= '%1'").arg(code)};
        const QString criterion = criteria[m_random.bounded(int(criteria.size()))];
        const QList<Row> matches = reread(criterion);
        m_rs->FindFirst(criterion);
        expect(m_rs->NoMatch() == matches.isEmpty(),
               QStringLiteral("NoMatch for %1").arg(criterion));
        // Without a match nothing moves: the current record is the one read before.
        if (!matches.isEmpty()) {
            m_place = Place::On;
            m_key = matches.first()[0];
            check(QStringLiteral("FindFirst ") + criterion);
        }
    }

    void requery(bool newFilter)
    {
        if (newFilter) {
            m_filter = kFilters[m_random.bounded(int(kFilters.size()))];
            m_rs->setFilter(m_filter);
        }
        m_rs->Requery(-1);
        m_count = -1;
        m_empty.reset();
        const QList<Row> rows = reread();
        if (m_place == Place::On &&
            std::none_of(rows.begin(), rows.end(), [&](const Row &r) { return r[0] == m_key; }))
            m_place = Place::AfterLast;
        check(QStringLiteral("Requery, filter \"%1\"").arg(m_filter));
    }

    // A count is taken when first asked for and kept until the next Requery.
    void count()
    {
        if (m_count < 0) {
            m_count = long(reread().size());
            if (m_place != Place::On)
                m_empty = m_count == 0;
        }
        expect(m_rs->RecordCount() == m_count,
               QStringLiteral("RecordCount %1, expected %2").arg(m_rs->RecordCount()).arg(m_count));
    }

    void readAll()
    {
        QList<Row> read;
        m_rs->ReadAll([&](const DataKit::FieldText *fields) {
            Row row;
            for (int i = 0; i < 5; ++i)
                row << (fields[i].isNull() ? kNull : QString::fromUtf8(fields[i].bytes()));
            read << row;
        });
        const QList<Row> rows = reread();
        expect(read == rows, QStringLiteral("ReadAll gave %1 rows, the re-query %2")
                                 .arg(read.size())
                                 .arg(rows.size()));
        m_place = Place::AfterLast;
        m_count = long(rows.size());
        m_empty = rows.isEmpty();
        check(QStringLiteral("ReadAll"));
    }

    QRandomGenerator m_random;
    std::shared_ptr<DataKit::Database> m_db, m_other;
    std::shared_ptr<DataKit::Recordset> m_rs;
    QString m_filter;
    Place m_place = Place::BeforeFirst;
    QString m_key;
    long m_count = -1;
    std::optional<bool> m_empty;
};

} // namespace

class TstDataKitWalk : public QObject
{
    Q_OBJECT

private slots:
    void walkAnswersAsARequery();
};

void TstDataKitWalk::walkAnswersAsARequery()
{
    const quint32 seed = kvtest::seedFromEnvironment("KVDIGEST_WALK_SEED", 20240612u);
    std::printf("walk seed %u\n", seed);
    Walk walk(seed);
    for (int n = 0; n < 600; ++n) {
        try {
            QVERIFY2(walk.step(n), qPrintable(walk.m_failure));
        } catch (const std::exception &error) {
            QFAIL(qPrintable(QStringLiteral("step %1: %2").arg(n).arg(error.what())));
        }
    }
}

KV_TEST_MAIN(TstDataKitWalk)
#include "tst_datakit_walk.moc"
