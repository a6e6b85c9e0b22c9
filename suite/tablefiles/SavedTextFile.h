#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

// A UTF-8 text file written through a temporary file beside it that takes the file's name only
// when complete, so a failed write never leaves half a file in place of an old one. Failures throw
// TableFileError.
class SavedTextFile
{
public:
    explicit SavedTextFile(const QString &path);
    void write(const QString &text);
    void write(const QByteArray &bytes);
    void commit();

private:
    [[noreturn]] void fail();

    QSaveFile m_file;
};
