#pragma once

#include "DigestTransfer.h"
#include "ImportRules.h"
#include "SummaryBatch.h"

#include <QHash>

#include <memory>

namespace DataKit {
class Recordset;
}

// How an import's accepted rows reach the database: all at once, or one by one through the listing
// recordset as the window's saves write them, which is also how the rows refused at once are
// written again to tell which row the database refused.
enum class ImportWriting { AllAtOnce, RowByRow };

// ImportSummaries with the way of writing chosen.
ImportReport ImportSummariesWriting(const std::shared_ptr<DataKit::Database> &database,
                                    const QString &path, const ImportOptions &options,
                                    ImportWriting writing);

// Takes the rows of an import one by one: checks them, tells added, changed and unchanged rows
// apart by what is stored, and at the end writes the accepted ones in one transaction.
class SummaryImport final
{
public:
    // Reads the chart of accounts and the stored summaries; throws the kit's error.
    SummaryImport(std::shared_ptr<DataKit::Database> database, const ImportOptions &options,
                  ImportReport &report, ImportWriting writing);
    ~SummaryImport();

    // Checks one row and, unless only checking, keeps it to be written.
    void take(ImportRow row);
    // Writes and commits the accepted rows, or nothing when strict and a row was refused; throws
    // the kit's error when writing fails.
    void finish();
    // Gives up whatever was written.
    void abandon();

private:
    struct Stored
    {
        QString text;
        QString mnemonic;
        QString accountCode;
    };

    void refuse(const ImportRow &row, const QString &reason);
    bool writing() const;
    void writeAccepted();
    // One row through the listing recordset: a stored summary found again by its code and changed
    // under the kit's row lock (Edit), a new one added.
    void write(const ImportRow &row, bool stored);

    std::shared_ptr<DataKit::Database> m_database;
    const ImportOptions &m_options;
    ImportReport &m_report;
    ImportRules m_rules;
    std::shared_ptr<DataKit::Recordset> m_listing;
    QHash<QString, Stored> m_stored;
    QHash<QString, long> m_taken; // codes of the accepted rows -> their lines
    QList<AcceptedRow> m_accepted;
    ImportWriting m_writing;
    bool m_inTransaction = false;
};
