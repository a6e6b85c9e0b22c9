#include "RecordsetImpl.h"

#include "KitLog.h"
#include "KitText.h"

namespace DataKit {

namespace detail {

QVariant normalized(const QVariant &value)
{
    return value.isNull() ? QVariant() : value;
}

bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    if (a.metaType() == b.metaType())
        return a == b;
    return a.toString() == b.toString();
}

} // namespace detail

namespace {

Error noCurrentRecord()
{
    return Error(errNoCurrentRecord, kitDescription(errNoCurrentRecord));
}

} // namespace

RecordsetImpl::RecordsetImpl(std::shared_ptr<Database> database, QString sql, int type)
    : m_database(std::move(database))
    , m_sql(std::move(sql))
    , m_type(type)
{
}

void RecordsetImpl::open()
{
    Connection &conn = connection();
    m_parts = detail::parseSelect(m_sql);
    if (m_parts.parsed && !m_parts.baseTable.isEmpty())
        m_base = conn.tableInfo(m_parts.baseTable, m_parts.baseQuoted);
    analyse();
    try {
        if (m_walk)
            openWalking();
        else
            loadWhole(false);
    } catch (const Error &e) {
        // A select list the key cannot stand beside (the engine refuses the text): the query as
        // written, read-only. Any other failure is the caller's to know: a dynaset that quietly
        // became read-only would refuse every later save.
        if (!m_keyed || e.number() != errSyntax)
            throw;
        qCWarning(lcDataKit) << "read-only, the key cannot join the select list:" << e.what();
        m_keyed = m_updatable = m_walk = false;
        loadWhole(false);
    }
}

bool RecordsetImpl::isBOF() const
{
    if (!m_walk)
        return m_rows.isEmpty() || m_pos < 0;
    settle();
    return m_walkState.place == Place::BeforeFirst ||
           (m_walkState.place == Place::AfterLast && isEmpty());
}

bool RecordsetImpl::isEOF() const
{
    if (!m_walk)
        return m_rows.isEmpty() || m_pos >= m_rows.size();
    settle();
    return m_walkState.place == Place::AfterLast ||
           (m_walkState.place == Place::BeforeFirst && isEmpty());
}

long RecordsetImpl::RecordCount() const
{
    connection();
    return m_walk ? countWalking() : long(m_rows.size());
}

void RecordsetImpl::requireCurrent() const
{
    if (isBOF() || isEOF())
        throw noCurrentRecord();
}

void RecordsetImpl::MoveFirst()
{
    connection();
    if (m_walk) {
        walkEnd(true);
        return;
    }
    if (m_rows.isEmpty())
        throw noCurrentRecord();
    dropPending();
    m_pos = 0;
}

void RecordsetImpl::MoveLast()
{
    connection();
    if (m_walk) {
        walkEnd(false);
        return;
    }
    if (m_rows.isEmpty())
        throw noCurrentRecord();
    dropPending();
    m_pos = int(m_rows.size()) - 1;
}

void RecordsetImpl::MoveNext()
{
    connection();
    if (isEOF())
        throw noCurrentRecord();
    if (m_walk) {
        walkMove(true);
        return;
    }
    dropPending();
    ++m_pos;
}

void RecordsetImpl::MovePrevious()
{
    connection();
    if (isBOF())
        throw noCurrentRecord();
    if (m_walk) {
        walkMove(false);
        return;
    }
    dropPending();
    --m_pos;
}

void RecordsetImpl::FindFirst(const QString &criterion)
{
    connection();
    dropPending();
    // A criterion the database cannot evaluate leaves NoMatch true and the position unchanged.
    m_noMatch = true;
    if (m_walk) {
        findWalking(criterion.trimmed());
        return;
    }
    if (m_rows.isEmpty())
        return;
    const QString condition = criterion.trimmed();
    const int at = condition.isEmpty() ? 0 : findWhole(condition);
    if (at < 0)
        return;
    m_pos = at;
    m_noMatch = false;
}

void RecordsetImpl::Requery(long options)
{
    Q_UNUSED(options);
    connection();
    dropPending();
    if (m_walk)
        requeryWalking();
    else
        loadWhole(true);
}

void RecordsetImpl::ReadAll(const RowReader &row)
{
    connection();
    dropPending();
    if (!m_walk) {
        readAllWhole(row);
        return;
    }
    long count = 0;
    const Conditions conds = walkConditions();
    connection().readRows(
        selectText(m_parts.selectList, false, conds.texts, m_order, QString(), false), conds.binds,
        [&](const FieldText *fields) {
            row(fields);
            ++count;
        });
    m_walkState.seek = m_walkState.reread = false;
    m_walkState.row.clear();
    m_walkState.place = Place::AfterLast;
    m_walkState.count = count;
    m_walkState.emptiness = count == 0 ? Emptiness::Empty : Emptiness::NotEmpty;
}

int RecordsetImpl::fieldCount() const
{
    return int(m_fieldNames.size());
}

QString RecordsetImpl::fieldName(int index) const
{
    return m_fieldNames.value(index);
}

int RecordsetImpl::fieldIndex(const QString &name) const
{
    const int index = m_fieldByName.value(name.toLower(), -1);
    if (index < 0)
        throw Error(3265, QStringLiteral("在此集合中找不到项目“%1”。").arg(name));
    return index;
}

int RecordsetImpl::FieldIndex(const QString &name) const
{
    return fieldIndex(name);
}

QVariant RecordsetImpl::Fields(const QString &name) const
{
    connection();
    if (m_mode != Mode::None) {
        for (const auto &entry : m_buffer) {
            if (entry.first.compare(name, Qt::CaseInsensitive) == 0)
                return entry.second;
        }
        if (m_mode == Mode::Adding) {
            if (!m_fieldByName.contains(name.toLower()) &&
                !(m_base && m_base->columnIndex(name) >= 0))
                fieldIndex(name); // throws
            return QVariant();
        }
    }
    return Fields(fieldIndex(name));
}

QVariant RecordsetImpl::Fields(int index) const
{
    connection();
    if (index < 0 || index >= m_fieldNames.size())
        throw Error(3265, QStringLiteral("在此集合中找不到项目（序号 %1）。").arg(index));
    if (m_mode != Mode::None) {
        const QString name = m_fieldNames.at(index);
        for (const auto &entry : m_buffer) {
            if (entry.first.compare(name, Qt::CaseInsensitive) == 0)
                return entry.second;
        }
        if (m_mode == Mode::Adding)
            return QVariant();
    }
    requireCurrent();
    return m_walk ? currentRow().at(index) : m_rows.at(m_pos).at(index);
}

} // namespace DataKit
