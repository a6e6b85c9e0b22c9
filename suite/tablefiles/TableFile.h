#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <stdexcept>

// One column of a table file: its heading and its display width in characters (a workbook's
// columns take the width of their texts instead).
struct TableFileColumn
{
    QString heading;
    int width = 0;
};

enum class TableFileFormat { Csv, Xlsx, Html };

// Why a table file could not be written, in words for the user.
class TableFileError : public std::runtime_error
{
public:
    explicit TableFileError(const QString &message);
    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

// Writes a table file row by row: the heading row first, then each row as it comes, so that a long
// list is never held whole. Cells are text.
class TableFileWriter
{
public:
    virtual ~TableFileWriter() = default;
    virtual void writeRow(const QStringList &cells) = 0;
    // Completes the file. Until then an existing file of the name may still hold its old content.
    virtual void finish() = 0;
};

// Opens the file and writes the heading row; throws TableFileError when the file cannot be
// written, before any row is asked for. The title names a workbook's sheet and heads a web page.
std::unique_ptr<TableFileWriter> openTableFile(const QString &path, TableFileFormat format,
                                               const QString &title,
                                               const QList<TableFileColumn> &columns);

// The message for a file that cannot be written.
QString cannotWriteMessage(const QString &path, const QString &reason);
