#pragma once

#include <QHash>
#include <QList>
#include <QString>

class QIODevice;

// How a workbook shows its numbers, from its styles part: a code typed as 01 without a text format
// is stored as the number 1 and shown as 1; under the format 00 it is shown as 01. Numbers are read
// as the text the user sees, for the formats a list of codes uses (General, text, and zeros with
// or without decimals); any other format is read as General.
class SheetNumberFormats final
{
public:
    // Reads the styles part; an empty device (no styles) leaves every number General.
    void read(QIODevice &styles);
    // The number stored as value in a cell of the style (its index among the cell formats).
    QString shown(const QString &value, int style) const;

private:
    QHash<int, QString> m_codes; // the workbook's own formats by id
    QList<int> m_cellFormats;    // style index -> format id
};
