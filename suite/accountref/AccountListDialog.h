#pragma once

#include "AccountEntry.h"

#include <QDialog>
#include <QList>
#include <QStringList>

class QLineEdit;
class QPushButton;
class QTreeWidget;

// The modal list of the account reference: a search box above a code/name list. The search box
// keeps the focus; Up, Down, Page Up and Page Down move in the list, Enter chooses, Esc cancels.
class AccountListDialog final : public QDialog
{
    Q_OBJECT

public:
    AccountListDialog(const QString &caption, const QStringList &headings,
                      const QList<AccountEntry> &accounts, bool multiSelect, QWidget *parent);

    // Narrows the list as if the text had been typed, and selects it so that typing replaces it.
    void setSearchText(const QString &text);

    // Positions in the accounts given, in list order, of the accounts chosen when the dialog was
    // accepted.
    QList<int> chosenIndices() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillList(const QList<AccountEntry> &accounts);
    void applySearch(const QString &text);
    void updateOkButton();

    QLineEdit *m_search;
    QTreeWidget *m_list;
    QPushButton *m_ok;
};
