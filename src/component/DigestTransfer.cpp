// Importing summaries from a CSV file: the file read and decoded, its heading row matched to the
// columns, each row handed to the import, and the report.
#include "DigestTransfer.h"

#include "CsvDecoding.h"
#include "CsvRecords.h"
#include "ErrorInfo.h"
#include "StringTable.h"
#include "SummaryImport.h"

#include <QFile>

namespace {

constexpr long kProgressEvery = 1000;

// Where each of the four columns stands in the file's rows; -1 when the file has no such column.
struct Columns
{
    qsizetype at[4] = {-1, -1, -1, -1};

    QString cell(const QStringList &fields, int column) const
    {
        return at[column] >= 0 ? fields.value(at[column]) : QString();
    }
};

bool blank(const QStringList &fields)
{
    for (const QString &field : fields) {
        if (!field.trimmed().isEmpty())
            return false;
    }
    return true;
}

// Matches the heading row; answers the missing headings, "" when the file has the two required.
QString matchHeadings(const QStringList &headings, Columns &columns, ImportReport &report)
{
    const int names[4] = {3, 8, 139, 111};
    for (qsizetype i = 0; i < headings.size(); ++i) {
        const QString heading = headings[i].trimmed();
        bool known = false;
        for (int column = 0; column < 4; ++column) {
            if (heading == LoadResString(names[column]) && columns.at[column] < 0) {
                columns.at[column] = i;
                known = true;
            }
        }
        if (!known && !heading.isEmpty())
            report.ignoredColumns.append(heading);
    }
    QStringList missing;
    for (int column = 0; column < 2; ++column) {
        if (columns.at[column] < 0)
            missing.append(LoadResString(names[column]));
    }
    return missing.join(QStringLiteral("、"));
}

ImportReport failed(ImportReport report, const QString &why)
{
    report.outcome = ImportReport::Outcome::Failed;
    report.failure = why;
    return report;
}

} // namespace

ImportReport ImportSummaries(const std::shared_ptr<DataKit::Database> &database,
                             const QString &path, const ImportOptions &options)
{
    ImportReport report;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(report, QStringLiteral("不能读取文件 %1：%2").arg(path, file.errorString()));
    const CsvText csv = DecodeCsv(file.readAll());
    file.close();
    if (csv.encoding.isEmpty())
        return failed(report,
                      QStringLiteral("文件 %1 既不是 UTF-8 也不是 GB18030 编码的文本").arg(path));
    report.encoding = csv.encoding;

    CsvRecords records(csv.text);
    QStringList fields;
    long line = 0;
    while (records.next(fields, line) && blank(fields)) {
    }
    Columns columns;
    const QString missing = matchHeadings(fields, columns, report);
    if (!missing.isEmpty())
        return failed(report, QStringLiteral("文件的标题行缺少列：%1").arg(missing));

    std::unique_ptr<SummaryImport> import;
    try {
        import = std::make_unique<SummaryImport>(database, options, report);
    } catch (const std::exception &error) {
        return failed(report, ReadFailureText(FailureOf(error)));
    }
    long rows = 0;
    try {
        while (records.next(fields, line)) {
            if (blank(fields))
                continue;
            import->take({line, columns.cell(fields, 0), columns.cell(fields, 1),
                          columns.cell(fields, 2), columns.cell(fields, 3), columns.at[3] >= 0,
                          QString()});
            if (++rows % kProgressEvery == 0 && options.progress)
                options.progress(rows, records.done());
        }
        import->finish();
    } catch (const std::exception &error) {
        import->abandon();
        return failed(report, SaveFailureText(FailureOf(error)));
    }
    if (options.progress)
        options.progress(rows, 1.0);
    return report;
}

QStringList ImportReportLines(const ImportReport &report)
{
    QStringList lines;
    if (!report.encoding.isEmpty() && report.encoding != QLatin1String("UTF-8"))
        lines << QStringLiteral("文件编码：%1").arg(report.encoding);
    if (!report.ignoredColumns.isEmpty())
        lines
            << QStringLiteral("忽略的列：%1").arg(report.ignoredColumns.join(QStringLiteral("、")));
    for (const ImportRefusal &refusal : report.refused)
        lines << QStringLiteral("第 %1 行（编码 %2）拒绝：%3")
                     .arg(refusal.line)
                     .arg(refusal.code, refusal.reason);
    lines << QStringLiteral("增加 %1 条，修改 %2 条，未变 %3 条，拒绝 %4 条。")
                 .arg(report.added)
                 .arg(report.changed)
                 .arg(report.unchanged)
                 .arg(report.refused.size());
    switch (report.outcome) {
    case ImportReport::Outcome::Written:
        lines << QStringLiteral("已写入数据库。");
        break;
    case ImportReport::Outcome::DryRun:
        lines << QStringLiteral("试运行：没有写入数据库。");
        break;
    case ImportReport::Outcome::Strict:
        lines << QStringLiteral("有被拒绝的行，按 --strict 没有写入数据库。");
        break;
    case ImportReport::Outcome::Failed:
        lines << (report.failureLine > 0 ? QStringLiteral("第 %1 行写入失败：%2")
                                               .arg(report.failureLine)
                                               .arg(report.failure)
                                         : report.failure)
              << QStringLiteral("没有写入数据库。");
        break;
    }
    return lines;
}
