#pragma once

#include "PageSetup.h"
#include "ReportPages.h"
#include "TableFile.h"

#include <QList>
#include <QString>

class GridControl;
class QWidget;

// The kinds of file a report can be written to.
enum class ReportFileKind { Csv, Xlsx, Html, Pdf };

// One column of a file: the grid column it takes its cells from, its heading and width.
struct OutputColumn
{
    long gridColumn = 0;
    TableFileColumn file;
};

// Asks for the file to write, offering the kinds given (the first preselected). A name without a
// known ending gets the ending of the kind chosen. False when the user cancelled.
bool AskReportFile(QWidget *owner, const QString &caption, const QList<ReportFileKind> &kinds,
                   QString &path, ReportFileKind &kind);

// Writes grid rows 1 to lastRow as a table file under the report's title. Throws TableFileError.
void WriteReportRows(const QString &path, TableFileFormat format, const QString &title,
                     const QList<OutputColumn> &columns, const GridControl &grid, long lastRow);

// Writes the report's pages as a PDF file, page by page. Throws TableFileError.
void WriteReportPdf(const QString &path, const ReportContent &content, const PageSetup &page);
