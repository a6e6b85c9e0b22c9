#include "RecordsetImpl.h"

#include "Database.h"
#include "KitText.h"

#include <QSet>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

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

QString valuesText(const QVariant *values, int count)
{
    if (count == 1 && !values[0].isNull())
        return values[0].toString();
    QString text;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += QChar(0x1f);
        text += values[i].isNull() ? QString(QChar(0x1e)) : values[i].toString();
    }
    return text;
}

} // namespace detail

RecordsetImpl::RecordsetImpl(std::shared_ptr<Database> database, QString sql, int type)
    : m_database(std::move(database))
    , m_sql(std::move(sql))
    , m_type(type)
{
}

Connection &RecordsetImpl::connection() const
{
    if (!m_database || !m_database->isOpen())
        throw Error(errNoDatabase, kitDescription(errNoDatabase));
    return m_database->connection();
}

void RecordsetImpl::open()
{
    Connection &conn = connection();
    m_parts = detail::parseSelect(m_sql);
    if (m_parts.parsed && !m_parts.baseTable.isEmpty())
        m_base = conn.tableInfo(m_parts.baseTable, m_parts.baseQuoted);
    analyse();
    m_pos = 0;
    try {
        load(false);
    } catch (const Error &e) {
        // A select list the key cannot stand beside (the engine refuses the text): the query as
        // written, read-only. Any other failure is the caller's to know: a dynaset that quietly
        // became read-only would refuse every later save.
        if (!m_keyed || e.number() != errSyntax)
            throw;
        m_keyed = m_updatable = m_keyset = false;
        load(false);
    }
}

bool RecordsetImpl::isBOF() const
{
    return m_count == 0 || m_pos < 0;
}

bool RecordsetImpl::isEOF() const
{
    return m_count == 0 || m_pos >= m_count;
}

long RecordsetImpl::RecordCount() const
{
    return m_count;
}

void RecordsetImpl::requireCurrent() const
{
    if (isBOF() || isEOF())
        throw Error(errNoCurrentRecord, kitDescription(errNoCurrentRecord));
}

void RecordsetImpl::MoveFirst()
{
    connection();
    if (m_count == 0)
        throw Error(errNoCurrentRecord, kitDescription(errNoCurrentRecord));
    dropPending();
    m_pos = 0;
}

void RecordsetImpl::MoveLast()
{
    connection();
    if (m_count == 0)
        throw Error(errNoCurrentRecord, kitDescription(errNoCurrentRecord));
    dropPending();
    m_pos = m_count - 1;
}

void RecordsetImpl::MoveNext()
{
    connection();
    if (isEOF())
        throw Error(errNoCurrentRecord, kitDescription(errNoCurrentRecord));
    dropPending();
    ++m_pos;
}

void RecordsetImpl::MovePrevious()
{
    connection();
    if (isBOF())
        throw Error(errNoCurrentRecord, kitDescription(errNoCurrentRecord));
    dropPending();
    --m_pos;
}

void RecordsetImpl::Requery(long options)
{
    Q_UNUSED(options);
    connection();
    dropPending();
    load(true);
}

int RecordsetImpl::fieldCount() const
{
    return m_fieldNames.size();
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
    return rowAt(m_pos).at(index);
}

} // namespace DataKit
