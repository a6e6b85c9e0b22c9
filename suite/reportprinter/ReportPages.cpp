#include "ReportPages.h"

#include "GridControl.h"

#include <QPagedPaintDevice>
#include <QPainter>

namespace {

constexpr double kTwipsPerInch = 1440;
constexpr double kPointsPerInch = 72;
constexpr double kCmPerInch = 2.54;
// Taller than any cell: the height a wrapped text is measured in.
constexpr double kUnbounded = 1e7;
const QColor kShade(232, 232, 232);

int wrapFlags(const QFontMetricsF &metrics, double width, const QString &text)
{
    // Chinese breaks between any two characters; a long run of letters without a blank would
    // spill into the next column, so such a text breaks anywhere.
    const int words = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;
    if (metrics.boundingRect(QRectF(0, 0, width, kUnbounded), words, text).width() <= width)
        return words;
    return Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWrapAnywhere;
}

QFont itemFont(const LayoutRow &item, const QFont &base)
{
    const QString family = item.fontName.trimmed();
    QFont font(family.isEmpty() ? base.family() : family);
    font.setPointSizeF(item.fontSize > 0 ? item.fontSize : base.pointSizeF());
    font.setBold(item.fontAttr.contains(QLatin1Char('B'), Qt::CaseInsensitive));
    font.setUnderline(item.fontAttr.contains(QLatin1Char('U'), Qt::CaseInsensitive));
    return font;
}

} // namespace

ReportPages::ReportPages(const ReportContent &content, const QPaintDevice &device)
    : m_content(content)
    , m_dpiX(device.logicalDpiX())
    , m_dpiY(device.logicalDpiY())
    , m_pageWidth(device.width())
    , m_pageHeight(device.height())
    , m_headingFont(content.font)
    , m_metrics(content.font, &device)
    , m_headingMetrics(content.font, &device)
    , m_padX(content.cellPaddingPt / 2 * m_dpiX / kPointsPerInch)
    , m_padY(content.cellPaddingPt / 2 * m_dpiY / kPointsPerInch)
{
    m_headingFont.setBold(true);
    m_headingMetrics = QFontMetricsF(m_headingFont, &device);
    m_firstTextBottom =
        qMax(textBottom(content.firstPage, 0, device), textBottom(content.firstPage, 1, device));
    m_followingTextBottom = textBottom(content.followingPages, 1, device);

    double tableWidth = twipsToX(content.tableLeft);
    for (const ReportColumn &column : content.columns)
        tableWidth += column.widthCm * m_dpiX / kCmPerInch;
    const double tableScale = tableWidth > m_pageWidth ? m_pageWidth / tableWidth : 1;
    double x = twipsToX(content.tableLeft) * tableScale;
    m_edges.push_back(x);
    for (const ReportColumn &column : content.columns) {
        x += column.widthCm * m_dpiX / kCmPerInch * tableScale;
        m_edges.push_back(x);
    }

    // The layout is drawn to the window's width, which the listing fills on screen: on paper it
    // spans the table, so the headings stand centred over it and the date ends at its right.
    const double layoutWidth = twipsToX(content.firstPage.width());
    if (layoutWidth > 0 && m_edges.back() > 0)
        m_layoutScale = m_edges.back() / layoutWidth;
    else if (layoutWidth > m_pageWidth)
        m_layoutScale = m_pageWidth / layoutWidth;

    for (int i = 0; i < content.columns.size(); ++i) {
        const ReportColumn &column = content.columns.at(i);
        m_headingHeight = qMax(m_headingHeight,
                               textHeight(m_headingMetrics, column, cellWidth(i), column.heading));
    }
    m_headingHeight += 2 * m_padY;
    m_footerHeight = m_metrics.lineSpacing() * 1.5;

    m_heights.reserve(size_t(qMax(0L, content.lastRow)));
    for (long row = 1; row <= content.lastRow; ++row)
        m_heights.push_back(rowHeight(row));
    paginate();
}

double ReportPages::twipsToX(double twips) const
{
    return twips * m_dpiX / kTwipsPerInch;
}

double ReportPages::toY(double twips) const
{
    return twips * m_dpiY / kTwipsPerInch;
}

double ReportPages::bodyTop(int page) const
{
    const int decoration =
        page == 0 ? qMax(m_content.firstPage.sectionBottom(0), m_content.firstPage.sectionBottom(1))
                  : m_content.followingPages.sectionBottom(1);
    // The table's headings stand clear of the decoration's texts by half a line, however tall
    // their font.
    const double clear =
        (page == 0 ? m_firstTextBottom : m_followingTextBottom) + m_metrics.lineSpacing() / 2;
    return qMax(toY(decoration + m_content.tableTop), clear);
}

double ReportPages::textBottom(const LayoutTable &layout, int section,
                               const QPaintDevice &device) const
{
    const LayoutRow place = layout.section(section);
    double bottom = 0;
    for (const LayoutRow &item : layout.items(section)) {
        const QFontMetricsF metrics(itemFont(item, m_content.font), &device);
        // Centred in its box, as paintSection draws it.
        const double top = toY(place.y + item.y) + (toY(item.h) - metrics.height()) / 2;
        bottom = qMax(bottom, top + metrics.height());
    }
    return bottom;
}

double ReportPages::bodyBottom() const
{
    return m_pageHeight - m_footerHeight - toY(m_content.tableBottom);
}

double ReportPages::cellWidth(int column) const
{
    return m_edges[size_t(column) + 1] - m_edges[size_t(column)] - 2 * m_padX;
}

double ReportPages::textHeight(const QFontMetricsF &metrics, const ReportColumn &column,
                               double width, const QString &text) const
{
    if (!column.wrap || metrics.horizontalAdvance(text) <= width)
        return metrics.height();
    return metrics
        .boundingRect(QRectF(0, 0, width, kUnbounded), wrapFlags(metrics, width, text), text)
        .height();
}

double ReportPages::rowHeight(long row) const
{
    double height = m_metrics.height();
    for (int i = 0; i < m_content.columns.size(); ++i) {
        const ReportColumn &column = m_content.columns.at(i);
        const QFontMetricsF &metrics =
            i <= m_content.lastHeaderColumn ? m_headingMetrics : m_metrics;
        height = qMax(height, textHeight(metrics, column, cellWidth(i),
                                         m_content.grid->text(row, column.gridColumn)));
    }
    return height + 2 * m_padY;
}

void ReportPages::paginate()
{
    m_pageStarts = {1};
    double y = bodyTop(0) + m_headingHeight;
    for (long row = 1; row <= m_content.lastRow; ++row) {
        const double height = m_heights[size_t(row - 1)];
        // A row that fits no page at all still gets one of its own.
        if (y + height > bodyBottom() && row != m_pageStarts.back()) {
            m_pageStarts.push_back(row);
            y = bodyTop(pageCount() - 1) + m_headingHeight;
        }
        y += height;
    }
}

bool ReportPages::paint(QPainter &painter, QPagedPaintDevice &device) const
{
    for (int page = 0; page < pageCount(); ++page) {
        if (page > 0 && !device.newPage())
            return false;
        if (page == 0) {
            paintSection(painter, m_content.firstPage, 1);
            paintSection(painter, m_content.firstPage, 0);
        } else {
            paintSection(painter, m_content.followingPages, 1);
        }
        const double top = bodyTop(page);
        paintHeadings(painter, top);
        std::vector<double> rowEdges{top, top + m_headingHeight};
        const long end =
            page + 1 < pageCount() ? m_pageStarts[size_t(page) + 1] : m_content.lastRow + 1;
        for (long row = m_pageStarts[size_t(page)]; row < end; ++row) {
            paintRow(painter, row, rowEdges.back());
            rowEdges.push_back(rowEdges.back() + m_heights[size_t(row - 1)]);
        }
        paintRules(painter, top, rowEdges);
        paintPageNumber(painter, page);
    }
    return true;
}

void ReportPages::paintSection(QPainter &painter, const LayoutTable &layout, int section) const
{
    const LayoutRow place = layout.section(section);
    for (const LayoutRow &item : layout.items(section)) {
        const QFont font = itemFont(item, m_content.font);
        const QFontMetricsF metrics(font, painter.device());
        const double width = metrics.horizontalAdvance(item.text);
        double x = twipsToX(place.x + item.x) * m_layoutScale;
        const double box = twipsToX(item.w) * m_layoutScale;
        if (item.alignment == 1)
            x += box - width;
        else if (item.alignment == 2)
            x += (box - width) / 2;
        // A text that would reach past the printable width ends at its edge instead.
        x = qMax(0.0, qMin(x, m_pageWidth - width));
        const double y = toY(place.y + item.y) + (toY(item.h) - metrics.height()) / 2;
        painter.setFont(font);
        painter.drawText(QPointF(x, y + metrics.ascent()), item.text);
    }
}

void ReportPages::paintHeadings(QPainter &painter, double y) const
{
    painter.fillRect(QRectF(m_edges.front(), y, m_edges.back() - m_edges.front(), m_headingHeight),
                     kShade);
    painter.setFont(m_headingFont);
    for (int i = 0; i < m_content.columns.size(); ++i) {
        const QRectF cell(m_edges[size_t(i)], y, m_edges[size_t(i) + 1] - m_edges[size_t(i)],
                          m_headingHeight);
        paintCell(painter, cell, m_content.columns.at(i), m_content.columns.at(i).heading,
                  m_headingMetrics, true);
    }
}

void ReportPages::paintRow(QPainter &painter, long row, double y) const
{
    const double height = m_heights[size_t(row - 1)];
    for (int i = 0; i < m_content.columns.size(); ++i) {
        const ReportColumn &column = m_content.columns.at(i);
        const QRectF cell(m_edges[size_t(i)], y, m_edges[size_t(i) + 1] - m_edges[size_t(i)],
                          height);
        const bool heading = i <= m_content.lastHeaderColumn;
        if (heading)
            painter.fillRect(cell, kShade);
        painter.setFont(heading ? m_headingFont : m_content.font);
        paintCell(painter, cell, column, m_content.grid->text(row, column.gridColumn),
                  heading ? m_headingMetrics : m_metrics, false);
    }
}

void ReportPages::paintCell(QPainter &painter, const QRectF &cell, const ReportColumn &column,
                            const QString &text, const QFontMetricsF &metrics, bool centred) const
{
    const QRectF inner = cell.adjusted(m_padX, m_padY, -m_padX, -m_padY);
    const int align = (centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter;
    if (metrics.horizontalAdvance(text) <= inner.width())
        painter.drawText(inner, align, text);
    else if (column.wrap)
        painter.drawText(inner, wrapFlags(metrics, inner.width(), text), text);
    else
        painter.drawText(inner, align, metrics.elidedText(text, Qt::ElideRight, inner.width()));
}

void ReportPages::paintRules(QPainter &painter, double top,
                             const std::vector<double> &rowEdges) const
{
    painter.setPen(QPen(Qt::black, m_dpiX / 144));
    for (double y : rowEdges)
        painter.drawLine(QPointF(m_edges.front(), y), QPointF(m_edges.back(), y));
    for (double x : m_edges)
        painter.drawLine(QPointF(x, top), QPointF(x, rowEdges.back()));
}

void ReportPages::paintPageNumber(QPainter &painter, int page) const
{
    painter.setFont(m_content.font);
    painter.drawText(QRectF(0, m_pageHeight - m_footerHeight, m_pageWidth, m_footerHeight),
                     Qt::AlignCenter,
                     QStringLiteral("第 %1 页 / 共 %2 页").arg(page + 1).arg(pageCount()));
}

bool PaintReport(const ReportContent &content, QPagedPaintDevice &device)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const ReportPages pages(content, device);
    const bool painted = pages.paint(painter, device);
    return painter.end() && painted;
}
