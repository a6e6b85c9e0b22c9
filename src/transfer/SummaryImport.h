#pragma once

#include "DigestTransfer.h"
#include "ImportRules.h"

#include <QHash>

#include <memory>

namespace DataKit {
class Recordset;
}

// Takes the rows of an import one by one: checks them, tells added, changed and unchanged rows
// apart by what is stored, and writes the accepted ones through the listing recordset, as the
// window's saves do, in one transaction begun at the first write.
class SummaryImport final
{
public:
    // Reads the chart of accounts and the stored summaries; throws the kit's error.
    SummaryImport(std::shared_ptr<DataKit::Database> database, const ImportOptions &options,
                  ImportReport &report);
    ~SummaryImport();

    // Checks and, unless only checking, writes one row; throws the kit's error when writing fails.
    void take(ImportRow row);
    // Commits what was written, or rolls it back when strict and a row was refused.
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
    void write(const ImportRow &row, bool stored);

    std::shared_ptr<DataKit::Database> m_database;
    const ImportOptions &m_options;
    ImportReport &m_report;
    ImportRules m_rules;
    std::shared_ptr<DataKit::Recordset> m_listing;
    QHash<QString, Stored> m_stored;
    QHash<QString, long> m_taken; // codes of the accepted rows -> their lines
    bool m_inTransaction = false;
};
