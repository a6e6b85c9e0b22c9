#include "ReportFiles.h"

#include "GridControl.h"
#include "ReplacedFile.h"
#include "ReplacedFileDevice.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPdfWriter>

namespace {

struct KindText
{
    ReportFileKind kind;
    const char *filter;
    const char *suffix;
};

const KindText kKinds[] = {
    {ReportFileKind::Csv, "CSV 文件 (*.csv)", "csv"},
    {ReportFileKind::Xlsx, "Excel 工作簿 (*.xlsx)", "xlsx"},
    {ReportFileKind::Html, "网页 (*.html *.htm)", "html"},
    {ReportFileKind::Pdf, "PDF 文件 (*.pdf)", "pdf"},
};

const KindText &textOf(ReportFileKind kind)
{
    for (const KindText &text : kKinds) {
        if (text.kind == kind)
            return text;
    }
    return kKinds[0];
}

} // namespace

bool AskReportFile(QWidget *owner, const QString &caption, const QList<ReportFileKind> &kinds,
                   QString &path, ReportFileKind &kind)
{
    QFileDialog dialog(owner, caption);
    dialog.setObjectName(QStringLiteral("dlgReportFile"));
    // The same dialog on every desktop, and one a test can answer.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList filters;
    for (ReportFileKind each : kinds)
        filters << QString::fromUtf8(textOf(each).filter);
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;

    path = dialog.selectedFiles().constFirst();
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (ReportFileKind each : kinds) {
        if (suffix == QLatin1String(textOf(each).suffix) ||
            (each == ReportFileKind::Html && suffix == QLatin1String("htm"))) {
            kind = each;
            return true;
        }
    }
    kind = kinds.value(qMax(0, filters.indexOf(dialog.selectedNameFilter())), kinds.constFirst());
    path += QLatin1Char('.') + QLatin1String(textOf(kind).suffix);
    return true;
}

void WriteReportRows(const QString &path, TableFileFormat format, const QString &title,
                     const QList<OutputColumn> &columns, const GridControl &grid, long lastRow)
{
    QList<TableFileColumn> fileColumns;
    for (const OutputColumn &column : columns)
        fileColumns << column.file;
    const auto writer = openTableFile(path, format, title, fileColumns);
    QStringList cells;
    for (long row = 1; row <= lastRow; ++row) {
        cells.clear();
        for (const OutputColumn &column : columns)
            cells << grid.text(row, column.gridColumn);
        writer->writeRow(cells);
    }
    writer->finish();
}

void WriteReportPdf(const QString &path, const ReportContent &content, const PageSetup &page)
{
    ReplacedFile file(path);
    ReplacedFileDevice device(file);
    bool painted = false;
    {
        QPdfWriter writer(&device);
        writer.setPageLayout(page.layout());
        writer.setTitle(QFileInfo(path).completeBaseName());
        painted = PaintReport(content, writer);
    }
    device.check();
    if (!painted)
        file.fail(QStringLiteral("不能生成 PDF 页面。"));
    file.commit();
}
