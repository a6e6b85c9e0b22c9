#include "PerfTable.h"

#include <QList>
#include <QLocale>
#include <QStringList>

namespace {

QString amount(double value, const QString &unit)
{
    if (unit == QLatin1String("lines/s"))
        return QStringLiteral("%1 M/s").arg(value / 1e6, 0, 'f', 2);
    if (unit == QLatin1String("B"))
        return QStringLiteral("%1 B").arg(value, 0, 'f', 0);
    if (value >= 100)
        return QStringLiteral("%1 ms").arg(value, 0, 'f', 0);
    if (value >= 1)
        return QStringLiteral("%1 ms").arg(value, 0, 'f', 2);
    return QStringLiteral("%1 ms").arg(value, 0, 'f', 3);
}

// "yes" or "NO" for a target that applies, "" otherwise.
QString verdict(const PerfRow &row)
{
    const PerfFigure &f = row.figure;
    // The targets apply at 100,000 summaries and more; memory's at 1,000,000, where what the
    // window takes whatever the ledger's size no longer counts.
    const int from = f.unit == QLatin1String("B") ? 1000000 : 100000;
    if (f.target.isEmpty() || row.summaries < from)
        return {};
    bool met = true;
    if (f.target.endsWith(QLatin1Char('x')))
        met = f.value <= f.target.chopped(1).toDouble() * f.baseline;
    else if (f.unit == QLatin1String("B"))
        met = f.value <= f.target.section(QLatin1Char(' '), 0, 0).toDouble();
    else if (f.unit == QLatin1String("lines/s"))
        met = f.value >= f.target.section(QLatin1Char('M'), 0, 0).toDouble() * 1e6;
    return met ? QStringLiteral("yes") : QStringLiteral("NO");
}

QString cell(const QString &text, int width)
{
    // Chinese characters take two columns on a terminal.
    int shown = 0;
    for (QChar c : text)
        shown += c.unicode() >= 0x1100 ? 2 : 1;
    return text + QString(std::max(1, width - shown), QLatin1Char(' '));
}

} // namespace

void PrintPerfTable(QTextStream &out, const QList<PerfRow> &rows)
{
    const int widths[] = {16, 10, 33, 12, 12, 28, 9, 8, 4};
    const QStringList heads = {"engine",      "summaries", "action", "figure", "baseline",
                               "baseline is", "ratio",     "target", "met"};
    QString line;
    for (int i = 0; i < heads.size(); ++i)
        line += cell(heads[i], widths[i]);
    out << line.trimmed() << '\n' << QString(line.trimmed().size(), QLatin1Char('-')) << '\n';
    for (const PerfRow &row : rows) {
        const PerfFigure &f = row.figure;
        const double ratio = f.baseline > 0 ? f.value / f.baseline : 0;
        const QStringList cells = {row.engine,
                                   QLocale(QLocale::English).toString(row.summaries),
                                   f.action + (f.failed ? QStringLiteral(" (!)") : QString()),
                                   amount(f.value, f.unit),
                                   amount(f.baseline, f.unit),
                                   f.baselineWhat,
                                   QStringLiteral("%1x").arg(ratio, 0, 'f', ratio >= 10 ? 0 : 1),
                                   f.target.isEmpty() ? QStringLiteral("-") : f.target,
                                   verdict(row)};
        line.clear();
        for (int i = 0; i < cells.size(); ++i)
            line += cell(cells[i], widths[i]);
        out << line.trimmed() << '\n';
    }
    out.flush();
}
