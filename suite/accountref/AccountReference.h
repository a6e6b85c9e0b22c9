#pragma once

#include "AccountEntry.h"
#include "AccountReferenceSink.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

namespace DataKit {
class Recordset;
}

// The suite's account reference: a modal list of the accounts of a record source (field 0 code,
// field 1 name) from which the user picks one. The choice reaches the sink before Show returns.
class AccountReference
{
public:
    explicit AccountReference(QWidget *dialogParent = nullptr);

    void setSink(AccountReferenceSink *sink);
    void setRecordSource(std::shared_ptr<DataKit::Recordset> records);
    void setCaption(const QString &caption);
    // Column 0 is the code, column 1 the name; any other column throws std::out_of_range.
    void setColumnHeading(int column, const QString &heading);
    // Non-zero: several accounts may be chosen, each reported to the sink in list order.
    void setMultiSelect(int value);
    // Non-zero: accounts with sub-accounts (another code begins with theirs) cannot be chosen.
    void setLeafOnly(int value);
    // Non-zero: when exactly one account can be chosen it is chosen without showing the list.
    void setAutoChooseSingle(int value);

    // The text the list opens with in its search box, selected so that typing replaces it: the
    // list first shows the accounts whose code or name contains it, and the user sees why.
    void setSearchText(const QString &text);

    // Reads the record source into the list.
    void Init();
    // Shows the list modally. On a choice the record source is left on the chosen record when the
    // sink is told; an account that has left the record source since Init cannot be chosen.
    void Show();
    // True when the last Show ended with a choice.
    bool chosen() const;

private:
    QList<AccountEntry> entriesToOffer() const;
    QList<int> askUser(const QList<AccountEntry> &entries) const;
    bool moveToAccount(const QString &code);

    QPointer<QWidget> m_dialogParent;
    AccountReferenceSink *m_sink = nullptr;
    std::shared_ptr<DataKit::Recordset> m_records;
    QString m_caption;
    QString m_searchText;
    QStringList m_headings{QString(), QString()};
    bool m_multiSelect = false;
    bool m_leafOnly = false;
    bool m_autoChooseSingle = false;
    QList<AccountEntry> m_accounts;
    bool m_chosen = false;
};
