#include "PerfSession.h"

#include "BenchWindow.h"
#include "Database.h"
#include "GridControl.h"
#include "PerfRounds.h"
#include "frmDigBrowse.h"

#include <QElapsedTimer>
#include <QTableView>

PerfSession::PerfSession(const QString &target, int summaries)
    : m_target(target)
    , m_summaries(summaries)
    , m_raw(RawEngine::open(target))
{
}

PerfSession::~PerfSession()
{
    if (isOpen())
        close();
}

double PerfSession::open()
{
    m_db = DataKit::Database::open(m_target);
    QElapsedTimer clock;
    clock.start();
    m_window = &OpenBenchWindow(m_db);
    m_window->grid().view()->viewport()->repaint();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    m_drive = std::make_unique<WindowDriver>(*m_window);
    return ms;
}

void PerfSession::close()
{
    m_drive.reset();
    CloseBenchWindow(*m_window, *m_db);
    m_window = nullptr;
    m_db.reset();
}

GridControl &PerfSession::grid()
{
    return m_window->grid();
}

long PerfSession::rowsShown()
{
    // Less the header row and the blank entry row.
    return grid().rowCount() - 2;
}

long PerfSession::someRow()
{
    return 1 + long(m_random.bounded(int(rowsShown() - 1)));
}

void PerfSession::record(const QString &name, const QString &baselineWhat, const QString &target,
                         int rounds, const std::function<double()> &raw,
                         const std::function<double()> &act)
{
    PerfRounds taken = MeasureRounds(rounds, raw, act);
    const bool failed = m_drive && !m_drive->unexpected.isEmpty();
    if (m_drive)
        m_drive->unexpected.clear();
    m_figures.push_back({name, QStringLiteral("ms"), std::move(taken.values),
                         std::move(taken.between), std::move(taken.warm), baselineWhat, target,
                         failed});
}

void PerfSession::recordOnce(const QString &name, double value, const QString &unit,
                             double baseline, const QString &baselineWhat, const QString &target)
{
    m_figures.push_back({name, unit, {value}, {baseline}, {baseline}, baselineWhat, target, false});
}
