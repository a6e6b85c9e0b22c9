#pragma once

#include "DataKitError.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

namespace DataKit {

class Database;

// One field of a row read in bulk: its text in UTF-8 (a number in its text form), or Null.
struct FieldText
{
    const char *data = nullptr; // nullptr for Null
    qsizetype size = 0;

    bool isNull() const { return data == nullptr; }
    QByteArrayView bytes() const { return {data, size}; }
};
// Receives the fields of one row, by position; valid only during the call.
using RowReader = std::function<void(const FieldText *fields)>;

// A DAO-like recordset over one SELECT. Field values are QVariant; Null is a null QVariant.
// Field names are matched case-insensitively. BOF/EOF are spelled isBOF/isEOF because EOF is a
// C library macro. An interface only: a host calls it through the objects OpenRecordset gives.
class Recordset
{
public:
    virtual ~Recordset() = default;

    virtual bool isBOF() const = 0;
    virtual bool isEOF() const = 0;
    virtual long RecordCount() const = 0;

    virtual void MoveFirst() = 0;
    virtual void MoveLast() = 0;
    virtual void MoveNext() = 0;
    virtual void MovePrevious() = 0;

    // The criterion is an SQL condition evaluated by the database; the first match in the
    // recordset's order becomes current. NoMatch tells whether it found one (the position is
    // unchanged when it did not).
    virtual void FindFirst(const QString &criterion) = 0;
    virtual bool NoMatch() const = 0;

    // Takes effect at the next Requery; "" removes the filter.
    virtual void setFilter(const QString &criterion) = 0;
    // Re-runs the query; the current record stays current when it still exists, otherwise there is
    // no current record (isBOF or isEOF). What is read after it is read as the rows are stored
    // then; a recordset walked by its key reads nothing until it is asked something (a new filter
    // is tried at once), so a failure may come from the first question after it.
    virtual void Requery(long options = -1) = 0;

    // Reads every record from the first, in the recordset's order, in one pass through its query,
    // and hands each one's fields to row. Leaves the recordset after its last record, as walking
    // to the end with MoveNext would; RecordCount then counts the records read.
    virtual void ReadAll(const RowReader &row) = 0;

    virtual int fieldCount() const = 0;
    virtual QString fieldName(int index) const = 0;
    // The position of a field by its name, case-insensitively; throws 3265 when there is none.
    virtual int FieldIndex(const QString &name) const = 0;
    // Throw errNoCurrentRecord on BOF/EOF (except while adding).
    virtual QVariant Fields(const QString &name) const = 0;
    virtual QVariant Fields(int index) const = 0;

    // Writing: AddNew or Edit, Collect per field, then Update (or CancelUpdate).
    virtual void Collect(const QString &name, const QVariant &value) = 0;
    virtual void AddNew() = 0;
    virtual void Edit() = 0;
    virtual void Update() = 0;
    virtual void CancelUpdate() = 0;
    virtual void DiscardChanges(long affectRecords = 3) = 0;

    virtual bool isUpdatable() const = 0;
    // True (the default): Edit locks the record and reads it again as stored; the lock holds until
    // Update or CancelUpdate. False, for a caller that reads nothing of the record between Edit and
    // Update: outside a transaction Edit only marks the record, and Update locks it (refused at
    // once when another user holds it, 3260; 3167 when it is gone), writes and commits in one
    // exchange with the database. The fields read meanwhile are the recordset's copy. Inside a
    // transaction Edit locks either way.
    virtual void setLockEdits(bool lockAtEdit) = 0;
};

} // namespace DataKit
