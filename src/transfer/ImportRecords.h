#pragma once

#include <QString>
#include <QStringList>

#include <stdexcept>

// Why a whole import file is refused (a quote never closed, a line no list of summaries holds, a
// damaged workbook), in words for the user. Nothing of such a file is written.
class ImportFileError : public std::runtime_error
{
public:
    explicit ImportFileError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }
    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

// The rows of an import file one by one, each with the line (or the sheet's row) it begins on.
class ImportRecords
{
public:
    // The most characters a row of any list of summaries takes: four cells of at most 60 and
    // notes beside them. A longer one is a quote left open or no list of summaries at all, and
    // reading on would hold the whole file as one row.
    static constexpr qsizetype kMaxRowCharacters = 10000;

    virtual ~ImportRecords() = default;
    // The next row and its line (from 1); false at the end. Throws ImportFileError.
    virtual bool next(QStringList &fields, long &line) = 0;
    // How much of the file has been read, 0 to 1.
    virtual double done() const = 0;
};
