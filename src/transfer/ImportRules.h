#pragma once

#include <QHash>
#include <QString>

namespace DataKit {
class Database;
}

// One row of an import file, by column; the account's code once the row has been checked.
struct ImportRow
{
    long line = 0;
    QString code;
    QString text;
    QString mnemonic;
    QString account;          // the file's cell: an account code or name
    bool hasMnemonic = false; // the file has the mnemonic column
    bool hasAccount = false;  // the file has the account column
    QString accountCode;      // "" for none
    QString refusal;          // why the file's reader already refuses the row, "" when it does not
};

// The rules the window applies to a summary before it stores it: code and text required, no "|"
// or "'" in any cell, no control or unreadable character, the lengths its cells take, an account
// that is in the chart (by code or by name, the first account that has either, as the account cell
// checks it), and the mnemonic computed from the text when none is given.
class ImportRules final
{
public:
    // Reads the chart of accounts; throws the kit's error.
    explicit ImportRules(DataKit::Database &database);

    // "" when the row may be stored (its mnemonic and account code then filled in), else why not.
    QString check(ImportRow &row) const;

private:
    QHash<QString, QString> m_accountByText; // code or name -> code
};
