#include "PerfTable.h"

#include "PerfFormat.h"
#include "PerfRounds.h"

#include <QLocale>

namespace {

// "yes" or "NO" for a target that applies, "" otherwise.
QString verdict(const PerfRow &row, double value, double baseline)
{
    const PerfFigure &f = row.figure;
    // The targets apply at 100,000 summaries and more; memory's at 1,000,000, where what the
    // window takes whatever the ledger's size no longer counts.
    const int from = f.unit == QLatin1String("B") ? 1000000 : 100000;
    if (f.target.isEmpty() || row.summaries < from)
        return {};
    bool met = true;
    if (f.target.endsWith(QLatin1Char('x')))
        met = value <= f.target.chopped(1).toDouble() * baseline;
    else if (f.unit == QLatin1String("B") || f.target.endsWith(QLatin1String(" ms")))
        met = value <= f.target.section(QLatin1Char(' '), 0, 0).toDouble();
    else if (f.unit == QLatin1String("lines/s"))
        met = value >= f.target.section(QLatin1Char('M'), 0, 0).toDouble() * 1e6;
    return met ? QStringLiteral("yes") : QStringLiteral("NO");
}

} // namespace

void PrintPerfTable(QTextStream &out, const QStringList &conditions, const QList<PerfRow> &rows)
{
    for (const QString &line : conditions)
        out << line << '\n';
    out << "Each figure: min/median/max of its rounds. The engine's own: its statement for the "
           "same "
           "work, once before each round (between) and then again and again (warm). Ratio: the "
           "figure's median over the between median.\n\n";
    const std::vector<int> widths = {16, 10, 41, 7, 24, 24, 24, 31, 7, 11, 3};
    out << TableHead({"engine", "summaries", "action", "rounds", "figure", "engine between",
                      "engine warm", "engine's statement", "ratio", "target", "met"},
                     widths)
        << '\n';
    for (const PerfRow &row : rows) {
        const PerfFigure &f = row.figure;
        const double value = SpreadOf(f.values).median;
        const double baseline = SpreadOf(f.between).median;
        const double ratio = baseline > 0 ? value / baseline : 0;
        out << TableLine({row.engine, QLocale(QLocale::English).toString(row.summaries),
                          f.action + (f.failed ? QStringLiteral(" (!)") : QString()),
                          QString::number(f.values.size()), FormatSpread(f.values, f.unit),
                          FormatSpread(f.between, f.unit), FormatSpread(f.warm, f.unit),
                          f.baselineWhat,
                          QStringLiteral("%1x").arg(ratio, 0, 'f', ratio >= 10 ? 0 : 1),
                          f.target.isEmpty() ? QStringLiteral("-") : f.target,
                          verdict(row, value, baseline)},
                         widths)
            << '\n';
    }
    PrintPerfGrowth(out, rows);
    out.flush();
}
