#include "ReportPrinterImpl.h"

#include "DataKitError.h"
#include "GridControl.h"
#include "MessageBox.h"
#include "PrinterChoice.h"
#include "PrinterSetupDialog.h"

#include <QApplication>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

// Writing a long report takes a while: the pointer says so.
class BusyCursor
{
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

constexpr int kFailed = 1;
constexpr int kWrap = 2;

TableFileFormat formatOf(ReportFileKind kind)
{
    switch (kind) {
    case ReportFileKind::Xlsx:
        return TableFileFormat::Xlsx;
    case ReportFileKind::Html:
        return TableFileFormat::Html;
    default:
        return TableFileFormat::Csv;
    }
}

} // namespace

void ReportPrinterImpl::setOwnerWindow(QWidget *owner)
{
    m_owner = owner;
}

QString ReportPrinterImpl::printerName() const
{
    if (!m_printer.isEmpty() && PrinterChoice::available().contains(m_printer))
        return m_printer;
    return PrinterChoice::systemDefault();
}

void ReportPrinterImpl::setCellPadding(short points)
{
    m_cellPadding = points;
}

void ReportPrinterImpl::setPrintSwitch(bool on)
{
    m_printSwitch = on;
}

void ReportPrinterImpl::setLayoutDatabase(const QString &path)
{
    m_database = path;
}

void ReportPrinterImpl::setLayoutTable(const QString &table)
{
    m_table = table;
}

QString ReportPrinterImpl::layoutTable() const
{
    return m_table;
}

void ReportPrinterImpl::setFollowingLayoutTable(const QString &table)
{
    m_followingTable = table;
}

void ReportPrinterImpl::attachGrid(GridControl *grid)
{
    m_grid = grid;
}

int ReportPrinterImpl::printerSetup(short &copies, short &orientation, QString &printer)
{
    PageSetup page = m_page;
    if (copies > 0)
        page.copies = copies;
    if (orientation == 1 || orientation == 2)
        page.orientation = orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait;
    PrinterSetupDialog dialog(printer.isEmpty() ? printerName() : printer, page, m_owner);
    if (dialog.exec() != QDialog::Accepted)
        return kCancelled;
    m_page = dialog.page();
    m_printer = dialog.printer();
    copies = short(m_page.copies);
    orientation = m_page.orientation == QPageLayout::Landscape ? 2 : 1;
    printer = m_printer;
    return 0;
}

void ReportPrinterImpl::setTableOffsets(int left, int top, int bottom)
{
    m_tableLeft = left;
    m_tableTop = top;
    m_tableBottom = bottom;
}

void ReportPrinterImpl::setLastHeaderColumn(int column)
{
    m_lastHeaderColumn = column;
}

void ReportPrinterImpl::setColumnWidth(int column, int hundredthsCm, int fit)
{
    m_columns.insert(column, {hundredthsCm, fit});
}

void ReportPrinterImpl::setMargins(int left, int top, int right, int bottom)
{
    m_page.marginsMm = QMarginsF(left, top, right, bottom);
}

int ReportPrinterImpl::preview()
{
    try {
        const ReportContent pages = content();
        QPrinter printer(QPrinter::HighResolution);
        preparePrinter(printer);
        QPrintPreviewDialog dialog(&printer, m_owner);
        dialog.setWindowTitle(QStringLiteral("打印预览"));
        // A page is read at its size, not in a small window at a fraction of it.
        dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                         [&pages](QPrinter *target) { PaintReport(pages, *target); });
        dialog.exec();
        return 0;
    } catch (const std::exception &) {
        return kFailed;
    }
}

int ReportPrinterImpl::print()
{
    if (!m_printSwitch)
        return kFailed;
    return reported([this] { return printPages(); });
}

int ReportPrinterImpl::outputColumn(int index, const QString &heading, int type, int width)
{
    // Every output column is written as text (type 10), whatever its type.
    Q_UNUSED(type);
    if (index == -1) {
        m_output.clear();
        return 0;
    }
    if (index == -2)
        return reported([this] { return writeOutput(); });
    if (index < 0)
        return kFailed;
    m_output << OutputColumn{index, {heading, width}};
    return 0;
}

ReportContent ReportPrinterImpl::content() const
{
    if (!m_grid)
        throw std::runtime_error("没有指定要打印的表格。");
    ReportContent pages;
    pages.firstPage = LayoutTable::read(m_database, m_table);
    pages.followingPages = m_followingTable == m_table
                               ? pages.firstPage
                               : LayoutTable::read(m_database, m_followingTable);
    pages.grid = m_grid;
    pages.lastRow = lastRow();
    for (long col = 0; col < m_grid->columnCount(); ++col)
        pages.columns << column(col, m_grid->text(0, col));
    pages.font = font();
    pages.cellPaddingPt = m_cellPadding;
    pages.lastHeaderColumn = m_lastHeaderColumn;
    pages.tableLeft = m_tableLeft;
    pages.tableTop = m_tableTop;
    pages.tableBottom = m_tableBottom;
    return pages;
}

ReportColumn ReportPrinterImpl::column(long gridColumn, const QString &heading) const
{
    const ColumnSetting setting = m_columns.value(int(gridColumn));
    return {gridColumn, heading, setting.hundredthsCm / 100.0, setting.fit == kWrap};
}

long ReportPrinterImpl::lastRow() const
{
    long row = m_grid->rowCount() - 1;
    for (; row >= 1; --row) {
        for (long col = 0; col < m_grid->columnCount(); ++col) {
            if (!m_grid->text(row, col).isEmpty())
                return row;
        }
    }
    return 0;
}

void ReportPrinterImpl::preparePrinter(QPrinter &printer) const
{
    const QString name = printerName();
    if (name.isEmpty() || PrinterChoice::isBuiltInPdf(name))
        printer.setOutputFormat(QPrinter::PdfFormat);
    else
        printer.setPrinterName(name);
    printer.setPageLayout(m_page.layout());
    printer.setCopyCount(m_page.copies);
}

int ReportPrinterImpl::printPages()
{
    const ReportContent pages = content();
    const QString name = printerName();
    if (name.isEmpty())
        throw std::runtime_error("没有可用的打印机。");
    if (PrinterChoice::isBuiltInPdf(name)) {
        QString path;
        ReportFileKind kind = ReportFileKind::Pdf;
        if (!AskReportFile(m_owner, QStringLiteral("打印到 PDF 文件"), {ReportFileKind::Pdf}, path,
                           kind))
            return kCancelled;
        const BusyCursor busy;
        WriteReportPdf(path, pages, m_page);
        return 0;
    }
    const BusyCursor busy;
    QPrinter printer(QPrinterInfo::printerInfo(name), QPrinter::HighResolution);
    preparePrinter(printer);
    if (!PaintReport(pages, printer))
        throw std::runtime_error(QStringLiteral("打印机“%1”不能打印。").arg(name).toStdString());
    return 0;
}

int ReportPrinterImpl::writeOutput()
{
    m_writtenFile.clear();
    if (!m_grid)
        throw std::runtime_error("没有指定要打印的表格。");
    QString path;
    ReportFileKind kind = ReportFileKind::Csv;
    if (!AskReportFile(
            m_owner, QStringLiteral("输出到文件"),
            {ReportFileKind::Csv, ReportFileKind::Xlsx, ReportFileKind::Html, ReportFileKind::Pdf},
            path, kind))
        return kCancelled;
    const BusyCursor busy;
    if (kind == ReportFileKind::Pdf) {
        ReportContent pages = content();
        pages.columns.clear();
        for (const OutputColumn &output : m_output)
            pages.columns << column(output.gridColumn, output.file.heading);
        WriteReportPdf(path, pages, m_page);
    } else {
        // The title is the first text of the first page's decoration.
        const QString title = content().firstPage.items(0).value(0).text.trimmed();
        WriteReportRows(path, formatOf(kind),
                        title.isEmpty() ? QFileInfo(path).completeBaseName() : title, m_output,
                        *m_grid, lastRow());
    }
    m_writtenFile = path;
    return 0;
}

int ReportPrinterImpl::reported(const std::function<int()> &step) const
{
    QString message;
    try {
        return step();
    } catch (const TableFileError &error) {
        message = error.message();
    } catch (const DataKit::Error &error) {
        message = QStringLiteral("不能读取打印格式：") + error.description();
    } catch (const std::exception &error) {
        message = QString::fromUtf8(error.what());
    }
    MsgBox(m_owner, message, QStringLiteral("提示信息"), MsgIcon::Error);
    return kFailed;
}
