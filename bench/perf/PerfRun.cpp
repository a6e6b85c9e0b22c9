#include "PerfRun.h"

#include "Database.h"
#include "OneCore.h"
#include "PerfActions.h"
#include "PerfMemory.h"
#include "PerfSession.h"
#include "SqlTexts.h"
#include "frmDigBrowse.h"

#include <QCoreApplication>

namespace {

// Memory first, in a process that has opened nothing yet: what the window and its search index
// take once the index has taken in the whole listing.
void memoryFigures(PerfSession &s)
{
    const long before = ResidentBytes();
    s.open();
    const QuickSearchIndex &index = s.window().searchIndex();
    while (!index.complete())
        QCoreApplication::processEvents();
    const double perSummary = double(ResidentBytes() - before) / s.ledgerSize();
    const double indexPerSummary =
        double(index.memoryUsed()) / std::max<qsizetype>(1, index.count());
    s.close();
    const double texts = TextBytesPerSummary(s.target());
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
