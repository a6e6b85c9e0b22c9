#include "LayoutTable.h"

#include "Database.h"
#include "Recordset.h"
#include "SqlText.h"

namespace {

QString text(const DataKit::Recordset &rs, int field)
{
    return rs.Fields(field).toString();
}

int number(const DataKit::Recordset &rs, int field)
{
    return rs.Fields(field).toInt();
}

} // namespace

LayoutTable LayoutTable::read(const QString &databasePath, const QString &table)
{
    const auto database = DataKit::Database::open(databasePath);
    const auto rs = database->OpenRecordset(
        QStringLiteral("SELECT iType, iX, iY, iW, iH, cFontName, iFontSize, cText, iSection, "
                       "iAlignment, cFontAttr FROM ") +
            database->quoteIdentifier(table),
        DataKit::dbOpenSnapshot);
    LayoutTable layout;
    for (; !rs->isEOF(); rs->MoveNext()) {
        LayoutRow row;
        row.type = number(*rs, 0);
        row.x = number(*rs, 1);
        row.y = number(*rs, 2);
        row.w = number(*rs, 3);
        row.h = number(*rs, 4);
        row.fontName = text(*rs, 5);
        row.fontSize = number(*rs, 6);
        row.text = text(*rs, 7);
        row.section = number(*rs, 8);
        row.alignment = number(*rs, 9);
        row.fontAttr = text(*rs, 10);
        layout.m_rows << row;
    }
    return layout;
}

LayoutRow LayoutTable::section(int section) const
{
    for (const LayoutRow &row : m_rows) {
        if (row.type == kSectionRow && row.section == section)
            return row;
    }
    LayoutRow none;
    none.type = kSectionRow;
    none.section = section;
    return none;
}

QList<LayoutRow> LayoutTable::items(int section) const
{
    QList<LayoutRow> found;
    for (const LayoutRow &row : m_rows) {
        if (row.type == kTextItem && row.section == section)
            found << row;
    }
    return found;
}

int LayoutTable::sectionBottom(int section) const
{
    const LayoutRow place = this->section(section);
    int bottom = place.y + place.h;
    for (const LayoutRow &item : items(section))
        bottom = qMax(bottom, place.y + item.y + item.h);
    return bottom;
}

int LayoutTable::width() const
{
    int right = 0;
    for (const LayoutRow &row : m_rows) {
        if (row.type == kSectionRow)
            right = qMax(right, row.x + row.w);
    }
    return right;
}
