#include "TableFile.h"

#include "CsvTableWriter.h"
#include "HtmlTableWriter.h"
#include "XlsxTableWriter.h"

#include <QDir>

TableFileError::TableFileError(const QString &message)
    : std::runtime_error(message.toStdString())
    , m_message(message)
{
}

std::unique_ptr<TableFileWriter> openTableFile(const QString &path, TableFileFormat format,
                                               const QString &title,
                                               const QList<TableFileColumn> &columns)
{
    switch (format) {
    case TableFileFormat::Csv:
        return std::make_unique<CsvTableWriter>(path, columns);
    case TableFileFormat::Xlsx:
        return std::make_unique<XlsxTableWriter>(path, title, columns);
    case TableFileFormat::Html:
        return std::make_unique<HtmlTableWriter>(path, title, columns);
    }
    throw TableFileError(cannotWriteMessage(path, QStringLiteral("未知的文件类型。")));
}

QString cannotWriteMessage(const QString &path, const QString &reason)
{
    return QStringLiteral("不能写入文件“%1”：%2").arg(QDir::toNativeSeparators(path), reason);
}
