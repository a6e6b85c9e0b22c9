#pragma once

#include "LayoutTable.h"

#include <QFont>
#include <QFontMetricsF>
#include <QList>
#include <QString>
#include <vector>

class GridControl;
class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

// One printed column: the grid column it shows, its heading and width, and whether a text too
// long for it wraps onto further lines (else it is cut short with an ellipsis).
struct ReportColumn
{
    long gridColumn = 0;
    QString heading;
    double widthCm = 0;
    bool wrap = false;
};

// Everything a report's pages show.
struct ReportContent
{
    LayoutTable firstPage;
    LayoutTable followingPages;
    const GridControl *grid = nullptr;
    long lastRow = 0; // grid rows 1 to lastRow are printed
    QList<ReportColumn> columns;
    QFont font;
    double cellPaddingPt = 0;
    int lastHeaderColumn = -1;
    int tableLeft = 0; // twips, like the layout
    int tableTop = 0;
    int tableBottom = 0;
};

// A report laid out on a paged device. Every page has section 1 of its layout at the top, the
// column headings, as many rows as fit and its page number at the foot; the first page has
// section 0 above its headings. Sections sit at their own place from the printable area's corner,
// their widths stretched or shrunk to the table's. A table wider than the page shrinks to fit; the
// type keeps its size. Rows are measured first, because every page tells the page count, and then
// painted page after page: only the row heights are held, never the pages.
class ReportPages
{
public:
    ReportPages(const ReportContent &content, const QPaintDevice &device);

    int pageCount() const { return int(m_pageStarts.size()); }
    // Paints every page, starting a new one between them; false when the device refused a page.
    bool paint(QPainter &painter, QPagedPaintDevice &device) const;

private:
    double twipsToX(double twips) const;
    double toY(double twips) const;
    double bodyTop(int page) const;
    double textBottom(const LayoutTable &layout, int section, const QPaintDevice &device) const;
    double bodyBottom() const;
    double cellWidth(int column) const;
    double textHeight(const QFontMetricsF &metrics, const ReportColumn &column, double width,
                      const QString &text) const;
    double rowHeight(long row) const;
    void paginate();

    void paintSection(QPainter &painter, const LayoutTable &layout, int section) const;
    void paintHeadings(QPainter &painter, double y) const;
    void paintRow(QPainter &painter, long row, double y) const;
    void paintCell(QPainter &painter, const QRectF &cell, const ReportColumn &column,
                   const QString &text, const QFontMetricsF &metrics, bool centred) const;
    void paintRules(QPainter &painter, double top, const std::vector<double> &rowEdges) const;
    void paintPageNumber(QPainter &painter, int page) const;

    const ReportContent &m_content;
    double m_dpiX;
    double m_dpiY;
    double m_pageWidth;
    double m_pageHeight;
    double m_layoutScale = 1;
    QFont m_headingFont;
    QFontMetricsF m_metrics;
    QFontMetricsF m_headingMetrics;
    double m_padX;
    double m_padY;
    // Where the texts of the page decoration end as painted (a font taller than its box reaches
    // below it): on the first page and on the others.
    double m_firstTextBottom = 0;
    double m_followingTextBottom = 0;
    std::vector<double> m_edges; // left edge of every column, then the table's right edge
    double m_headingHeight = 0;
    double m_footerHeight = 0;
    std::vector<double> m_heights; // of rows 1 to lastRow
    std::vector<long> m_pageStarts;
};

// Paints the whole report on the device; false when it cannot be painted on.
bool PaintReport(const ReportContent &content, QPagedPaintDevice &device);
