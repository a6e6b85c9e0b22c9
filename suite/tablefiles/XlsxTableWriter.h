#pragma once

#include "TableFile.h"

#include <QByteArray>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

// An Excel workbook of one sheet, through libxlsxwriter in its constant-memory mode: each row goes
// to a temporary file as it is written. The workbook is built under a temporary name beside the
// target and takes the target's name only when complete.
class XlsxTableWriter final : public TableFileWriter
{
public:
    XlsxTableWriter(const QString &path, const QList<TableFileColumn> &columns);
    ~XlsxTableWriter() override;
    void writeRow(const QStringList &cells) override;
    void finish() override;

private:
    [[noreturn]] void fail(const QString &reason);
    void discard();

    QString m_path;
    QString m_partPath;
    lxw_workbook *m_workbook = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    lxw_format *m_headingFormat = nullptr;
    unsigned m_row = 0;
};
