#include "CsvTableWriter.h"

CsvTableWriter::CsvTableWriter(const QString &path, const QList<TableFileColumn> &columns)
    : m_file(path)
{
    m_file.write(QByteArray("\xEF\xBB\xBF"));
    QStringList headings;
    for (const TableFileColumn &column : columns)
        headings << column.heading;
    writeRow(headings);
}

void CsvTableWriter::writeRow(const QStringList &cells)
{
    QString line;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            line += QLatin1Char(',');
        line += field(cells.at(i));
    }
    line += QLatin1String("\r\n");
    m_file.write(line.toUtf8());
}

void CsvTableWriter::finish()
{
    m_file.commit();
}

QString CsvTableWriter::field(const QString &cell)
{
    static const QString kFormulaStarts = QStringLiteral("=+-@\t\r");
    qsizetype start = 0;
    while (start < cell.size() && cell.at(start) == QLatin1Char('\''))
        ++start;
    const QString text = start < cell.size() && kFormulaStarts.contains(cell.at(start))
                             ? QLatin1Char('\'') + cell
                             : cell;
    const bool quoted = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
                        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
                        (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (!quoted)
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}
