#pragma once

#include <QString>
#include <QStringList>

// The printers a report can go to: the system's, and the built-in PDF printer that writes a file
// the user picks, so that preview and printing work on a machine without any printer.
//
// KVDIGEST_PRINTER changes what is offered: "none" offers nothing (the machine behaves as one with
// no printer at all), "pdf" offers the built-in PDF printer only (the system's printers are left
// alone); unset or anything else offers both.
namespace PrinterChoice {

QString builtInPdf();
bool isBuiltInPdf(const QString &name);
// The system's printers, then the built-in PDF printer.
QStringList available();
// The system's default printer, else the built-in PDF printer; "" when nothing is offered.
QString systemDefault();

} // namespace PrinterChoice
