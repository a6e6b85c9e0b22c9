#include "TableFiles.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace kvtest {

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QStringList matches(const QString &pattern, const QString &text)
{
    QStringList found;
    auto it = QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption)
                  .globalMatch(text);
    while (it.hasNext())
        found << it.next().captured(1);
    return found;
}

QStringList readTable(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    if (path.endsWith(QLatin1String(".csv"))) {
        const QByteArray bytes = file.readAll();
        if (!bytes.startsWith("\xEF\xBB\xBF"))
            return {QStringLiteral("no byte order mark")};
        return QString::fromUtf8(bytes.mid(3))
            .replace(',', '|')
            .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }
    const QString text = path.endsWith(QLatin1String(".xlsx"))
                             ? run("unzip", {"-p", path, "xl/worksheets/sheet1.xml"})
                             : QString::fromUtf8(file.readAll());
    QStringList rows;
    for (const QString &row : matches("<(?:row|tr)[^>]*>(.*?)</(?:row|tr)>", text))
        rows << matches("<t[hd]?(?: [^>]*)?>(.*?)</t[hd]?>", row).join(QLatin1Char('|'));
    return rows;
}

} // namespace kvtest
