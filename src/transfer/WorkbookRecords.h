#pragma once

#include "ImportRecords.h"
#include "SheetNumberFormats.h"
#include "ZipArchive.h"

#include <QXmlStreamReader>

// The rows of a workbook's first sheet (an .xlsx file, as our export and spreadsheet programs save
// it), each with its row number in the sheet, every cell as the text the user sees. The sheet is
// read as a stream; only the shared texts are held whole.
class WorkbookRecords final : public ImportRecords
{
public:
    // Finds the first sheet and reads the shared texts and number formats; throws ImportFileError.
    explicit WorkbookRecords(const QByteArray &bytes);

    bool next(QStringList &fields, long &line) override;
    double done() const override;

private:
    QString cellText(const QString &type, int style);
    QString richText(const QString &element);
    [[noreturn]] void damaged(const ZipEntry &part, const QXmlStreamReader &xml) const;

    ZipArchive m_archive;
    QStringList m_shared;
    SheetNumberFormats m_numbers;
    std::unique_ptr<ZipEntry> m_sheet;
    QXmlStreamReader m_xml;
    long m_lastRow = 0;
};
