#pragma once

#include "Connection.h"
#include "Recordset.h"
#include "SqlText.h"

#include <QHash>
#include <QList>
#include <QVector>

namespace DataKit {

// The kit's recordset, in one of two ways.
//
// Walked by key: a query over a base table with a one-column primary key, ordered by that key,
// whose joins give each base row at most one partner (the listing and its filtered form). The
// recordset holds its current record only and finds every other one by key through the key's
// index: the next is the first whose key follows the current one's, a find is the query with the
// criterion added and LIMIT 1, Requery only marks the current record to be sought again, and a
// count is taken when first asked for and kept until the next Requery (without a current record,
// whether there are any records at all likewise). So each of these costs the same at any size of
// the table, and each answers as a full re-read of the query would at that moment. Records written
// through the recordset stay in it until the next Requery, as DAO's do, whether or not they meet
// its conditions.
//
// Read whole: everything else (a DISTINCT list, an aggregate, an order that does not lead with the
// key, a join that may repeat base rows, a query without a key): all rows are read at open and at
// every Requery.
//
// Either way the base table's key, when there is one, travels in hidden columns at the end of each
// row, so that a record is always known by its key.
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
    void ReadAll(const RowReader &row) override;

    int fieldCount() const override;
    QString fieldName(int index) const override;
    int FieldIndex(const QString &name) const override;
    QVariant Fields(const QString &name) const override;
    QVariant Fields(int index) const override;

    void Collect(const QString &name, const QVariant &value) override;
    void AddNew() override;
    void Edit() override;
    void Update() override;
    void CancelUpdate() override;
    void DiscardChanges(long affectRecords = 3) override;

    bool isUpdatable() const override { return m_updatable; }
    void setLockEdits(bool lockAtEdit) override { m_lockEdits = lockAtEdit; }

private:
    using Row = QVector<QVariant>; // visible fields, then the hidden key columns
    enum class Mode { None, Adding, Editing };
    // Where a recordset walked by key stands.
    enum class Place : quint8 { BeforeFirst, OnRecord, AfterLast };
    enum class Emptiness : qint8 { Unknown, Empty, NotEmpty };
    // Conditions of a statement the kit builds, and the values bound in them.
    struct Conditions
    {
        QStringList texts;
        QVariantList binds;
    };
    // All a recordset walked by key knows between two questions: a failed Requery puts it back
    // whole. Settled lazily behind the const questions (isBOF, Fields), hence mutable.
    struct WalkState
    {
        Place place = Place::BeforeFirst;
        Row row;             // the current record
        bool seek = false;   // the current record is to be sought again (after Requery)
        bool reread = false; // its fields are to be read again (after Update)
        Emptiness emptiness = Emptiness::Unknown;
        long count = -1;      // -1 until asked for
        QVariantList written; // keys written through the recordset since the last Requery
        QString activeFilter; // the filter in force
    };

    // Set-up and SQL texts (RecordsetQuery.cpp).
    Connection &connection() const; // throws errNoDatabase when closed
    void analyse();
    bool joinsKeepBaseRows(bool *onlyLeft) const;
    QString qualifiedKey(int i) const;
    QString hiddenList() const;
    QString fullList() const;
    const QString &activeFilter() const { return m_walkState.activeFilter; }
    QStringList conditions() const;
    QString orderWithKey(); // "" when the query's order cannot be kept with the key as tie-break
    QString selectText(const QString &list, bool distinct, const QStringList &conditions,
                       const QString &order, const QString &limit, bool grouped) const;
    // Its value's place in a statement, the value appended to binds.
    QString bound(QVariantList &binds, const QVariant &value) const;
    Conditions walkConditions() const;
    QString countText(const QString &what, QVariantList &binds) const;
    // "column = value", bound; "column IS NULL" for a Null key (SQLite allows one).
    QString equals(const QString &column, QVariantList &binds, const QVariant &value) const;

    // Walking by key (RecordsetWalk.cpp).
    void openWalking();
    bool walkFirst(const Conditions &conditions, bool forward, Row &row) const;
    void settle() const; // seeks the current record again after a Requery
    bool isEmpty() const;
    void stand(Row row) const;
    void walkMove(bool forward);
    void walkEnd(bool forward);
    void requeryWalking();
    void findWalking(const QString &criterion);
    long countWalking() const;
    const Row &currentRow() const;
    QVariantList currentKey() const;

    // Reading whole (RecordsetWhole.cpp).
    void loadWhole(bool keepCurrent);
    void takeFields(const QStringList &names);
    void readFieldsOnly();
    int locate(const Row &identity) const;
    int findWhole(const QString &criterion) const;
    void readAllWhole(const RowReader &row);
    // One row by its key, as it is stored now, whatever the query's conditions; false when gone.
    bool readByKey(const QVariantList &key, Row &row) const;
    void addKeyConditions(const QVariantList &key, Conditions &conds) const;

    void requireCurrent() const;
    int fieldIndex(const QString &name) const; // throws 3265 when unknown

    // Writing (RecordsetWrite.cpp).
    void requireUpdatable() const;
    void dropPending();
    QList<QPair<int, QVariant>> collectedBaseValues() const;
    QVariantList collectedKey() const; // the key's collected values, empty when not all collected
    std::optional<Error> lengthError(const QList<QPair<int, QVariant>> &values) const;
    // Edit's lock: the record of key locked and read again as stored, in the transaction (begun
    // when none is open); 3167 when it is gone.
    void lockRecord(const QVariantList &key);
    // The statement that locks the record of key and reads it.
    QString lockText(const QVariantList &key, QVariantList &binds) const;
    // The UPDATE of an Edit, committed with it when the Edit's transaction is the recordset's own,
    // or sent with the lock it deferred; answers the rows it changed.
    int writeEdit(const QString &sql, const QVariantList &binds);
    void afterInsert();
    void afterEdit();

    std::shared_ptr<Database> m_database;
    QString m_sql;
    int m_type;
    detail::SelectParts m_parts;
    QString m_filter; // set by setFilter, in force from the next Requery

    std::shared_ptr<const TableInfo> m_base; // null when the query has no usable base table
    QStringList m_keyColumns;                // the base table's key columns (engine spelling)
    bool m_keyed = false;                    // the hidden key columns are appended to every row
    bool m_updatable = false;                // dynaset with a keyed base table
    bool m_walk = false;                     // walked by key, not read whole
    bool m_countWithoutJoins = false;        // the joins neither add nor remove base rows
    QString m_order;                         // walking by key: the key's order as the query has it
    QString m_reverseOrder;                  // and the other way round
    bool m_descending = false;

    // Fields.
    QStringList m_fieldNames;          // visible fields as the engine names them
    QHash<QString, int> m_fieldByName; // lower-case name -> first index
    QVector<int> m_fieldBaseColumn;    // visible field -> base table column, -1 none
    bool m_haveFields = false;

    mutable WalkState m_walkState;

    // Reading whole.
    QVector<Row> m_rows;
    int m_pos = 0;

    bool m_noMatch = false;

    // Pending AddNew/Edit.
    Mode m_mode = Mode::None;
    QList<QPair<QString, QVariant>> m_buffer; // collected values by name, in order
    QVariantList m_editKey;
    bool m_ownsTransaction = false;
    bool m_lockEdits = true;     // Edit takes the lock (false: Update does, outside a transaction)
    bool m_lockDeferred = false; // Editing: the record's lock is to go with the Update
};

namespace detail {
// A null QVariant for Null, whatever type the caller's null value had.
QVariant normalized(const QVariant &value);
// Equality of two field values as the database would see them (a key read back as text equals the
// number it was written as).
bool sameValue(const QVariant &a, const QVariant &b);
} // namespace detail

} // namespace DataKit
