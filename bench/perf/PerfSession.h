#pragma once

#include "PerfRun.h"
#include "RawEngine.h"
#include "WindowDriver.h"

#include <QRandomGenerator>

#include <functional>
#include <memory>

namespace DataKit {
class Database;
}
class frmDigBrowse;
class GridControl;

// One engine and ledger size in a process of its own: the window as a host opens it, the engine
// beside it through its own library, and the figures taken so far.
class PerfSession final
{
public:
    PerfSession(const QString &target, int summaries);
    ~PerfSession();

    // Opens the window up to its first painted grid and answers the milliseconds.
    double open();
    void close();
    bool isOpen() const { return m_window != nullptr; }

    const QString &target() const { return m_target; }
    int ledgerSize() const { return m_summaries; }
    // Rounds of actions that run a statement or two, and of those that read the whole listing.
    int lightRounds() const { return 9; }
    int heavyRounds() const { return m_summaries >= 500000 ? 3 : 5; }

    RawEngine &raw() { return *m_raw; }
    // The window's database while it is open.
    const std::shared_ptr<DataKit::Database> &database() const { return m_db; }
    // Milliseconds for the engine to run a query of the component's and take every row.
    double rawRead(const QString &sql) { return m_raw->read(sql.toUtf8()); }
    frmDigBrowse &window() { return *m_window; }
    GridControl &grid();
    WindowDriver &drive() { return *m_drive; }
    // The summaries the grid shows, and the row of one of them chosen at random.
    long rowsShown();
    long someRow();
    QRandomGenerator &random() { return m_random; }

    // Takes a figure in rounds (MeasureRounds), in milliseconds; it failed when the action met a
    // message box it did not expect.
    void record(const QString &name, const QString &baselineWhat, const QString &target, int rounds,
                const std::function<double()> &raw, const std::function<double()> &act);
    // A figure taken once, beside a yardstick known without measuring.
    void recordOnce(const QString &name, double value, const QString &unit, double baseline,
                    const QString &baselineWhat, const QString &target);
    std::vector<PerfFigure> takeFigures() { return std::move(m_figures); }

private:
    QString m_target;
    int m_summaries;
    QRandomGenerator m_random{7};
    std::unique_ptr<RawEngine> m_raw;
    std::shared_ptr<DataKit::Database> m_db;
    frmDigBrowse *m_window = nullptr;
    std::unique_ptr<WindowDriver> m_drive;
    std::vector<PerfFigure> m_figures;
};
