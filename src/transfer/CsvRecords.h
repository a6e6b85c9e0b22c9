#pragma once

#include "ImportRecords.h"

#include <QStringView>

// The records of CSV text (RFC 4180): fields separated by commas, records by CR LF, LF or CR; a
// field in double quotes may hold commas, line breaks and doubled quotes. A field our export
// shielded from spreadsheet formulas ('=1+1) is read back as the text it shields (=1+1).
class CsvRecords final : public ImportRecords
{
public:
    explicit CsvRecords(QStringView text)
        : m_text(text)
    {
    }

    bool next(QStringList &fields, long &line) override;
    double done() const override;

    // A cell as it was before the export shielded it, or the cell itself.
    static QString unshielded(QString cell);

private:
    QString field(bool &endOfRecord);
    void count(qsizetype characters, long quoteLine);

    QStringView m_text;
    qsizetype m_pos = 0;
    long m_line = 1;
    long m_recordLine = 1;
    qsizetype m_recordCharacters = 0;
};
