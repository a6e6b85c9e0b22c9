#pragma once

#include "ReplacedFile.h"
#include "TableFile.h"

// Comma-separated values as spreadsheet programs open them: UTF-8 with a byte order mark (without
// it Chinese comes out garbled), CRLF line ends, fields quoted where they must be.
class CsvTableWriter final : public TableFileWriter
{
public:
    CsvTableWriter(const QString &path, const QList<TableFileColumn> &columns);
    void writeRow(const QStringList &cells) override;
    void finish() override;

    // One field as it is written. A text a spreadsheet program would take for a formula (it
    // begins with = + - @, a tab or a carriage return, perhaps behind apostrophes) gets one
    // apostrophe in front, which the importer takes off again. Then quoted, with its quotes
    // doubled, when it holds a comma, a quote or a line break, or begins or ends with a blank.
    static QString field(const QString &text);

private:
    ReplacedFile m_file;
};
