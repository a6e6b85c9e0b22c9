// Importing summaries from a CSV file or a workbook: the file read and its rows taken one by one,
// its heading row matched to the columns, each row handed to the import, and the report.
#include "DigestTransfer.h"

#include "CsvDecoding.h"
#include "CsvRecords.h"
#include "ErrorInfo.h"
#include "StringTable.h"
#include "SummaryImport.h"
#include "WorkbookRecords.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr long kProgressEvery = 1000;

const QString kTypesRead =
    QStringLiteral("不是能导入的文件。能导入的是 CSV 文件（UTF-8 或 GB18030 编码的文字）和 Excel "
                   "工作簿（.xlsx）。");

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

// Why a file could not be read, in words for the user (the system's own are English).
QString unreadable(const QString &path)
{
    const QFileInfo info(path);
    QString why = QStringLiteral("读取失败。");
    if (!info.exists())
        why = QStringLiteral("文件不存在。");
    else if (info.isDir())
        why = QStringLiteral("这是一个文件夹。");
    else if (!info.isReadable())
        why = QStringLiteral("没有读取的权限。");
    return QStringLiteral("不能读取文件 %1：%2").arg(path, why);
}

ImportReport failed(ImportReport report, const QString &why)
{
    report.outcome = ImportReport::Outcome::Failed;
    report.failure = why;
    return report;
}

// Control characters other than line ends and tabs near the start: a picture or a program that
// happens to decode as text, not a table a person saved.
bool binary(const QString &text)
{
    for (const QChar ch : QStringView(text).left(512)) {
        if (ch.category() == QChar::Other_Control && ch != u'\t' && ch != u'\r' && ch != u'\n')
            return true;
    }
    return false;
}

// The rows of the file, by what its bytes are: a workbook (a zip archive) or CSV text.
std::unique_ptr<ImportRecords> openRecords(const QByteArray &bytes, CsvText &csv,
                                           ImportReport &report)
{
    if (bytes.startsWith("PK\x03\x04"))
        return std::make_unique<WorkbookRecords>(bytes);
    csv = DecodeCsv(bytes);
    if (csv.encoding.isEmpty())
        throw ImportFileError(kTypesRead);
    report.encoding = csv.encoding;
    return std::make_unique<CsvRecords>(csv.text);
}

} // namespace

ImportReport ImportSummaries(const std::shared_ptr<DataKit::Database> &database,
                             const QString &path, const ImportOptions &options)
{
    return ImportSummariesWriting(database, path, options, ImportWriting::AllAtOnce);
}

ImportReport ImportSummariesWriting(const std::shared_ptr<DataKit::Database> &database,
                                    const QString &path, const ImportOptions &options,
                                    ImportWriting writing)
{
    ImportReport report;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(report, unreadable(path));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return failed(report, unreadable(path));
    file.close();

    CsvText csv;
    std::unique_ptr<ImportRecords> records;
    QStringList fields;
    long line = 0;
    Columns columns;
    try {
        records = openRecords(bytes, csv, report);
        while (records->next(fields, line) && blank(fields)) {
        }
    } catch (const ImportFileError &error) {
        return failed(report, QStringLiteral("文件 %1：%2").arg(path, error.message()));
    }
    const QString missing = matchHeadings(fields, columns, report);
    if (!missing.isEmpty() && binary(csv.text))
        return failed(report, QStringLiteral("文件 %1：%2").arg(path, kTypesRead));
    if (!missing.isEmpty())
        return failed(report, QStringLiteral("文件的标题行缺少列：%1").arg(missing));

    std::unique_ptr<SummaryImport> import;
    try {
        import = std::make_unique<SummaryImport>(database, options, report, writing);
    } catch (const std::exception &error) {
        return failed(report, ReadFailureText(FailureOf(error)));
    }
    long rows = 0;
    try {
        while (records->next(fields, line)) {
            if (blank(fields))
                continue;
            ImportRow row{line,
                          columns.cell(fields, 0),
                          columns.cell(fields, 1),
                          columns.cell(fields, 2),
                          columns.cell(fields, 3),
                          columns.at[2] >= 0,
                          columns.at[3] >= 0,
                          QString(),
                          QString()};
            if (csv.foreignLines.contains(line))
                row.refusal = QStringLiteral("这一行是 UTF-8 编码的文字，而文件是 GB18030 "
                                             "编码（两个文件拼在了一起？），请重新保存这一行");
            import->take(std::move(row));
            if (++rows % kProgressEvery == 0 && options.progress)
                options.progress(rows, records->done());
        }
        import->finish();
    } catch (const ImportFileError &error) {
        // The file turned out unreadable further on: nothing of it is kept, not even the rows
        // before, so the file can be mended and imported whole.
        import->abandon();
        report.failureLine = 0;
        return failed(report, QStringLiteral("文件 %1：%2").arg(path, error.message()));
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
