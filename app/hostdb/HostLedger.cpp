#include "HostLedger.h"

#include "Database.h"
#include "HostSchema.h"

#include <QStringList>
#include <QUrl>

namespace HostLedger {

namespace {

bool isServer(const QString &target)
{
    return target.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           target.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

// All of it or none of it: a failure half-way leaves the database as it was.
void createInOneTransaction(DataKit::Database &db)
{
    DataKit::Transaction transaction(db);
    HostSchema::create(db);
    HostSchema::fillDemoData(db);
    transaction.commit();
}

} // namespace

QString shownTarget(const QString &target)
{
    if (!isServer(target))
        return target;
    return QUrl(target).toDisplayString(QUrl::RemovePassword);
}

Opened open(const QString &target)
{
    const QString shown = shownTarget(target);
    Opened result;
    try {
        result.database = DataKit::Database::open(target, !isServer(target));
    } catch (const DataKit::Error &error) {
        // The kit names the database and says why.
        result.problem = error.description();
        return result;
    }
    QStringList missing;
    try {
        missing = HostSchema::missingTables(*result.database);
    } catch (const DataKit::Error &error) {
        if (error.number() == DataKit::errHeldExclusively)
            return result;
        result.problem = QStringLiteral("不能读取数据库 %1：%2").arg(shown, error.description());
        result.database.reset();
        return result;
    }
    if (missing == HostSchema::tables()) {
        try {
            createInOneTransaction(*result.database);
        } catch (const DataKit::Error &error) {
            result.problem = QStringLiteral("不能在数据库 %1 中建立账套表，没有建立任何表：%2")
                                 .arg(shown, error.description());
            result.database.reset();
        }
    } else if (!HostSchema::servesTheComponent(missing)) {
        result.problem = QStringLiteral("数据库 %1 中缺少账套表 %2，没有建立任何表。")
                             .arg(shown, missing.join(QStringLiteral("、")));
        result.database.reset();
    }
    return result;
}

} // namespace HostLedger
