// kvbench_search [rows]: the quick search on a large ledger, through the real window: from a key
// typed into the search box (its short wait for more keys included) until the refilled grid has
// been painted; also the index's build and its size. SQLite; the search never reads the database,
// so the engine does not matter. Not a test: run by hand, read the figures.
#include "BenchLedger.h"
#include "BenchWindow.h"
#include "Database.h"
#include "GridControl.h"
#include "frmDigBrowse.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <limits>
#include <vector>

namespace {

QTextStream out(stdout);

// Eight texts with polyphones in turn, each with a number of its own, and six accounts.
void populate(DataKit::Database &db, int rows)
{
    PrepareEmptyLedger(db);
    db.Execute(
        QStringLiteral(
            "insert into GL_bDigest (cId, cText, chelp, cCode) "
            "with recursive n(i) as (select 0 union all select i + 1 from n where i < %1) "
            "select printf('%06d', i), case i % 8 when 0 then '收到货款' "
            "when 1 then '银行存款利息' when 2 then '会计调整分录' when 3 then '重庆分公司往来' "
            "when 4 then '报销差旅费' when 5 then '支付广告费' when 6 then '计提长期借款利息' "
            "else '音乐会门票' end || (i % 1000), 'MNEMONIC', "
            "case i % 6 when 0 then '1001' when 1 then '1002' when 2 then '1122' "
            "when 3 then '2202' when 4 then '6602' end from n")
            .arg(rows - 1));
}

// Milliseconds from the key to the painted grid.
double keystroke(frmDigBrowse &window, Qt::Key key, const QString &text = {})
{
    GridControl &grid = window.grid();
    bool refilled = false;
    const auto connection = QObject::connect(grid.view()->model(), &QAbstractItemModel::modelReset,
                                             [&] { refilled = true; });
    QElapsedTimer clock;
    clock.start();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&window.searchBox(), &press);
    while (!refilled)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    grid.view()->viewport()->repaint();
    const double ms = clock.nsecsElapsed() / 1e6;
    QObject::disconnect(connection);
    return ms;
}

void report(const QString &what, frmDigBrowse &window, const std::vector<double> &ms)
{
    out << QStringLiteral("  %1 %2 rows %3 ms\n")
               .arg(what, -34)
               .arg(window.grid().rowCount() - 2, 7)
               .arg(*std::max_element(ms.begin(), ms.end()), 7, 'f', 1);
    out.flush();
}

// Types text key by key and clears it with Backspace, five times; the slowest time for each key.
void typeAndClear(frmDigBrowse &window, const QString &text)
{
    std::vector<std::vector<double>> typed(size_t(text.size()));
    std::vector<double> cleared;
    QString shown;
    for (int round = 0; round < 5; ++round) {
        for (qsizetype i = 0; i < text.size(); ++i)
            typed[size_t(i)].push_back(keystroke(window, Qt::Key_unknown, text.mid(i, 1)));
        for (qsizetype i = 0; i + 1 < text.size(); ++i)
            keystroke(window, Qt::Key_Backspace);
        cleared.push_back(keystroke(window, Qt::Key_Backspace));
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        shown += text.at(i);
        keystroke(window, Qt::Key_unknown, text.at(i));
        report(QStringLiteral("typed \"%1\"").arg(shown), window, typed[size_t(i)]);
    }
    for (qsizetype i = 0; i < text.size(); ++i)
        keystroke(window, Qt::Key_Backspace);
    report(QStringLiteral("cleared (every summary)"), window, cleared);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTemporaryDir dir;
    auto db = DataKit::Database::open(dir.filePath(QStringLiteral("ledger.db")), true);
    populate(*db, rows);
    frmDigBrowse &window = OpenBenchWindow(db);
    window.resize(1200, 800);
    const QuickSearchIndex &index = window.searchIndex();
    while (!index.complete())
        QApplication::processEvents();
    out << QStringLiteral("SQLite, %1 summaries; index %2 bytes a summary\n")
               .arg(rows)
               .arg(double(index.memoryUsed()) / index.count(), 0, 'f', 1);

    QElapsedTimer clock;
    clock.start();
    QuickSearchIndex rebuilt;
    const GridRows &store = window.grid().dataRowStore();
    rebuilt.reset(store, 0, store.size() - 2);
    rebuilt.build(std::numeric_limits<qint64>::max());
    out << QStringLiteral("  building the index alone %1 ms\n")
               .arg(clock.nsecsElapsed() / 1e6, 0, 'f', 1);
    clock.start();
    window.RunCommand(QStringLiteral("TlbRefresh"));
    out << QStringLiteral("  Refresh, index rebuilt included %1 ms\n")
               .arg(clock.nsecsElapsed() / 1e6, 0, 'f', 1);
    QApplication::processEvents();

    typeAndClear(window, QStringLiteral("YH"));   // polyphone initials: a fraction
    typeAndClear(window, QStringLiteral("0"));    // every code: all rows
    typeAndClear(window, QStringLiteral("银行")); // text
    typeAndClear(window, QStringLiteral("%"));    // nothing
    CloseBenchWindow(window, *db);
    return 0;
}
