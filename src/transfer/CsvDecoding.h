#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

// The text of a CSV file as a spreadsheet program here saves it: UTF-8 (with or without its byte
// order mark) when the bytes are valid UTF-8, otherwise GB 18030.
struct CsvText
{
    QString text;
    QString encoding; // "UTF-8" or "GB18030"; "" when the bytes are neither
    // In a GB 18030 file, the lines whose bytes read as UTF-8 (two files pasted together): taken
    // as GB 18030 they would be stored as mojibake.
    QSet<long> foreignLines;
};

CsvText DecodeCsv(const QByteArray &bytes);
