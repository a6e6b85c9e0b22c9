#include "XlsxTableWriter.h"

#include <QFile>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <xlsxwriter.h>

XlsxTableWriter::XlsxTableWriter(const QString &path, const QList<TableFileColumn> &columns)
    : m_path(path)
{
    // Claiming the temporary name proves the folder writable before any row is asked for.
    QTemporaryFile part(path + QStringLiteral(".XXXXXX"));
    part.setAutoRemove(false);
    if (!part.open())
        throw TableFileError(cannotWriteMessage(path, part.errorString()));
    m_partPath = part.fileName();
    // A temporary file is private to its owner; the workbook is an ordinary document.
    part.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    part.close();

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    m_workbook = workbook_new_opt(QFile::encodeName(m_partPath).constData(), &options);
    if (!m_workbook)
        fail(QStringLiteral("不能建立工作簿。"));
    m_sheet = workbook_add_worksheet(m_workbook, nullptr);
    m_headingFormat = workbook_add_format(m_workbook);
    if (!m_sheet || !m_headingFormat)
        fail(QStringLiteral("不能建立工作表。"));
    format_set_bold(m_headingFormat);
    QStringList headings;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        worksheet_set_column(m_sheet, lxw_col_t(i), lxw_col_t(i), columns.at(i).width, nullptr);
        headings << columns.at(i).heading;
    }
    for (qsizetype i = 0; i < headings.size(); ++i)
        worksheet_write_string(m_sheet, 0, lxw_col_t(i), headings.at(i).toUtf8().constData(),
                               m_headingFormat);
    m_row = 1;
}

XlsxTableWriter::~XlsxTableWriter()
{
    discard();
}

void XlsxTableWriter::writeRow(const QStringList &cells)
{
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (cells.at(i).isEmpty())
            continue;
        const lxw_error error = worksheet_write_string(m_sheet, lxw_row_t(m_row), lxw_col_t(i),
                                                       cells.at(i).toUtf8().constData(), nullptr);
        if (error != LXW_NO_ERROR)
            fail(QString::fromUtf8(lxw_strerror(error)));
    }
    ++m_row;
}

void XlsxTableWriter::finish()
{
    const lxw_error error = workbook_close(m_workbook);
    m_workbook = nullptr;
    if (error != LXW_NO_ERROR)
        fail(QString::fromUtf8(lxw_strerror(error)));
    // rename() puts the new file in place of an old one in one step.
    if (std::rename(QFile::encodeName(m_partPath).constData(),
                    QFile::encodeName(m_path).constData()) != 0)
        fail(QString::fromLocal8Bit(std::strerror(errno)));
    m_partPath.clear();
}

void XlsxTableWriter::fail(const QString &reason)
{
    discard();
    throw TableFileError(cannotWriteMessage(m_path, reason));
}

void XlsxTableWriter::discard()
{
    if (m_workbook) {
        // Closing is the library's only way to free a workbook; the part file goes with it.
        workbook_close(m_workbook);
        m_workbook = nullptr;
    }
    if (!m_partPath.isEmpty()) {
        QFile::remove(m_partPath);
        m_partPath.clear();
    }
}
