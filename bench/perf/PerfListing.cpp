// The actions that read the listing: Find, Filter, Refresh and the header sort.
#include "GridControl.h"
#include "PerfActions.h"
#include "PerfLedger.h"
#include "PerfSession.h"
#include "SqlTexts.h"
#include "frmDigBrowse.h"

void RunListingFigures(PerfSession &s)
{
    frmDigBrowse &w = s.window();
    GridControl &grid = s.grid();
    WindowDriver &drive = s.drive();
    const int heavy = s.heavyRounds();

    // The code the next Find looks for, chosen with the engine's own query for it.
    QString code;
    const auto findCode = [&](long row) {
        code = grid.text(row, 0);
        return s.rawRead(SqlText::FilteredListingQuery(SqlText::RecordRefindCriterion(code)));
    };
    const auto find = [&] {
        drive.setDialogAnswer({code, {}, {}});
        return drive.command("TlbFind");
    };
    s.record(
        QStringLiteral("Find (by code)"), QStringLiteral("raw query, that code"), {}, heavy,
        [&] { return findCode(s.someRow()); }, find);
    s.record(
        QStringLiteral("Find (from the top, a row near the end)"),
        QStringLiteral("raw query, that code"), {}, heavy,
        [&] { return findCode(s.rowsShown() - long(s.random().bounded(10))); },
        [&] {
            grid.setCurrentRow(1);
            drive.settle();
            return find();
        });

    const QString account = QString::fromUtf8(PerfLedger::chart()[26].name);
    s.record(
        QStringLiteral("Filter (by account)"), QStringLiteral("raw filtered query"), {}, heavy,
        [&] {
            return s.rawRead(SqlText::FilteredListingQuery(
                SqlText::FilterCondition(QString(), QString(), account)));
        },
        [&] {
            drive.setDialogAnswer({{}, {}, account});
            const double ms = drive.command("TlbFilter");
            w.RunCommand(QStringLiteral("TlbRefresh"));
            drive.settle();
            return ms;
        });

    const auto listing = [&] { return s.rawRead(SqlText::ListingQuery()); };
    s.record(QStringLiteral("Refresh"), QStringLiteral("raw listing query"), QStringLiteral("2x"),
             heavy, listing, [&] { return drive.command("TlbRefresh"); });
    s.record(
        QStringLiteral("header sort (by text)"), QStringLiteral("raw query ordered by text"), {},
        heavy,
        [&] {
            return s.rawRead(QString(SqlText::ListingQuery())
                                 .replace(QLatin1String("Order By GL_bDigest.cId"),
                                          QLatin1String("Order By GL_bDigest.cText")));
        },
        [&] {
            grid.setCurrentRow(1);
            drive.settle();
            return drive.time([&] { drive.clickHeader(1); });
        });
    // Back to the listing's order for what follows.
    w.RunCommand(QStringLiteral("TlbRefresh"));
    drive.settle();
}
