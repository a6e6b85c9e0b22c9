// Walking a recordset by its base table's key: every move, find and Requery is one look through
// the key's index, whatever the size of the table.
#include "RecordsetImpl.h"

#include "KitText.h"

namespace DataKit {

void RecordsetImpl::openWalking()
{
    Row first;
    if (walkFirst(walkConditions(), true, first)) {
        stand(first);
    } else {
        m_walkState.place = Place::BeforeFirst;
        m_walkState.emptiness = Emptiness::Empty;
        m_walkState.count = 0;
    }
}

// The first record in the recordset's order (forward) or the last (backward) of those meeting the
// conditions.
bool RecordsetImpl::walkFirst(const Conditions &conds, bool forward, Row &row) const
{
    Rows read = connection().select(selectText(fullList(), false, conds.texts,
                                               forward ? m_order : m_reverseOrder,
                                               QStringLiteral("LIMIT 1"), false),
                                    conds.binds, Activity::Reading);
    const_cast<RecordsetImpl *>(this)->takeFields(read.names);
    if (read.rows.isEmpty())
        return false;
    row = std::move(read.rows.first());
    return true;
}

void RecordsetImpl::stand(Row row) const
{
    m_walkState.place = Place::OnRecord;
    m_walkState.row = std::move(row);
    m_walkState.seek = m_walkState.reread = false;
    m_walkState.emptiness = Emptiness::NotEmpty;
}

QVariantList RecordsetImpl::currentKey() const
{
    return {m_walkState.row.at(m_fieldNames.size())};
}

// After a Requery the current record is sought again by its key, as the first question needs it:
// still there (and meeting the conditions), it is read as it is stored now; gone, there is no
// current record.
void RecordsetImpl::settle() const
{
    if (!m_walkState.seek)
        return;
    Conditions conds = walkConditions();
    addKeyConditions(currentKey(), conds);
    Row row;
    if (walkFirst(conds, true, row)) {
        stand(std::move(row));
        return;
    }
    m_walkState.place = Place::AfterLast;
    m_walkState.row.clear();
    m_walkState.seek = m_walkState.reread = false;
    m_walkState.emptiness = Emptiness::Unknown;
}

bool RecordsetImpl::isEmpty() const
{
    if (m_walkState.emptiness == Emptiness::Unknown) {
        QVariantList binds;
        const QString sql = countText(QStringLiteral("1"), binds) + QStringLiteral(" LIMIT 1");
        m_walkState.emptiness = connection().select(sql, binds, Activity::Reading).rows.isEmpty()
                                    ? Emptiness::Empty
                                    : Emptiness::NotEmpty;
    }
    return m_walkState.emptiness == Emptiness::Empty;
}

// The caller has made sure there is a record to move from (BOF or EOF is not the direction).
void RecordsetImpl::walkMove(bool forward)
{
    dropPending();
    const Conditions all = walkConditions();
    Conditions conds = all;
    // A Null key (SQLite) comes before every other one; there is at most one record to step to
    // that way by a key that is Null.
    const bool greater = forward != m_descending;
    bool nullsBeyond = false;
    if (m_walkState.place == Place::OnRecord) {
        // Beyond the current record in the direction of the move, whether or not it is still
        // there: the rows are met as they are stored now.
        const QVariant key = currentKey().first();
        if (key.isNull()) {
            conds.texts.append(greater ? qualifiedKey(0) + QStringLiteral(" IS NOT NULL")
                                       : QStringLiteral("1=0"));
        } else {
            conds.texts.append(qualifiedKey(0) +
                               (greater ? QStringLiteral(" > ") : QStringLiteral(" < ")) +
                               bound(conds.binds, key));
            nullsBeyond = !greater && m_base->keyMayBeNull;
        }
    }
    Row row;
    if (walkFirst(conds, forward, row)) {
        stand(std::move(row));
        return;
    }
    if (nullsBeyond) {
        Conditions nulls = all;
        nulls.texts.append(qualifiedKey(0) + QStringLiteral(" IS NULL"));
        if (walkFirst(nulls, forward, row)) {
            stand(std::move(row));
            return;
        }
    }
    // Past the end. Whether anything is left is asked only when it matters: the record moved from
    // may have been deleted meanwhile.
    m_walkState.place = forward ? Place::AfterLast : Place::BeforeFirst;
    m_walkState.row.clear();
    m_walkState.emptiness = Emptiness::Unknown;
}

void RecordsetImpl::walkEnd(bool forward)
{
    Row row;
    if (!walkFirst(walkConditions(), forward, row)) {
        m_walkState.emptiness = Emptiness::Empty;
        throw Error(errNoCurrentRecord, kitDescription(errNoCurrentRecord));
    }
    dropPending();
    stand(std::move(row));
}

void RecordsetImpl::requeryWalking()
{
    const bool newFilter = m_filter != m_walkState.activeFilter;
    const WalkState previous = m_walkState;
    m_walkState.activeFilter = m_filter;
    m_walkState.written.clear();
    m_walkState.count = -1;
    if (m_walkState.place == Place::OnRecord)
        m_walkState.seek = true;
    else
        m_walkState.emptiness = Emptiness::Unknown;
    if (!newFilter)
        return;
    // A new filter is tried at once: a condition the database refuses is refused here, and the
    // recordset stays as it was.
    try {
        settle();
        isEmpty();
    } catch (...) {
        m_walkState = previous;
        throw;
    }
}

void RecordsetImpl::findWalking(const QString &criterion)
{
    Conditions conds = walkConditions();
    if (!criterion.isEmpty())
        conds.texts.append(criterion);
    Row row;
    if (!walkFirst(conds, true, row))
        return;
    stand(std::move(row));
    m_noMatch = false;
}

long RecordsetImpl::countWalking() const
{
    if (m_walkState.count < 0) {
        QVariantList binds;
        const QString sql = countText(QStringLiteral("count(*)"), binds);
        const Rows read = connection().select(sql, binds, Activity::Reading);
        m_walkState.count = read.rows.isEmpty() ? 0 : read.rows.first().at(0).toLongLong();
        if (m_walkState.place != Place::OnRecord)
            m_walkState.emptiness = m_walkState.count == 0 ? Emptiness::Empty : Emptiness::NotEmpty;
    }
    return m_walkState.count;
}

// The current record's fields; after an Update they are read again, as the record is stored.
const RecordsetImpl::Row &RecordsetImpl::currentRow() const
{
    if (m_walkState.reread) {
        Row row;
        if (!readByKey(currentKey(), row))
            throw Error(errDeletedByOther, kitDescription(errDeletedByOther));
        m_walkState.row = std::move(row);
        m_walkState.reread = false;
    }
    return m_walkState.row;
}

} // namespace DataKit
