#pragma once

#include <QList>
#include <QString>

// One account of the reference's list, as read from its record source.
struct AccountEntry
{
    QString code;
    QString name;
    bool selectable = true;
};

// For each account, whether it has sub-accounts: another account's code begins with its code.
QList<bool> hasSubAccounts(const QList<AccountEntry> &accounts);
