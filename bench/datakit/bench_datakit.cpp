// kvbench_datakit [rows]: times the listing's operations on SQLite, and on PostgreSQL when
// KVDIGEST_PG_URL names a server. Not a test: run by hand, read the figures.
#include "BenchLedger.h"
#include "Database.h"
#include "Recordset.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <vector>

namespace {

const QString kListing = QStringLiteral(
    "Select GL_bDigest.*,Code.cCode_Name From GL_bDigest LEFT JOIN Code ON GL_bDigest.cCode = "
    "Code.cCode Order By GL_bDigest.cId");

QTextStream out(stdout);

QString code(int i)
{
    return QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'));
}

void populate(DataKit::Database &db, int rows)
{
    PrepareEmptyLedger(db);
    const char *accounts[] = {"1001", "1002", "1122", "2202", "6602", nullptr};
    db.Execute(QStringLiteral("BEGIN"));
    for (int start = 0; start < rows; start += 500) {
        QStringList values;
        for (int i = start; i < std::min(rows, start + 500); ++i) {
            const char *account = accounts[i % 6];
            values.append(QStringLiteral("('%1', '常用摘要第%2条', 'CYZYD', %3)")
                              .arg(code(i))
                              .arg(i)
                              .arg(account ? QStringLiteral("'%1'").arg(QLatin1String(account))
                                           : QStringLiteral("NULL")));
        }
        db.Execute(QStringLiteral("insert into GL_bDigest (cId, cText, chelp, cCode) values ") +
                   values.join(QLatin1Char(',')));
    }
    db.Execute(QStringLiteral("COMMIT"));
}

// Runs fn `times` times; prints the median and the fastest, in milliseconds.
void measure(const QString &what, int times, const std::function<void()> &fn)
{
    std::vector<double> ms;
    for (int i = 0; i < times; ++i) {
        QElapsedTimer clock;
        clock.start();
        fn();
        ms.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    out << QStringLiteral("  %1 %2 ms (fastest %3 ms, %4 runs)\n")
               .arg(what, -52)
               .arg(ms[ms.size() / 2], 9, 'f', 2)
               .arg(ms.front(), 0, 'f', 2)
               .arg(times);
    out.flush();
}

void run(const QString &engine, const QString &target, bool create, int rows)
{
    out << engine << QStringLiteral(" (") << rows << QStringLiteral(" summaries)\n");
    {
        auto db = DataKit::Database::open(target, create);
        QElapsedTimer clock;
        clock.start();
        populate(*db, rows);
        out << QStringLiteral("  (filling the table took %1 s)\n").arg(clock.elapsed() / 1000.0);
    }
    auto db = DataKit::Database::open(target);

    measure(QStringLiteral("open listing (dynaset), on the first record"), 5, [&] {
        auto rs = db->OpenRecordset(kListing, DataKit::dbOpenDynaset);
        rs->Fields(0);
    });
    measure(QStringLiteral("open listing + read all rows, every field"), 3, [&] {
        auto rs = db->OpenRecordset(kListing, DataKit::dbOpenDynaset);
        long n = 0;
        for (rs->MoveFirst(); !rs->isEOF(); rs->MoveNext()) {
            for (int f = 0; f < 5; ++f)
                rs->Fields(f);
            ++n;
        }
        if (n != rows)
            qFatal("read %ld rows", n);
    });
    measure(QStringLiteral("open listing as a snapshot (read whole)"), 3, [&] {
        auto rs = db->OpenRecordset(kListing, DataKit::dbOpenSnapshot);
        rs->Fields(0);
    });

    measure(QStringLiteral("count the stored summaries (status line, per refill)"), 5, [&] {
        auto count = db->OpenRecordset(QStringLiteral("Select Count(*) From GL_bDigest"),
                                       DataKit::dbOpenSnapshot);
        if (count->Fields(0).toLongLong() != rows)
            qFatal("counted %lld rows", count->Fields(0).toLongLong());
    });

    auto rs = db->OpenRecordset(kListing, DataKit::dbOpenDynaset);
    rs->FindFirst(QStringLiteral("cId='%1'").arg(code(rows * 3 / 4)));
    measure(QStringLiteral("Requery, current record kept"), 15, [&] {
        rs->Requery(-1);
        if (rs->isEOF() || rs->RecordCount() != rows)
            qFatal("Requery lost the record");
    });
    measure(QStringLiteral("FindFirst cId='...' (re-find by code)"), 15, [&] {
        rs->FindFirst(QStringLiteral("cId='%1'").arg(code(rows - 7)));
        if (rs->NoMatch())
            qFatal("not found");
    });
    measure(QStringLiteral("FindFirst with no match"), 15, [&] {
        rs->FindFirst(QStringLiteral("cId='X'"));
        if (!rs->NoMatch())
            qFatal("found");
    });
    measure(QStringLiteral("FindFirst cText like '%...%' (scan)"), 5, [&] {
        rs->FindFirst(QStringLiteral("cText like '%第%1条%'").arg(rows - 3));
        if (rs->NoMatch())
            qFatal("not found");
    });
    measure(QStringLiteral("FMove(5): Requery + FindFirst + read the row"), 15, [&] {
        rs->Requery(-1);
        rs->FindFirst(QStringLiteral("cId='%1'").arg(code(rows / 2)));
        rs->Fields(QStringLiteral("cText"));
    });
    measure(QStringLiteral("save a row: Requery, Edit, Collect, Update"), 10, [&] {
        rs->Requery(-1);
        rs->FindFirst(QStringLiteral("cId='%1'").arg(code(rows / 3)));
        rs->Edit();
        rs->Collect(QStringLiteral("chelp"), QStringLiteral("X"));
        rs->Update();
    });
    out << "\n";
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    return RunOnEngines(QStringLiteral("kvbench_datakit"),
                        [rows](const QString &engine, const QString &target, bool create) {
                            run(engine, target, create, rows);
                        });
}
