#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The records of CSV text (RFC 4180): fields separated by commas, records by CR LF, LF or CR; a
// field in double quotes may hold commas, line breaks and doubled quotes.
class CsvRecords final
{
public:
    explicit CsvRecords(QStringView text)
        : m_text(text)
    {
    }

    // The next record and the line it begins on (from 1); false at the end of the text.
    bool next(QStringList &fields, long &line);
    // How much of the text has been read, 0 to 1.
    double done() const;

private:
    QString field(bool &endOfRecord);

    QStringView m_text;
    qsizetype m_pos = 0;
    long m_line = 1;
};
