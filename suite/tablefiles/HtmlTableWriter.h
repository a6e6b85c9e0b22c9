#pragma once

#include "ReplacedFile.h"
#include "TableFile.h"

// A web page in Chinese holding the table under its title, UTF-8, every cell escaped.
class HtmlTableWriter final : public TableFileWriter
{
public:
    HtmlTableWriter(const QString &path, const QString &title,
                    const QList<TableFileColumn> &columns);
    void writeRow(const QStringList &cells) override;
    void finish() override;

private:
    ReplacedFile m_file;
};
