#pragma once

#include "Connection.h"
#include "Recordset.h"
#include "SqlText.h"

#include <QHash>
#include <QList>
#include <QSqlRecord>
#include <QVector>

namespace DataKit {

// The kit's recordset.
//
// A dynaset over one base table with a primary key and an ORDER BY is read as a *keyset*: Requery
// fetches only the ordered keys (the same FROM/WHERE/ORDER BY with the key as select list), and
// rows are fetched on demand in pages by key and cached until the next Requery. Everything else
// (snapshots, DISTINCT lists, queries without a key or without an order) is read whole. Either
// way the base table's key travels in hidden columns at the end of each row, so a record is
// always known by its key.
class RecordsetImpl final : public Recordset
{
public:
    RecordsetImpl(std::shared_ptr<Database> database, QString sql, int type);
    // Runs the query and stands on the first record; throws Error.
    void open();

    bool isBOF() const override;
    bool isEOF() const override;
    long RecordCount() const override;

    void MoveFirst() override;
    void MoveLast() override;
    void MoveNext() override;
    void MovePrevious() override;

    void FindFirst(const QString &criterion) override;
    bool NoMatch() const override { return m_noMatch; }

    void setFilter(const QString &criterion) override { m_filter = criterion.trimmed(); }
    void Requery(long options = -1) override;

    int fieldCount() const override;
    QString fieldName(int index) const override;
    QVariant Fields(const QString &name) const override;
    QVariant Fields(int index) const override;

    void Collect(const QString &name, const QVariant &value) override;
    void AddNew() override;
    void Edit() override;
    void Update() override;
    void CancelUpdate() override;
    void DiscardChanges(long affectRecords = 3) override;

    bool isUpdatable() const override { return m_updatable; }

private:
    using Row = QVector<QVariant>; // visible fields, then the hidden key columns
    enum class RowState : quint8 { NotRead, Read, Deleted };
    enum class Mode { None, Adding, Editing };

    struct Identity
    {
        bool valid = false;
        QVariantList key; // keyed recordsets
        Row values;       // the others
    };

    // Set-up and SQL texts.
    Connection &connection() const; // throws errNoDatabase when closed
    void analyse();
    QString qualifiedKey(int i) const;
    QString hiddenList() const;
    QString fullList() const;
    QStringList conditions() const;
    QString keysetOrder(); // "" when the keyset cannot use the query's order
    QString selectText(const QString &list, bool distinct, const QStringList &conditions,
                       const QString &order, const QString &limit, bool grouped) const;

    // Reading.
    void load(bool keepCurrent);
    bool loadKeyset();
    void loadFull();
    void takeFields(const QSqlRecord &record);
    void readFieldsOnly();
    const Row &rowAt(int index) const;
    void fetchAround(int index) const;
    // One row by its key, as it is stored now, whatever the query's conditions; false when gone.
    bool readByKey(const QVariantList &key, Row &row);
    void readAgain(int index); // readByKey into the row at index, or marks it deleted
    Row readRow(const class QSqlQuery &query) const;
    Identity currentIdentity() const;
    int locate(const Identity &identity) const;
    QVariantList keyAt(int index) const;
    int indexOfKey(const QVariantList &key) const;
    int findKeyset(const QString &criterion) const;
    int findFull(const QString &criterion) const;
    void requireCurrent() const;
    int fieldIndex(const QString &name) const; // throws 3265 when unknown

    // Writing.
    void requireUpdatable() const;
    void dropPending();
    QList<QPair<int, QVariant>> collectedBaseValues() const;
    void checkLengths(const QList<QPair<int, QVariant>> &values) const;
    void afterInsert();
    void afterEdit();

    std::shared_ptr<Database> m_database;
    QString m_sql;
    int m_type;
    detail::SelectParts m_parts;
    QString m_filter;       // set by setFilter, in force from the next Requery
    QString m_activeFilter; // in force now

    std::shared_ptr<const TableInfo> m_base; // null when the query has no usable base table
    QStringList m_keyColumns;                // the base table's key columns (engine spelling)
    bool m_keyed = false;                    // hidden key columns are appended to every row
    bool m_updatable = false;                // dynaset with a keyed base table
    bool m_keyset = false;                   // rows are read on demand by key
    QString m_keysetOrder;
    bool m_orderLeadsWithKey =
        false; // the order begins with the whole key: equal keys are adjacent

    // Fields.
    QStringList m_fieldNames;          // visible fields as the engine names them
    QHash<QString, int> m_fieldByName; // lower-case name -> first index
    QVector<int> m_fieldBaseColumn;    // visible field -> base table column, -1 none
    bool m_haveFields = false;

    // Rows.
    int m_count = 0;
    QVector<QVariant> m_keys; // m_count * key width, keyed recordsets
    mutable QVector<Row> m_rows;
    mutable QVector<RowState> m_state;
    mutable QHash<QString, int> m_keyIndex; // built on first need after each load
    mutable bool m_keyIndexBuilt = false;
    mutable int m_sequentialEnd = -1; // where the last page ended: a read there grows the page
    mutable int m_pageSize = 0;
    int m_pos = 0;
    bool m_noMatch = false;

    // Pending AddNew/Edit.
    Mode m_mode = Mode::None;
    QList<QPair<QString, QVariant>> m_buffer; // collected values by name, in order
    QVariantList m_editKey;
    bool m_ownsTransaction = false;
};

namespace detail {
// A null QVariant for SQL NULL, whatever type the driver attached to it.
QVariant normalized(const QVariant &value);
// Equality of two field values as the database would see them (a key read back as text equals the
// number it was written as).
bool sameValue(const QVariant &a, const QVariant &b);
// A hashable text for a row of values.
QString valuesText(const QVariant *values, int count);
} // namespace detail

} // namespace DataKit
