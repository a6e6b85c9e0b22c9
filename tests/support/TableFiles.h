#pragma once

#include <QString>
#include <QStringList>

// Reading back what the component wrote to files.
namespace kvtest {

// What a program prints to standard output.
QString run(const QString &program, const QStringList &arguments);
// The first capture of every match of pattern in text (. matches line breaks too).
QStringList matches(const QString &pattern, const QString &text);
// A written table file read back as rows of "|"-joined cells: CSV (which must begin with the UTF-8
// byte order mark), XLSX (through unzip; a row leaves out empty cells) or HTML.
QStringList readTable(const QString &path);

} // namespace kvtest
