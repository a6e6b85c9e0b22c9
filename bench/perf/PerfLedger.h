#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// A ledger as a bookkeeper's grows: a chart of 2,000 accounts and n common summaries with codes of
// six digits in code order, texts of 4 to 20 Chinese characters put together from the words of
// daily bookkeeping, their mnemonics, and an account for most of them (a few with none, a few with
// a code the chart no longer has). The same seed gives the same ledger.
class PerfLedger final
{
public:
    struct Summary
    {
        QByteArray code, text, mnemonic, account; // UTF-8; account empty: Null
    };
    struct Account
    {
        QByteArray code, name;
    };

    explicit PerfLedger(int summaries, quint32 seed = 20240601);
    // The chart alone: the same for every ledger.
    static std::vector<Account> chart();

    const std::vector<Summary> &summaries() const { return m_summaries; }
    const std::vector<Account> &accounts() const { return m_accounts; }

    // The host's tables, filled: a new SQLite file, or an empty PostgreSQL database.
    void writeSqlite(const QString &path) const;
    void writePostgres(const QString &url) const;

private:
    std::vector<Account> m_accounts;
    std::vector<Summary> m_summaries;
};

// libpq's connection text for a postgresql:// URL.
QByteArray PostgresConnectionInfo(const QString &url);
