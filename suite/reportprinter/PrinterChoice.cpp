#include "PrinterChoice.h"

#include <QPrinterInfo>

namespace PrinterChoice {

namespace {

QString setting()
{
    return qEnvironmentVariable("KVDIGEST_PRINTER").trimmed().toLower();
}

} // namespace

QString builtInPdf()
{
    return QStringLiteral("PDF 文件");
}

bool isBuiltInPdf(const QString &name)
{
    return name == builtInPdf();
}

QStringList available()
{
    const QString offer = setting();
    if (offer == QLatin1String("none"))
        return {};
    QStringList names;
    if (offer != QLatin1String("pdf"))
        names = QPrinterInfo::availablePrinterNames();
    names << builtInPdf();
    return names;
}

QString systemDefault()
{
    const QString offer = setting();
    if (offer == QLatin1String("none"))
        return {};
    if (offer != QLatin1String("pdf")) {
        const QString name = QPrinterInfo::defaultPrinterName();
        if (!name.isEmpty())
            return name;
    }
    return builtInPdf();
}

} // namespace PrinterChoice
