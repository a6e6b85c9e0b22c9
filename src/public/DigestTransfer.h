#pragma once

#include "prjdigest_export.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace DataKit {
class Database;
}

// Summaries in and out of files, for hosts: a list a firm keeps in a spreadsheet brought in under
// exactly the window's rules and through the kit's write path (so another user's lock refuses it
// clearly), and the stored list written out.

struct ImportOptions
{
    bool dryRun = false; // check and report only; nothing is written
    bool strict = false; // write nothing when any row is refused
    // Called now and then while rows are read and written: rows done, and the share of the file
    // done (0 to 1).
    std::function<void(long rows, double done)> progress;
};

struct ImportRefusal
{
    long line = 0; // where the row begins in the file, from 1
    QString code;
    QString reason;
};

struct ImportReport
{
    enum class Outcome {
        Written, // the accepted rows are stored (all of them, in one transaction)
        DryRun,  // nothing written, as asked
        Strict,  // nothing written: rows were refused and strict was asked
        Failed,  // nothing written: the file, its headings or the database failed (failure)
    };
    Outcome outcome = Outcome::Failed;
    QString encoding; // "UTF-8" or "GB18030"
    QStringList ignoredColumns;
    long added = 0;
    long changed = 0;
    long unchanged = 0;
    QList<ImportRefusal> refused;
    QString failure;
    long failureLine = 0; // the row the database refused, 0 when none
};

// Reads a CSV file (UTF-8 with or without BOM, or GB18030) or the first sheet of a workbook
// (.xlsx, told apart by its bytes) whose heading row names the columns 常用摘要编码 and
// 常用摘要正文, and optionally 常用摘要助记码 and 相关科目 (an account code or name). A row whose
// code is stored changes that summary (only the cells the file has that differ from the row as
// stored); other rows add one. A row with a control or unreadable character, or in UTF-8 within a
// GB18030 file, is refused naming its line; a quote never closed, a line longer than any list of
// summaries holds, or a damaged workbook refuses the whole file. Never throws.
PRJDIGEST_EXPORT ImportReport ImportSummaries(const std::shared_ptr<DataKit::Database> &database,
                                              const QString &path, const ImportOptions &options);

// The report for a person: one line per refused row, then the counts and what was written.
PRJDIGEST_EXPORT QStringList ImportReportLines(const ImportReport &report);

// Writes every stored summary, in listing order, to a CSV file (UTF-8 with BOM) or an XLSX file by
// the file's ending, under the headings the import reads; 相关科目 holds the account code, so the
// file imports back unchanged. Answers how many were written; throws std::exception whose what()
// (UTF-8) says why for a person: an unknown ending, a file that cannot be written, a failed read.
PRJDIGEST_EXPORT long ExportSummaries(const std::shared_ptr<DataKit::Database> &database,
                                      const QString &path);
