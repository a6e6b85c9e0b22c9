// kvbench_filter [rows]: the Filter command on a large ledger, through the real window and the
// real dialog, answered at once. Times from the dialog's OK until the grid has been refilled (the
// filtered query, reading it and filling the grid), and Refresh for comparison. SQLite always;
// PostgreSQL as well when KVDIGEST_PG_URL names a server (a database kvbench_filter is created
// there and dropped). Not a test: run by hand, read the figures.
#include "BenchLedger.h"
#include "BenchWindow.h"
#include "Database.h"
#include "GridControl.h"
#include "frmDigBrowse.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <vector>

namespace {

QTextStream out(stdout);

// Four texts and six accounts (one of them none) in turn, so that a text matches a quarter of the
// summaries and an account a sixth.
void populate(DataKit::Database &db, int rows)
{
    PrepareEmptyLedger(db);
    const QString code = db.isPostgres() ? QStringLiteral("lpad(i::text, 6, '0')")
                                         : QStringLiteral("printf('%06d', i)");
    db.Execute(QStringLiteral(
                   "insert into GL_bDigest (cId, cText, chelp, cCode) "
                   "with recursive n(i) as (select 0 union all select i + 1 from n where i < %1) "
                   "select %2, case i % 4 when 0 then '收到货款' when 1 then '支付货款' "
                   "when 2 then '提取现金' else '报销差旅费' end, 'CYZY', "
                   "case i % 6 when 0 then '1001' when 1 then '1002' when 2 then '1122' "
                   "when 3 then '2202' when 4 then '6602' end from n")
                   .arg(rows - 1)
                   .arg(code));
}

// Runs Filter with the boxes given; answers the milliseconds from OK to the refilled grid.
double filterOnce(frmDigBrowse &window, const QStringList &boxes)
{
    QElapsedTimer clock;
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        const char *names[] = {"cboId", "cboText", "cboCode"};
        for (int i = 0; i < 3; ++i)
            dialog->findChild<QComboBox *>(QLatin1String(names[i]))->setEditText(boxes[i]);
        clock.start();
        dialog->findChild<QPushButton *>(QStringLiteral("cmdYes"))->click();
    });
    window.RunCommand(QStringLiteral("TlbFilter"));
    return clock.nsecsElapsed() / 1e6;
}

double refreshOnce(frmDigBrowse &window)
{
    QElapsedTimer clock;
    clock.start();
    window.RunCommand(QStringLiteral("TlbRefresh"));
    return clock.nsecsElapsed() / 1e6;
}

// The median of several runs, and the rows the grid then shows.
void report(const QString &what, frmDigBrowse &window, const std::function<double()> &run)
{
    std::vector<double> ms;
    for (int i = 0; i < 5; ++i)
        ms.push_back(run());
    std::sort(ms.begin(), ms.end());
    out << QStringLiteral("  %1 %2 rows %3 ms (fastest %4 ms)\n")
               .arg(what, -36)
               .arg(window.grid().rowCount() - 2, 7)
               .arg(ms[ms.size() / 2], 9, 'f', 1)
               .arg(ms.front(), 0, 'f', 1);
    out.flush();
}

void run(const QString &engine, const QString &target, bool create, int rows)
{
    auto db = DataKit::Database::open(target, create);
    populate(*db, rows);
    out << engine << QStringLiteral(" (") << rows << QStringLiteral(" summaries)\n");
    frmDigBrowse &window = OpenBenchWindow(db);
    report(QStringLiteral("Filter by text (a quarter)"), window, [&] {
        return filterOnce(window, {"", "收到货款", ""});
    });
    report(QStringLiteral("Filter by account (a sixth)"), window, [&] {
        return filterOnce(window, {"", "", "银行存款"});
    });
    report(QStringLiteral("Filter by code (one)"), window, [&] {
        return filterOnce(window, {"050000", "", ""});
    });
    report(QStringLiteral("Filter matching nothing"), window, [&] {
        return filterOnce(window, {"", "没有这条", ""});
    });
    report(QStringLiteral("Refresh (every summary)"), window, [&] { return refreshOnce(window); });
    CloseBenchWindow(window, *db);
    out << "\n";
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    return RunOnEngines(QStringLiteral("kvbench_filter"),
                        [rows](const QString &engine, const QString &target, bool create) {
                            run(engine, target, create, rows);
                        });
}
