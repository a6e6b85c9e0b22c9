#pragma once

#include <QByteArray>
#include <QString>

// The text of a CSV file as a spreadsheet program here saves it: UTF-8 (with or without its byte
// order mark) when the bytes are valid UTF-8, otherwise GB 18030.
struct CsvText
{
    QString text;
    QString encoding; // "UTF-8" or "GB18030"; "" when the bytes are neither
};

CsvText DecodeCsv(const QByteArray &bytes);
