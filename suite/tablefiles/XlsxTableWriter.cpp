#include "XlsxTableWriter.h"

#include "FailureTexts.h"
#include "WorkbookCheck.h"

#include <cerrno>
#include <cstdio>
#include <xlsxwriter.h>

namespace {

// The library reports a failed write of its zip file by a code of its own; errno then still
// tells why when it is one of these.
bool storageError(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EFBIG || error == EIO;
}

// A column's width in the sheet's characters: a Chinese character takes two.
double displayWidth(const QString &text)
{
    double width = 0;
    for (const QChar ch : text)
        width += ch.unicode() >= 0x1100 && !ch.isLowSurrogate() ? 2 : 1;
    return width;
}

constexpr double kMargin = 2;
constexpr double kMaxWidth = 80;

} // namespace

XlsxTableWriter::XlsxTableWriter(const QString &path, const QString &title,
                                 const QList<TableFileColumn> &columns)
    : m_file(path)
{
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    m_workbook = workbook_new_opt(m_file.contentName().constData(), &options);
    if (!m_workbook)
        fail(workbookErrorText(LXW_ERROR_MEMORY_MALLOC_FAILED));
    // A title a sheet cannot be named after (too long, a character such as / or *) leaves the
    // library's own name.
    const QByteArray name = title.toUtf8();
    const bool named = !title.isEmpty() &&
                       workbook_validate_sheet_name(m_workbook, name.constData()) == LXW_NO_ERROR;
    m_sheet = workbook_add_worksheet(m_workbook, named ? name.constData() : nullptr);
    if (!m_sheet)
        fail(workbookErrorText(LXW_ERROR_CREATING_TMPFILE));
    m_headingFormat = workbook_add_format(m_workbook);
    if (!m_headingFormat)
        fail(workbookErrorText(LXW_ERROR_MEMORY_MALLOC_FAILED));
    format_set_bold(m_headingFormat);
    QStringList headings;
    for (const TableFileColumn &column : columns) {
        m_widths << 0;
        headings << column.heading;
    }
    writeCells(headings, m_headingFormat);
}

XlsxTableWriter::~XlsxTableWriter()
{
    discard();
}

void XlsxTableWriter::writeRow(const QStringList &cells)
{
    writeCells(cells, nullptr);
}

void XlsxTableWriter::writeCells(const QStringList &cells, lxw_format *format)
{
    errno = 0; // so that a failure of the library's rows file is not blamed on an earlier call
    bool filled = false;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (cells.at(i).isEmpty())
            continue;
        if (i < m_widths.size())
            m_widths[i] = qMax(m_widths.at(i), displayWidth(cells.at(i)));
        // Always a string: a summary such as =1+1 is text, never a formula.
        const lxw_error error = worksheet_write_string(m_sheet, lxw_row_t(m_row), lxw_col_t(i),
                                                       cells.at(i).toUtf8().constData(), format);
        if (error != LXW_NO_ERROR)
            fail(workbookErrorText(error));
        filled = true;
    }
    ++m_row;
    m_filledRows += filled ? 1 : 0;
    checkRowFile(false);
}

// The library writes the previous row to its temporary file when a new one begins, and never
// looks whether that worked.
void XlsxTableWriter::checkRowFile(bool failed)
{
    if (failed || std::ferror(m_sheet->optimize_tmpfile))
        fail(systemErrorText(errno != 0 ? errno : EIO));
}

void XlsxTableWriter::finish()
{
    // The columns are written out when the workbook closes, so their widths can wait for the
    // widest cell; a long text stops at a width still on the screen.
    for (qsizetype i = 0; i < m_widths.size(); ++i)
        worksheet_set_column(m_sheet, lxw_col_t(i), lxw_col_t(i),
                             qMin(m_widths.at(i) + kMargin, kMaxWidth), nullptr);
    checkRowFile(std::fflush(m_sheet->optimize_tmpfile) != 0);
    errno = 0;
    const lxw_error error = workbook_close(m_workbook);
    m_workbook = nullptr;
    if (error != LXW_NO_ERROR)
        fail(storageError(errno) ? systemErrorText(errno) : workbookErrorText(error));
    if (!WorkbookComplete(m_file.contentName(), m_filledRows))
        fail(QStringLiteral("工作簿没有完整写入，可能是临时文件夹的磁盘空间不足。"));
    m_file.commit();
}

void XlsxTableWriter::fail(const QString &reason)
{
    discard();
    m_file.fail(reason);
}

void XlsxTableWriter::discard()
{
    if (!m_workbook)
        return;
    // Freeing leaves the rows' temporary file open (closing would build the whole workbook).
    if (m_sheet && m_sheet->optimize_tmpfile) {
        std::fclose(m_sheet->optimize_tmpfile);
        m_sheet->optimize_tmpfile = nullptr;
    }
    lxw_workbook_free(m_workbook);
    m_workbook = nullptr;
}
