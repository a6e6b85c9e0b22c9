#include "PerfRun.h"

#include "Database.h"
#include "OneCore.h"
#include "PerfActions.h"
#include "PerfSession.h"
#include "Recordset.h"
#include "SqlTexts.h"
#include "frmDigBrowse.h"

#include <QCoreApplication>
#include <QFile>

#include <unistd.h>

namespace {

long residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> pages = statm.readAll().split(' ');
    return pages.size() > 1 ? pages[1].toLong() * sysconf(_SC_PAGESIZE) : 0;
}

// The bytes of a summary's four texts (code, text, mnemonic, account name) in UTF-8, on average:
// what a window holding them could not do without.
double textBytesPerSummary(const QString &target)
{
    auto db = DataKit::Database::open(target);
    auto listing = db->OpenRecordset(SqlText::ListingQuery(), DataKit::dbOpenSnapshot);
    long rows = 0;
    qsizetype bytes = 0;
    listing->ReadAll([&](const DataKit::FieldText *fields) {
        for (int i : {0, 1, 2, 4})
            bytes += fields[i].size;
        ++rows;
    });
    return double(bytes) / std::max(1L, rows);
}

// Memory first, in a process that has opened nothing yet: what the window and its search index
// take once the index has taken in the whole listing.
void memoryFigures(PerfSession &s)
{
    const long before = residentBytes();
    s.open();
    const QuickSearchIndex &index = s.window().searchIndex();
    while (!index.complete())
        QCoreApplication::processEvents();
    const double perSummary = double(residentBytes() - before) / s.ledgerSize();
    const double indexPerSummary =
        double(index.memoryUsed()) / std::max<qsizetype>(1, index.count());
    s.close();
    const double texts = textBytesPerSummary(s.target());
    const QString what = QStringLiteral("its four texts in UTF-8");
    s.recordOnce(QStringLiteral("memory per summary (RSS growth)"), perSummary, QStringLiteral("B"),
                 texts, what, QStringLiteral("400 B"));
    s.recordOnce(QStringLiteral("quick search index per summary"), indexPerSummary,
                 QStringLiteral("B"), texts, what, {});
}

// Opening the window, as the process finds the machine and then held to one core; the window is
// left open.
void openFigures(PerfSession &s)
{
    const auto listing = [&] { return s.rawRead(SqlText::ListingQuery()); };
    const auto reopen = [&] {
        if (s.isOpen())
            s.close();
        return s.open();
    };
    s.record(QStringLiteral("open (Init to painted grid)"), QStringLiteral("raw listing query"),
             QStringLiteral("2x"), s.heavyRounds(), listing, reopen);
    {
        const OneCore oneCore;
        s.record(QStringLiteral("open, process on one core"),
                 QStringLiteral("raw listing query, one core"), QStringLiteral("2x"),
                 s.heavyRounds(), listing, reopen);
    }
    s.drive().settle();
}

} // namespace

std::vector<PerfFigure> RunWindowFigures(const QString &target, int n)
{
    PerfSession session(target, n);
    memoryFigures(session);
    openFigures(session);
    RunEditingFigures(session);
    RunListingFigures(session);
    RunSearchFigures(session);
    session.close();
    return session.takeFigures();
}
