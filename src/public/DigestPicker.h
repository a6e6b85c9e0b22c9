#pragma once

#include "prjdigest_export.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStyledItemDelegate>

#include <memory>

class QLineEdit;

namespace DataKit {
class Database;
}

// One common summary as the picker offers it.
struct DigestMatch
{
    QString code;
    QString text;
    QString mnemonic;
    QString accountCode; // "" when the summary has no related account
    QString accountName;
};

// Common summaries where a voucher is typed: in a host's line edit, or a column of its table,
// typing a code, pinyin initials (polyphones included) or a piece of the text offers the matching
// summaries under the editor; picking one puts its text in the editor and tells the host, which
// fills the line's account from it. Text that matches nothing is kept as typed.
//
// The picker reads the summaries once, in the background, and shares what it keeps with the
// common-summaries window of the same database: the window's changes are seen at once, another
// user's after the window's Refresh or within a few seconds.
class PRJDIGEST_EXPORT DigestPicker : public QObject
{
    Q_OBJECT
public:
    // Throws DataKit::Error without a database.
    explicit DigestPicker(std::shared_ptr<DataKit::Database> database, QObject *parent = nullptr);
    ~DigestPicker() override;

    // Typing in edit shows the matches under it: Up and Down move, Enter or a click picks, Esc
    // closes the list and keeps what was typed. The edit may be attached to one picker only.
    void attach(QLineEdit *edit);
    // The same editor for a column of a host's table view: the picked text is written into the
    // cell.
    QStyledItemDelegate *createDelegate(QObject *parent = nullptr);

    // What the list would show for typed, best first: an exact code, codes starting with it,
    // initials at the start of the text (the stored mnemonic or the text's polyphone initials),
    // initials where a word starts inside the text, then text contained in the summary's text or
    // its account's name; within each, the summaries used most first (see setUsageQuery), then by
    // code. Empty for an empty text. Throws DataKit::Error when the summaries cannot be read.
    QList<DigestMatch> matches(const QString &typed, int limit = 10) const;

    // How often each summary is used: an SQL text whose rows are a summary's code and a count,
    // e.g. "SELECT cDigestId, COUNT(*) FROM GL_VoucherLine GROUP BY cDigestId". Read in the
    // background now and every few minutes; "" stops counting.
    void setUsageQuery(const QString &sql);

    // Keeps text as a new summary under the next free code (one more than the highest code made
    // only of digits), with the mnemonic the window would give it and accountCode (a code or a
    // name of an account; "" for none). Refuses as the window does, throwing DataKit::Error with
    // the window's message: an empty or too long text, forbidden characters, an unknown account;
    // and as the database refuses.
    DigestMatch addSummary(const QString &text, const QString &accountCode = QString());

signals:
    // A summary was picked in an attached edit or a delegate's editor.
    void picked(const DigestMatch &match);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
