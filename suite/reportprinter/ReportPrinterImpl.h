#pragma once

#include "PageSetup.h"
#include "ReportFiles.h"
#include "ReportPrinter.h"

#include <QMap>
#include <QPointer>
#include <functional>

class QPrinter;

// The real report printer: preview in Qt's print preview, printing on the system's printers or
// the built-in PDF printer, output to CSV, XLSX, HTML or PDF. Printer, paper, orientation and
// copies chosen in its setup stay for the jobs after.
class ReportPrinterImpl final : public ReportPrinter
{
public:
    void setOwnerWindow(QWidget *owner) override;
    QString printerName() const override;
    void setCellPadding(short points) override;
    void setPrintSwitch(bool on) override;
    void setLayoutDatabase(const QString &path) override;
    void setLayoutTable(const QString &table) override;
    QString layoutTable() const override;
    void setFollowingLayoutTable(const QString &table) override;
    void attachGrid(GridControl *grid) override;
    int printerSetup(short &copies, short &orientation, QString &printer) override;
    void setTableOffsets(int left, int top, int bottom) override;
    void setLastHeaderColumn(int column) override;
    void setColumnWidth(int column, int hundredthsCm, int fit) override;
    void setMargins(int left, int top, int right, int bottom) override;
    int preview() override;
    int print() override;
    int outputColumn(int index, const QString &heading, int type, int width) override;
    QString writtenFile() const override { return m_writtenFile; }

private:
    struct ColumnSetting
    {
        int hundredthsCm = 250;
        int fit = 0;
    };

    // The job's pages: the layout read from its database, the grid's columns and rows. Throws when
    // the layout cannot be read or no grid is attached.
    ReportContent content() const;
    ReportColumn column(long gridColumn, const QString &heading) const;
    // The last grid row to print: the grid's trailing empty rows (its entry row) are left out.
    long lastRow() const;
    void preparePrinter(QPrinter &printer) const;
    int printPages();
    int writeOutput();
    // Runs a print or output step; a failure is told to the user and answered with 1.
    int reported(const std::function<int()> &step) const;

    QPointer<QWidget> m_owner;
    short m_cellPadding = 0;
    bool m_printSwitch = false;
    QString m_database;
    QString m_table;
    QString m_followingTable;
    QPointer<GridControl> m_grid;
    QString m_printer; // chosen in the setup; "" for the system's default
    PageSetup m_page;
    int m_tableLeft = 0;
    int m_tableTop = 0;
    int m_tableBottom = 0;
    int m_lastHeaderColumn = -1;
    QMap<int, ColumnSetting> m_columns;
    QList<OutputColumn> m_output;
    QString m_writtenFile;
};
