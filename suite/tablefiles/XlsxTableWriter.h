#pragma once

#include "ReplacedFile.h"
#include "TableFile.h"

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

// An Excel workbook of one sheet named after the title, its columns as wide as their texts, through
// libxlsxwriter in its constant-memory mode: each row goes to the library's temporary file as it is
// written, so a million rows cost no more memory than ten. The library's own writes are unchecked,
// so that file's state is checked after every row and the finished workbook is read back before it
// takes the target's place.
class XlsxTableWriter final : public TableFileWriter
{
public:
    XlsxTableWriter(const QString &path, const QString &title,
                    const QList<TableFileColumn> &columns);
    ~XlsxTableWriter() override;
    void writeRow(const QStringList &cells) override;
    void finish() override;

private:
    void writeCells(const QStringList &cells, lxw_format *format);
    void checkRowFile(bool failed);
    [[noreturn]] void fail(const QString &reason);
    void discard();

    ReplacedFile m_file;
    lxw_workbook *m_workbook = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    lxw_format *m_headingFormat = nullptr;
    QList<double> m_widths; // of each column's widest cell, its heading's included, in characters
    unsigned m_row = 0;
    unsigned m_filledRows = 0; // rows with a cell; the library leaves out the others
};
