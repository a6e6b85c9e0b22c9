#pragma once

#include "PageSetup.h"

#include <QDialog>

class QComboBox;
class QSpinBox;

// The report printer's setup: printer, paper, orientation and copies.
class PrinterSetupDialog final : public QDialog
{
    Q_OBJECT

public:
    PrinterSetupDialog(const QString &printer, const PageSetup &page, QWidget *parent);

    QString printer() const;
    PageSetup page() const;

private:
    PageSetup m_page;
    QComboBox *cboPrinter;
    QComboBox *cboPaper;
    QComboBox *cboOrientation;
    QSpinBox *spnCopies;
};
