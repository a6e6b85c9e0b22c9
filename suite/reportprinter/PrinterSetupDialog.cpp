#include "PrinterSetupDialog.h"

#include "PrinterChoice.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>

namespace {

const QPageSize::PageSizeId kPapers[] = {QPageSize::A4, QPageSize::A3,     QPageSize::A5,
                                         QPageSize::B5, QPageSize::Letter, QPageSize::Legal};

} // namespace

PrinterSetupDialog::PrinterSetupDialog(const QString &printer, const PageSetup &page,
                                       QWidget *parent)
    : QDialog(parent)
    , m_page(page)
    , cboPrinter(new QComboBox(this))
    , cboPaper(new QComboBox(this))
    , cboOrientation(new QComboBox(this))
    , spnCopies(new QSpinBox(this))
{
    setWindowTitle(QStringLiteral("打印设置"));
    setObjectName(QStringLiteral("frmPrinterSetup"));
    cboPrinter->setObjectName(QStringLiteral("cboPrinter"));
    cboPaper->setObjectName(QStringLiteral("cboPaper"));
    cboOrientation->setObjectName(QStringLiteral("cboOrientation"));
    spnCopies->setObjectName(QStringLiteral("spnCopies"));

    // Room for a printer's name as a print server gives it.
    cboPrinter->setMinimumContentsLength(24);
    cboPrinter->addItems(PrinterChoice::available());
    cboPrinter->setCurrentText(printer);
    for (QPageSize::PageSizeId id : kPapers) {
        cboPaper->addItem(QPageSize::name(id), int(id));
        if (id == page.size.id())
            cboPaper->setCurrentIndex(cboPaper->count() - 1);
    }
    cboOrientation->addItems({QStringLiteral("纵向"), QStringLiteral("横向")});
    cboOrientation->setCurrentIndex(page.orientation == QPageLayout::Landscape ? 1 : 0);
    spnCopies->setRange(1, 999);
    spnCopies->setValue(page.copies);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("打印机："), cboPrinter);
    form->addRow(QStringLiteral("纸张："), cboPaper);
    form->addRow(QStringLiteral("方向："), cboOrientation);
    form->addRow(QStringLiteral("份数："), spnCopies);
    form->addRow(buttons);
}

QString PrinterSetupDialog::printer() const
{
    return cboPrinter->currentText();
}

PageSetup PrinterSetupDialog::page() const
{
    PageSetup page = m_page;
    page.size = QPageSize(QPageSize::PageSizeId(cboPaper->currentData().toInt()));
    page.orientation =
        cboOrientation->currentIndex() == 1 ? QPageLayout::Landscape : QPageLayout::Portrait;
    page.copies = spnCopies->value();
    return page;
}
