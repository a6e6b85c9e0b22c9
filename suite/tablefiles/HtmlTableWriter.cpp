#include "HtmlTableWriter.h"

HtmlTableWriter::HtmlTableWriter(const QString &path, const QString &title,
                                 const QList<TableFileColumn> &columns)
    : m_file(path)
{
    QString head =
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<title>%1</title>\n<style>\ntable { border-collapse: collapse; }\n"
                       "th, td { border: 1px solid #808080; padding: 2px 6px; }\n"
                       "th { background: #e8e8e8; }\n</style>\n</head>\n<body>\n<h1>%1</h1>\n"
                       "<table>\n")
            .arg(title.toHtmlEscaped());
    for (const TableFileColumn &column : columns)
        head += QStringLiteral("<col style=\"width: %1ch\">\n").arg(column.width);
    head += QLatin1String("<tr>");
    for (const TableFileColumn &column : columns)
        head += QLatin1String("<th>") + column.heading.toHtmlEscaped() + QLatin1String("</th>");
    head += QLatin1String("</tr>\n");
    m_file.write(head.toUtf8());
}

void HtmlTableWriter::writeRow(const QStringList &cells)
{
    QString line = QStringLiteral("<tr>");
    for (const QString &cell : cells)
        line += QLatin1String("<td>") + cell.toHtmlEscaped() + QLatin1String("</td>");
    line += QLatin1String("</tr>\n");
    m_file.write(line.toUtf8());
}

void HtmlTableWriter::finish()
{
    m_file.write(QByteArray("</table>\n</body>\n</html>\n"));
    m_file.commit();
}
