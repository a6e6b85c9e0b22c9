#pragma once

#include "ReplacedFile.h"
#include "TableFile.h"

// A web page holding the table, UTF-8, every cell escaped.
class HtmlTableWriter final : public TableFileWriter
{
public:
    HtmlTableWriter(const QString &path, const QList<TableFileColumn> &columns);
    void writeRow(const QStringList &cells) override;
    void finish() override;

private:
    ReplacedFile m_file;
};
