#include "SummaryImport.h"

#include "Database.h"
#include "ImportedCells.h"
#include "Recordset.h"
#include "SqlTexts.h"
#include "StringTable.h"

SummaryImport::SummaryImport(std::shared_ptr<DataKit::Database> database,
                             const ImportOptions &options, ImportReport &report,
                             ImportWriting writing)
    : m_database(std::move(database))
    , m_options(options)
    , m_report(report)
    , m_rules(*m_database)
    , m_writing(writing)
{
    m_listing = m_database->OpenRecordset(SqlText::ListingQuery(), DataKit::dbOpenDynaset);
    // Every stored summary in one pass (Null as empty text, as NullToStr makes it).
    const int fields[4] = {m_listing->FieldIndex(QStringLiteral("cID")),
                           m_listing->FieldIndex(QStringLiteral("ctext")),
                           m_listing->FieldIndex(QStringLiteral("chelp")),
                           m_listing->FieldIndex(QStringLiteral("cCode"))};
    m_listing->ReadAll([&](const DataKit::FieldText *values) {
        const auto text = [&](int i) { return QString::fromUtf8(values[fields[i]].bytes()); };
        m_stored.insert(text(0), {text(1), text(2), text(3)});
    });
}

SummaryImport::~SummaryImport()
{
    abandon();
}

void SummaryImport::refuse(const ImportRow &row, const QString &reason)
{
    m_report.refused.append({row.line, row.code, reason});
}

// Strict: once a row is refused nothing will be kept, so nothing more is written.
bool SummaryImport::writing() const
{
    return !m_options.dryRun && !(m_options.strict && !m_report.refused.isEmpty());
}

void SummaryImport::take(ImportRow row)
{
    const QString reason = row.refusal.isEmpty() ? m_rules.check(row) : row.refusal;
    if (!reason.isEmpty()) {
        refuse(row, reason);
        return;
    }
    const auto earlier = m_taken.constFind(row.code);
    if (earlier != m_taken.constEnd()) {
        refuse(row, QStringLiteral("常用摘要编码与第 %1 行重复").arg(*earlier));
        return;
    }
    m_taken.insert(row.code, row.line);

    const auto stored = m_stored.constFind(row.code);
    if (stored != m_stored.constEnd()) {
        // What the file says nothing of stays as stored: the account without its column, the
        // mnemonic without its column (unless none is stored, as the window fills an empty one).
        if (!row.hasAccount)
            row.accountCode = stored->accountCode;
        if (!row.hasMnemonic && !stored->mnemonic.isEmpty())
            row.mnemonic = stored->mnemonic;
        if (stored->text == row.text && stored->mnemonic == row.mnemonic &&
            stored->accountCode == row.accountCode) {
            ++m_report.unchanged;
            return;
        }
        ++m_report.changed;
    } else {
        ++m_report.added;
    }
    if (writing())
        m_accepted.append({std::move(row), stored != m_stored.constEnd()});
}

void SummaryImport::writeAccepted()
{
    if (m_accepted.isEmpty())
        return;
    m_database->BeginTrans();
    m_inTransaction = true;
    if (m_writing == ImportWriting::AllAtOnce) {
        try {
            WriteAllAtOnce(*m_database, m_accepted);
            return;
        } catch (const DataKit::Error &error) {
            // A lost link is reported as it is, never tried again. Any refusal is rolled back and
            // the rows written again one by one, which finds the row the database refuses and
            // tells why, as if they had been written so from the start.
            if (error.number() == DataKit::errConnectionLost)
                throw;
            m_database->Rollback();
            m_inTransaction = false;
            m_database->BeginTrans();
            m_inTransaction = true;
        }
    }
    for (const AcceptedRow &accepted : std::as_const(m_accepted))
        write(accepted.row, accepted.stored);
}

void SummaryImport::write(const ImportRow &row, bool stored)
{
    m_report.failureLine = row.line;
    StoredCell locked;
    if (stored) {
        // Found again by its code: one look through the listing's key, however many summaries
        // the import has written.
        m_listing->FindFirst(SqlText::RecordRefindCriterion(row.code));
        if (m_listing->NoMatch())
            throw DataKit::Error(DataKit::errDeletedByOther, LoadResStrings({104, 2, 107}));
        m_listing->Edit();
        locked = [this](const QString &field) { return m_listing->Fields(field); };
    } else {
        m_listing->AddNew();
        m_listing->Collect(QStringLiteral("cID"), row.code);
    }
    for (const auto &[field, value] : ImportedCells(row, locked))
        m_listing->Collect(field, value);
    m_listing->Update();
    m_report.failureLine = 0;
}

void SummaryImport::finish()
{
    if (m_options.dryRun) {
        m_report.outcome = ImportReport::Outcome::DryRun;
    } else if (m_options.strict && !m_report.refused.isEmpty()) {
        abandon();
        m_report.outcome = ImportReport::Outcome::Strict;
    } else {
        writeAccepted();
        if (m_inTransaction) {
            m_inTransaction = false;
            m_database->CommitTrans();
        }
        m_report.outcome = ImportReport::Outcome::Written;
    }
}

void SummaryImport::abandon()
{
    try {
        if (m_listing)
            m_listing->CancelUpdate();
    } catch (const std::exception &) {
        // Nothing was pending; the rollback below is what matters.
    }
    if (m_inTransaction) {
        m_inTransaction = false;
        m_database->Rollback();
    }
}
