#include "PerfRun.h"

#include "BenchWindow.h"
#include "Database.h"
#include "GridControl.h"
#include "MnemonicCommand.h"
#include "PerfLedger.h"
#include "RawEngine.h"
#include "Recordset.h"
#include "SqlTexts.h"
#include "WindowDriver.h"
#include "frmDigBrowse.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iconv.h>
#include <unistd.h>

namespace {

double median(int times, const std::function<double()> &sample)
{
    std::vector<double> values;
    for (int i = 0; i < times; ++i)
        values.push_back(sample());
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> pages = statm.readAll().split(' ');
    return pages.size() > 1 ? pages[1].toLong() * sysconf(_SC_PAGESIZE) : 0;
}

// The window as a host opens it, up to its first painted grid.
struct OpenWindow
{
    std::shared_ptr<DataKit::Database> db;
    frmDigBrowse *window = nullptr;

    double open(const QString &target)
    {
        db = DataKit::Database::open(target);
        QElapsedTimer clock;
        clock.start();
        window = &OpenBenchWindow(db);
        window->grid().view()->viewport()->repaint();
        return double(clock.nsecsElapsed()) / 1e6;
    }
    void close()
    {
        CloseBenchWindow(*window, *db);
        window = nullptr;
        db.reset();
    }
};

QByteArray latin(const QString &text)
{
    return text.toUtf8();
}

} // namespace

std::vector<PerfFigure> RunWindowFigures(const QString &target, int n)
{
    const int light = 9;
    const int heavy = n >= 500000 ? 3 : 5;
    QRandomGenerator random(7);
    const auto someRow = [&](long rows) { return 1 + long(random.bounded(int(rows - 1))); };
    std::vector<PerfFigure> figures;

    // Memory first, in a process that has opened nothing yet.
    OpenWindow shown;
    const long before = residentBytes();
    std::vector<double> opens{shown.open(target)};
    const double perSummary = double(residentBytes() - before) / n;
    shown.close();

    // The engine's own figures, on rows the window never shows (codes after every numeric one).
    const QString account = QString::fromUtf8(PerfLedger::chart()[26].name);
    const QString filterCondition = SqlText::FilterCondition(QString(), QString(), account);
    double rawListing, rawFilter, rawFind, rawSort, rawUpdate, rawInsert, rawDelete, rawHundred;
    {
        auto raw = RawEngine::open(target);
        rawListing = median(heavy, [&] { return raw->read(latin(SqlText::ListingQuery())); });
        rawFilter = median(heavy, [&] {
            return raw->read(latin(SqlText::FilteredListingQuery(filterCondition)));
        });
        rawFind = median(light, [&] {
            return raw->read(latin(SqlText::FilteredListingQuery(SqlText::RecordRefindCriterion(
                QStringLiteral("%1").arg(random.bounded(1000000), 6, 10, QLatin1Char('0'))))));
        });
        rawSort = median(heavy, [&] {
            return raw->read(latin(QString(SqlText::ListingQuery())
                                       .replace(QLatin1String("Order By GL_bDigest.cId"),
                                                QLatin1String("Order By GL_bDigest.cText"))));
        });
        int serial = 0;
        const auto insert = [&](int code) {
            return raw->run(QByteArray("INSERT INTO GL_bDigest (cId, cText, chelp) VALUES ('Y") +
                            QByteArray::number(code).rightJustified(5, '0') +
                            "', '基准摘要', 'JZZY')");
        };
        const auto remove = [&](int code) {
            return raw->run(QByteArray("DELETE FROM GL_bDigest WHERE cId='Y") +
                            QByteArray::number(code).rightJustified(5, '0') + "'");
        };
        rawInsert = median(light, [&] { return insert(serial++); });
        rawUpdate = median(light, [&] {
            return raw->run(QByteArray("UPDATE GL_bDigest SET chelp='JZ' WHERE cId='Y") +
                            QByteArray::number(random.bounded(serial)).rightJustified(5, '0') +
                            "'");
        });
        rawDelete = median(light, [&] { return remove(--serial); });
        while (serial > 0)
            remove(--serial);
        rawHundred = median(heavy, [&] {
            for (int i = 0; i < 100; ++i)
                insert(i);
            double ms = 0;
            for (int i = 0; i < 100; ++i)
                ms += remove(i);
            return ms;
        });
    }

    for (int i = 1; i < heavy; ++i) {
        opens.push_back(shown.open(target));
        if (i + 1 < heavy)
            shown.close();
    }
    std::sort(opens.begin(), opens.end());
    frmDigBrowse &w = *shown.window;
    GridControl &grid = w.grid();
    WindowDriver drive(w);
    drive.settle();
    const auto summaries = [&] { return grid.rowCount() - 2; };
    const auto figure = [&](const QString &action, double value, double baseline,
                            const QString &what, const QString &goal) {
        figures.push_back({action, value, QStringLiteral("ms"), baseline, what, goal,
                           !drive.unexpected.isEmpty()});
        drive.unexpected.clear();
    };
    figure(QStringLiteral("open (Init to painted grid)"), opens[opens.size() / 2], rawListing,
           QStringLiteral("raw listing query"), QStringLiteral("2x"));

    figure(QStringLiteral("leave an unchanged row"),
           median(light,
                  [&] {
                      grid.setCurrentRow(someRow(summaries()));
                      drive.settle();
                      return drive.time([&] { drive.press(Qt::Key_Down); }, false);
                  }),
           rawUpdate, QStringLiteral("raw UPDATE"), QStringLiteral("10x"));
    figure(QStringLiteral("save (edited row left)"),
           median(light,
                  [&] {
                      drive.typeCell(someRow(summaries()), 1,
                                     QStringLiteral("改过的摘要%1").arg(random.bounded(1000)));
                      return drive.time([&] { drive.press(Qt::Key_Down); }, false);
                  }),
           rawUpdate, QStringLiteral("raw UPDATE"), QStringLiteral("10x"));
    int added = 0;
    figure(QStringLiteral("add"),
           median(light,
                  [&] {
                      const long blank = grid.rowCount() - 1;
                      drive.typeCell(blank, 0,
                                     QStringLiteral("A%1").arg(added++, 5, 10, QLatin1Char('0')));
                      drive.typeCell(blank, 1, QStringLiteral("新增的常用摘要"));
                      return drive.time([&] { w.RunCommand(QStringLiteral("TlbAdd")); }, false);
                  }),
           rawInsert, QStringLiteral("raw INSERT"), QStringLiteral("10x"));
    figure(QStringLiteral("delete one"),
           median(light,
                  [&] {
                      grid.setCurrentRow(someRow(summaries()));
                      drive.settle();
                      return drive.time([&] { w.RunCommand(QStringLiteral("TlbDel")); }, false);
                  }),
           rawDelete, QStringLiteral("raw DELETE"), QStringLiteral("10x"));
    figure(QStringLiteral("delete a group of 100"),
           median(heavy,
                  [&] {
                      const long first = someRow(summaries() - 100);
                      grid.setCurrentRow(first);
                      grid.setSelectionEndRow(first + 99);
                      drive.settle();
                      return drive.time([&] { w.RunCommand(QStringLiteral("TlbDel")); }, false);
                  }),
           rawHundred, QStringLiteral("100 raw DELETEs"), QStringLiteral("10x"));
    figure(QStringLiteral("Find (by code)"),
           median(heavy,
                  [&] {
                      drive.setDialogAnswer({grid.text(someRow(summaries()), 0), {}, {}});
                      return drive.time([&] { w.RunCommand(QStringLiteral("TlbFind")); }, true);
                  }),
           rawFind, QStringLiteral("raw query, that code"), QString());
    figure(QStringLiteral("Filter (by account)"),
           median(heavy,
                  [&] {
                      drive.setDialogAnswer({{}, {}, account});
                      const double ms =
                          drive.time([&] { w.RunCommand(QStringLiteral("TlbFilter")); }, true);
                      w.RunCommand(QStringLiteral("TlbRefresh"));
                      drive.settle();
                      return ms;
                  }),
           rawFilter, QStringLiteral("raw filtered query"), QString());
    figure(QStringLiteral("Refresh"),
           median(heavy,
                  [&] {
                      return drive.time([&] { w.RunCommand(QStringLiteral("TlbRefresh")); }, true);
                  }),
           rawListing, QStringLiteral("raw listing query"), QStringLiteral("2x"));
    figure(QStringLiteral("header sort (by text)"),
           median(heavy,
                  [&] {
                      grid.setCurrentRow(1);
                      drive.settle();
                      return drive.time([&] { drive.clickHeader(1); }, true);
                  }),
           rawSort, QStringLiteral("raw query ordered by text"), QString());
    shown.close();

    long listingRows = 0;
    qsizetype bytes = 0;
    {
        auto db = DataKit::Database::open(target);
        auto listing = db->OpenRecordset(SqlText::ListingQuery(), DataKit::dbOpenSnapshot);
        listing->ReadAll([&](const DataKit::FieldText *fields) {
            for (int i : {0, 1, 2, 4})
                bytes += fields[i].size;
            ++listingRows;
        });
    }
    figures.push_back({QStringLiteral("memory per summary (RSS growth)"), perSummary,
                       QStringLiteral("B"), double(bytes) / std::max(1L, listingRows),
                       QStringLiteral("its four texts in UTF-8"), QStringLiteral("400 B"), false});
    return figures;
}

std::vector<PerfFigure> RunMnemonicFigures(int n)
{
    const PerfLedger ledger(n);
    QByteArray input;
    for (const PerfLedger::Summary &summary : ledger.summaries())
        input += summary.text + '\n';
    // Small inputs are run again until the clock has something to measure.
    const int rounds = std::max(1, 200000 / std::max(1, n));
    FILE *in = std::tmpfile();
    FILE *out = std::fopen("/dev/null", "w");
    std::fwrite(input.constData(), 1, size_t(input.size()), in);
    const double command = median(3, [&] {
        QElapsedTimer clock;
        clock.start();
        for (int r = 0; r < rounds; ++r) {
            std::rewind(in);
            RunMnemonicCommand({}, in, out);
        }
        return double(n) * rounds / (double(clock.nsecsElapsed()) / 1e9);
    });
    std::fclose(in);
    std::fclose(out);
    // The plain loop: each line converted to code page 936 by one iconv call.
    iconv_t cd = iconv_open("CP936", "UTF-8");
    QByteArray converted(256, Qt::Uninitialized);
    const double plain = median(3, [&] {
        QElapsedTimer clock;
        clock.start();
        for (int r = 0; r < rounds; ++r) {
            for (const PerfLedger::Summary &summary : ledger.summaries()) {
                char *from = const_cast<char *>(summary.text.constData());
                size_t fromLeft = size_t(summary.text.size());
                char *to = converted.data();
                size_t toLeft = size_t(converted.size());
                iconv(cd, &from, &fromLeft, &to, &toLeft);
            }
        }
        return double(n) * rounds / (double(clock.nsecsElapsed()) / 1e9);
    });
    iconv_close(cd);
    return {{QStringLiteral("kvdigest --mnemonic"), command, QStringLiteral("lines/s"), plain,
             QStringLiteral("plain iconv loop"), QStringLiteral("2M lines/s"), false}};
}
