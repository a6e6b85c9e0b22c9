#include "PerfFormat.h"

#include "PerfRounds.h"

namespace {

QString number(double value, const QString &unit)
{
    if (unit == QLatin1String("lines/s"))
        return QString::number(value / 1e6, 'f', 2);
    if (unit == QLatin1String("B") || value >= 100)
        return QString::number(value, 'f', 0);
    return QString::number(value, 'f', value >= 1 ? 2 : 3);
}

QString unitText(const QString &unit)
{
    return unit == QLatin1String("lines/s") ? QStringLiteral("M/s") : unit;
}

} // namespace

QString FormatAmount(double value, const QString &unit)
{
    return number(value, unit) + QLatin1Char(' ') + unitText(unit);
}

QString FormatSpread(const std::vector<double> &values, const QString &unit)
{
    const Spread spread = SpreadOf(values);
    if (values.size() < 2)
        return FormatAmount(spread.median, unit);
    return number(spread.min, unit) + QLatin1Char('/') + number(spread.median, unit) +
           QLatin1Char('/') + number(spread.max, unit) + QLatin1Char(' ') + unitText(unit);
}

QString TableLine(const QStringList &cells, const std::vector<int> &widths)
{
    QString line;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        int shown = 0;
        for (const QChar c : cells[i])
            shown += c.unicode() >= 0x1100 ? 2 : 1;
        line += cells[i] + QString(std::max(1, widths[size_t(i)] - shown), QLatin1Char(' '));
    }
    return line.trimmed();
}

QString TableHead(const QStringList &heads, const std::vector<int> &widths)
{
    const QString line = TableLine(heads, widths);
    return line + QLatin1Char('\n') + QString(line.size(), QLatin1Char('-'));
}
