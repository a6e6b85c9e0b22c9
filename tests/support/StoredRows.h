#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace DataKit {
class Database;
}

// Summaries as the database holds them, written and read behind the window's back.
namespace kvtest {

// One summary as stored: an empty text, mnemonic or account is stored as Null.
struct Summary
{
    QString id;
    QString text;
    QString help;
    QString account;
};

void insertSummaries(DataKit::Database &db, const QList<Summary> &summaries);
// The stored row for a code as {cId, cText, chelp, cCode}, Null read as "(null)" (an empty text
// stays ""); an empty list when the code is not stored.
QStringList storedSummary(DataKit::Database &db, const QString &id);
long storedCount(DataKit::Database &db);
// The codes as stored, in the listing's order.
QStringList storedCodes(DataKit::Database &db);

} // namespace kvtest
