// Walking a recordset by its base table's key: every move, find and Requery is one look through
// the key's index, whatever the size of the table.
#include "RecordsetImpl.h"

#include "Database.h"
#include "KitText.h"

#include <QSqlQuery>

namespace DataKit {

void RecordsetImpl::openWalking()
{
    Row first;
    if (walkFirst(walkConditions(), true, first)) {
        stand(first);
    } else {
        m_place = Place::BeforeFirst;
        m_emptiness = Emptiness::Empty;
        m_count = 0;
    }
}

// The first record in the recordset's order (forward) or the last (backward) of those meeting the
// conditions.
bool RecordsetImpl::walkFirst(const QStringList &conditions, bool forward, Row &row) const
{
    Connection &conn = connection();
    QSqlQuery q =
        conn.run(selectText(fullList(), false, conditions, forward ? m_order : m_reverseOrder,
                            QStringLiteral("LIMIT 1"), false),
                 {}, Activity::Reading);
    const_cast<RecordsetImpl *>(this)->takeFields(q.record());
    if (!conn.next(q))
        return false;
    row = readRow(q);
    return true;
}

void RecordsetImpl::stand(Row row) const
{
    m_place = Place::OnRecord;
    m_row = std::move(row);
    m_seek = m_reread = false;
    m_emptiness = Emptiness::NotEmpty;
}

QVariantList RecordsetImpl::currentKey() const
{
    return {m_row.at(m_fieldNames.size())};
}

// After a Requery the current record is sought again by its key, as the first question needs it:
// still there (and meeting the conditions), it is read as it is stored now; gone, there is no
// current record.
void RecordsetImpl::settle() const
{
    if (!m_seek)
        return;
    Row row;
    if (walkFirst(walkConditions() + keyConditions(currentKey()), true, row)) {
        stand(std::move(row));
        return;
    }
    m_place = Place::AfterLast;
    m_row.clear();
    m_seek = m_reread = false;
    m_emptiness = Emptiness::Unknown;
}

bool RecordsetImpl::isEmpty() const
{
    if (m_emptiness == Emptiness::Unknown) {
        Connection &conn = connection();
        QSqlQuery q = conn.run(countText(QStringLiteral("1")) + QStringLiteral(" LIMIT 1"), {},
                               Activity::Reading);
        m_emptiness = conn.next(q) ? Emptiness::NotEmpty : Emptiness::Empty;
    }
    return m_emptiness == Emptiness::Empty;
}

// The caller has made sure there is a record to move from (BOF or EOF is not the direction).
void RecordsetImpl::walkMove(bool forward)
{
    dropPending();
    QStringList conds = walkConditions();
    if (m_place == Place::OnRecord) {
        // Beyond the current record in the direction of the move, whether or not it is still
        // there: the rows are met as they are stored now.
        const bool greater = forward != m_descending;
        conds.append(qualifiedKey(0) + (greater ? QStringLiteral(" > ") : QStringLiteral(" < ")) +
                     connection().literal(currentKey().first()));
    }
    Row row;
    if (walkFirst(conds, forward, row)) {
        stand(std::move(row));
        return;
    }
    // Past the end. Whether anything is left is asked only when it matters: the record moved from
    // may have been deleted meanwhile.
    m_place = forward ? Place::AfterLast : Place::BeforeFirst;
    m_row.clear();
    m_emptiness = Emptiness::Unknown;
}

void RecordsetImpl::walkEnd(bool forward)
{
    Row row;
    if (!walkFirst(walkConditions(), forward, row)) {
        m_emptiness = Emptiness::Empty;
        throw Error(errNoCurrentRecord, kitDescription(errNoCurrentRecord));
    }
    dropPending();
    stand(std::move(row));
}

void RecordsetImpl::requeryWalking()
{
    const bool newFilter = m_filter != m_activeFilter;
    const QString previousFilter = m_activeFilter;
    const QVariantList previousWritten = m_written;
    const Place previousPlace = m_place;
    const Row previousRow = m_row;
    const bool previousSeek = m_seek;
    const bool previousReread = m_reread;
    const Emptiness previousEmptiness = m_emptiness;
    const long previousCount = m_count;

    m_activeFilter = m_filter;
    m_written.clear();
    m_count = -1;
    if (m_place == Place::OnRecord)
        m_seek = true;
    else
        m_emptiness = Emptiness::Unknown;
    if (!newFilter)
        return;
    // A new filter is tried at once: a condition the database refuses is refused here, and the
    // recordset stays as it was.
    try {
        settle();
        isEmpty();
    } catch (...) {
        m_activeFilter = previousFilter;
        m_written = previousWritten;
        m_place = previousPlace;
        m_row = previousRow;
        m_seek = previousSeek;
        m_reread = previousReread;
        m_emptiness = previousEmptiness;
        m_count = previousCount;
        throw;
    }
}

void RecordsetImpl::findWalking(const QString &criterion)
{
    QStringList conds = walkConditions();
    if (!criterion.isEmpty())
        conds.append(criterion);
    Row row;
    if (!walkFirst(conds, true, row))
        return;
    stand(std::move(row));
    m_noMatch = false;
}

long RecordsetImpl::countWalking() const
{
    if (m_count < 0) {
        Connection &conn = connection();
        QSqlQuery q = conn.run(countText(QStringLiteral("count(*)")), {}, Activity::Reading);
        m_count = conn.next(q) ? q.value(0).toLongLong() : 0;
        if (m_place != Place::OnRecord)
            m_emptiness = m_count == 0 ? Emptiness::Empty : Emptiness::NotEmpty;
    }
    return m_count;
}

// The current record's fields; after an Update they are read again, as the record is stored.
const RecordsetImpl::Row &RecordsetImpl::currentRow() const
{
    if (m_reread) {
        Row row;
        if (!readByKey(currentKey(), row))
            throw Error(errDeletedByOther, kitDescription(errDeletedByOther));
        m_row = std::move(row);
        m_reread = false;
    }
    return m_row;
}

} // namespace DataKit
