#pragma once

#include <QString>
#include <memory>

namespace DataKit {
class Database;
}
class GridControl;
class QWidget;
class ReportPrinter;

// What a print job takes from the window it prints from. Lengths in twips.
struct PrintWindow
{
    QWidget *owner = nullptr;
    int clientWidth = 0;
    int titleLeft = 0; // the hidden title label, centred on the client width
    int yearLeft = 0;  // the hidden year label, likewise
    ReportPrinter *printer = nullptr;
};

// Print modes: preview, print, output to a file, printer setup.
enum PrintMode : short { PrintPreview = 0, PrintOut = 1, PrintToFile = 2, PrintSetup = 3 };

// One print job over the grid: a new layout table in the print database with the page decoration
// (title, year line, print date, footer tag and two section rows), then the report printer asked
// to perform the mode. Tells the user when the layout table cannot be created, when there is no
// printer to preview or print on, and when the preview fails; any other failure is thrown.
void PrintListing(const std::shared_ptr<DataKit::Database> &database, GridControl &grid,
                  const QString &title, short mode, const PrintWindow &window);
