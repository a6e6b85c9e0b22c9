#pragma once

#include <QList>
#include <QString>

// One row of a layout table: a section row (type 2) gives a section's place and size, a text item
// (type 0) a text in a box of its section. Lengths in twips.
struct LayoutRow
{
    int type = 0;
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    QString fontName;
    int fontSize = 0;
    QString text;
    int section = 0;
    int alignment = 0;
    QString fontAttr;
};

// The page decoration a job describes in its layout table.
class LayoutTable
{
public:
    static constexpr int kSectionRow = 2;
    static constexpr int kTextItem = 0;

    // Reads the table through a connection of its own; throws DataKit::Error.
    static LayoutTable read(const QString &databasePath, const QString &table);

    // The section's row; a section the table does not describe has no size, at the origin.
    LayoutRow section(int section) const;
    QList<LayoutRow> items(int section) const;
    // The bottom edge of the section, or of a text item reaching below it.
    int sectionBottom(int section) const;
    // The right edge of the widest section.
    int width() const;

private:
    QList<LayoutRow> m_rows;
};
