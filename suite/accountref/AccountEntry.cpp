#include "AccountEntry.h"

#include <algorithm>
#include <numeric>

QList<bool> hasSubAccounts(const QList<AccountEntry> &accounts)
{
    // In code order every code that begins with a given code follows it directly, so comparing
    // each code with the next one is enough.
    QList<qsizetype> order(accounts.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](qsizetype a, qsizetype b) { return accounts[a].code < accounts[b].code; });

    QList<bool> result(accounts.size(), false);
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
        const QString &code = accounts[order[i]].code;
        const QString &next = accounts[order[i + 1]].code;
        result[order[i]] = next.size() > code.size() && next.startsWith(code);
    }
    return result;
}
