#include "PerfFormat.h"
#include "PerfRounds.h"
#include "PerfTable.h"

#include <QLocale>

#include <algorithm>

namespace {

const PerfRow *find(const QList<PerfRow> &rows, const PerfRow &like, int summaries)
{
    for (const PerfRow &row : rows) {
        if (row.engine == like.engine && row.figure.action == like.figure.action &&
            row.summaries == summaries)
            return &row;
    }
    return nullptr;
}

double median(const std::vector<double> &values)
{
    return SpreadOf(values).median;
}

QString times(double numerator, double denominator)
{
    return denominator > 0 ? QStringLiteral("%1x").arg(numerator / denominator, 0, 'f', 1)
                           : QStringLiteral("-");
}

} // namespace

void PrintPerfGrowth(QTextStream &out, const QList<PerfRow> &rows)
{
    if (rows.isEmpty())
        return;
    const auto [smallest, largest] =
        std::minmax_element(rows.begin(), rows.end(), [](const PerfRow &a, const PerfRow &b) {
            return a.summaries < b.summaries;
        });
    const int from = smallest->summaries;
    const int to = largest->summaries;
    if (from == to)
        return;
    const QLocale english(QLocale::English);
    out << "\nGrowth from " << english.toString(from) << " to " << english.toString(to)
        << " summaries: the median at the largest size over the median at the smallest "
           "(for lines a second, less than 1x is slower).\n";
    const std::vector<int> widths = {16, 41, 16, 16, 8, 8};
    out << TableHead({"engine", "action", "at " + english.toString(from),
                      "at " + english.toString(to), "growth", "engine's"},
                     widths)
        << '\n';
    for (const PerfRow &row : rows) {
        if (row.summaries != from)
            continue;
        const PerfRow *last = find(rows, row, to);
        if (!last)
            continue;
        const PerfFigure &a = row.figure;
        const PerfFigure &b = last->figure;
        out << TableLine({row.engine, a.action, FormatAmount(median(a.values), a.unit),
                          FormatAmount(median(b.values), b.unit),
                          times(median(b.values), median(a.values)),
                          times(median(b.between), median(a.between))},
                         widths)
            << '\n';
    }
}
