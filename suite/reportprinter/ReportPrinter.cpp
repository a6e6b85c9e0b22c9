#include "ReportPrinter.h"

#include "ReportPrinterImpl.h"

namespace {

ReportPrinter::Factory &installedFactory()
{
    static ReportPrinter::Factory factory;
    return factory;
}

} // namespace

std::unique_ptr<ReportPrinter> ReportPrinter::create()
{
    if (installedFactory())
        return installedFactory()();
    return std::make_unique<ReportPrinterImpl>();
}

void ReportPrinter::setFactory(Factory factory)
{
    installedFactory() = std::move(factory);
}
