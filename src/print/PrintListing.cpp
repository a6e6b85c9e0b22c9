#include "PrintListing.h"

#include "Database.h"
#include "GridControl.h"
#include "MessageBox.h"
#include "PrintLayoutTable.h"
#include "ReportPrinter.h"
#include "StringTable.h"

#include <QDate>
#include <QStringList>
#include <cmath>

namespace {

// A grid column's width in twips as the printer takes it: hundredths of a centimetre.
constexpr double kTwipsPerCm = 567;

struct OutputColumnDef
{
    int heading; // resource string
    int type;
    int width;
};

const OutputColumnDef kOutputColumns[] = {{3, 10, 6}, {8, 10, 60}, {139, 10, 40}, {111, 10, 40}};

// The title stands between quotes in its statement: its apostrophes are doubled, so that it is
// stored as it is and cannot change the statement.
QString doubledApostrophes(QString value)
{
    return value.replace(QLatin1Char('\''), QLatin1String("''"));
}

QStringList layoutRows(const QString &table, const QString &title, const PrintWindow &window)
{
    const QString head = QStringLiteral(" INSERT INTO ") + table + QStringLiteral(" VALUES(");
    const QString w = QString::number(window.clientWidth);
    const QDate today = QDate::currentDate();
    return {
        head + QStringLiteral("2,0,0,") + w + QStringLiteral(",2252,' ',10,' ',0,0,' ')"),
        head + QStringLiteral("2,0,100,") + w + QStringLiteral(",500,' ',0,' ',1,0,' ')"),
        head + QStringLiteral("0,") + QString::number(window.titleLeft) +
            QStringLiteral(",1550,3000,300,'宋体',15,'") + doubledApostrophes(title) +
            QStringLiteral("',0,0,'BU')"),
        head + QStringLiteral("0,") + QString::number(window.yearLeft) +
            QStringLiteral(",2050,3000,200,'宋体',10,'") + QString::number(today.year()) +
            QStringLiteral("年度") + QStringLiteral("',0,0,' ')"),
        head + QStringLiteral("0,") + QString::number(window.clientWidth - 3500) +
            QStringLiteral(",50,3650,300,'宋体',10,'") + QStringLiteral("打印日期：") +
            today.toString(QStringLiteral("yyyy.MM.dd")) + QStringLiteral("',1,0,' ')"),
        head + QStringLiteral("0,") + QString::number(window.clientWidth - 1200) +
            QStringLiteral(",350,2250,300,'宋体',10,'【禾岚软件】',1,0,' ')"),
    };
}

void showError(const PrintWindow &window, int message)
{
    MsgBox(window.owner, LoadResString(message), LoadResString(17), MsgIcon::Error);
}

void RunReportPrinter(DataKit::Database &database, const QString &table, GridControl &grid,
                      short mode, const PrintWindow &window)
{
    ReportPrinter &printer = *window.printer;
    printer.setOwnerWindow(window.owner);
    if (mode == PrintPreview || mode == PrintOut) {
        if (printer.printerName().isEmpty()) {
            showError(window, 133);
            return;
        }
    }

    printer.setCellPadding(6);
    printer.setPrintSwitch(false);
    printer.setLayoutDatabase(database.target());
    printer.setLayoutTable(table);
    printer.setFollowingLayoutTable(printer.layoutTable());
    printer.attachGrid(&grid);

    if (mode == PrintSetup) {
        short copies = 1;
        short orientation = 0;
        QString printerName;
        if (printer.printerSetup(copies, orientation, printerName) == ReportPrinter::kCancelled)
            return;
    }

    printer.setTableOffsets(0, 0, 0);
    printer.setLastHeaderColumn(int(grid.headerColumnCount()) - 1);
    for (long col = 0; col < grid.columnCount(); ++col)
        printer.setColumnWidth(int(col),
                               int(std::lround(grid.columnWidth(col) / kTwipsPerCm * 100)), 2);
    printer.setMargins(20, 20, 20, 20);

    switch (mode) {
    case PrintPreview:
        if (printer.preview() != 0)
            MsgBox(window.owner, QStringLiteral("打印设置不正确，无法预览！"),
                   QStringLiteral("提示信息"), MsgIcon::Warning);
        break;
    case PrintOut:
        printer.setPrintSwitch(true);
        printer.print();
        break;
    case PrintToFile:
        printer.outputColumn(-1, QString(), 0, int(grid.columnCount()));
        for (int i = 0; i < int(std::size(kOutputColumns)); ++i)
            printer.outputColumn(i, LoadResString(kOutputColumns[i].heading),
                                 kOutputColumns[i].type, kOutputColumns[i].width);
        printer.outputColumn(-2, QString(), 0, 0);
        break;
    default:
        break;
    }
}

} // namespace

void PrintListing(const std::shared_ptr<DataKit::Database> &database, GridControl &grid,
                  const QString &title, short mode, const PrintWindow &window)
{
    const QString table = CreateLayoutTable(database);
    if (table.isEmpty()) {
        showError(window, 132);
        return;
    }
    for (const QString &statement : layoutRows(table, title, window))
        database->Execute(statement);
    RunReportPrinter(*database, table, grid, mode, window);
}
