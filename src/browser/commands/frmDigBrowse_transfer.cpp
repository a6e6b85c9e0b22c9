// Import and export from the window, through the grid's context menu: the same import and export
// as the command line's, with the import's report shown before anything is written.
#include "frmDigBrowse.h"

#include "DigestTransfer.h"
#include "GridControl.h"
#include "MessageBox.h"
#include "StringTable.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString kImportTypes = QStringLiteral("常用摘要文件 (*.csv *.xlsx);;所有文件 (*)");

// Asks for a file to read or to write; "" when the user cancelled.
QString askFile(QWidget *owner, const QString &caption, QFileDialog::AcceptMode mode,
                const QString &types)
{
    QFileDialog dialog(owner, caption);
    dialog.setObjectName(mode == QFileDialog::AcceptOpen ? QStringLiteral("dlgImportFile")
                                                         : QStringLiteral("dlgExportFile"));
    // The same dialog on every desktop, and one a test can answer.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilters(types.split(QStringLiteral(";;")));
    if (mode == QFileDialog::AcceptSave)
        dialog.setDefaultSuffix(QStringLiteral("xlsx"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

// Shows the trial run's report; true when the user chose to write what it found.
bool confirmImport(QWidget *owner, const ImportReport &report)
{
    QDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("dlgImportReport"));
    dialog.setWindowTitle(QStringLiteral("导入常用摘要"));
    auto *text = new QPlainTextEdit(&dialog);
    text->setObjectName(QStringLiteral("txtReport"));
    text->setReadOnly(true);
    text->setPlainText(ImportReportLines(report).join(QLatin1Char('\n')));
    auto *buttons = new QDialogButtonBox(&dialog);
    QPushButton *write = buttons->addButton(QStringLiteral("导入"), QDialogButtonBox::AcceptRole);
    write->setObjectName(QStringLiteral("cmdImport"));
    write->setEnabled(report.added + report.changed > 0);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cmdCancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("文件已检查，还没有写入。单击“导入”按下面的结果写入"
                                                "数据库，单击“取消”什么也不写入。"),
                                 &dialog));
    layout->addWidget(text);
    layout->addWidget(buttons);
    dialog.resize(640, 360);
    return dialog.exec() == QDialog::Accepted;
}

// Runs the import with a progress bar that shows when it takes a while.
ImportReport importWithProgress(QWidget *owner, const std::shared_ptr<DataKit::Database> &database,
                                const QString &path, bool dryRun)
{
    QProgressDialog progress(dryRun ? QStringLiteral("正在检查…") : QStringLiteral("正在导入…"),
                             QString(), 0, 100, owner);
    progress.setObjectName(QStringLiteral("dlgImportProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setCancelButton(nullptr);
    progress.setMinimumDuration(500);
    ImportOptions options;
    options.dryRun = dryRun;
    options.progress = [&progress](long, double done) { progress.setValue(int(done * 100)); };
    ImportReport report = ImportSummaries(database, path, options);
    progress.setValue(100);
    return report;
}

} // namespace

void frmDigBrowse::InitTransferMenu()
{
    QTableView *view = SpGrdDig->view();
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint &at) {
        QMenu menu(this);
        menu.setObjectName(QStringLiteral("mnuTransfer"));
        QAction *import = menu.addAction(QStringLiteral("导入…"), this, [this] { CmdImport(); });
        import->setObjectName(QStringLiteral("mnuImport"));
        QAction *exporting = menu.addAction(QStringLiteral("导出…"), this, [this] { CmdExport(); });
        exporting->setObjectName(QStringLiteral("mnuExport"));
        // A read-only window changes nothing and hands out nothing.
        import->setEnabled(!blnReadOnly);
        exporting->setEnabled(!blnReadOnly);
        menu.exec(view->viewport()->mapToGlobal(at));
    });
}

void frmDigBrowse::CmdImport()
{
    // What is typed in the current row is saved first, as a move away would save it.
    if (!LeaveRowForClosing())
        return;
    const QString path =
        askFile(this, QStringLiteral("导入常用摘要"), QFileDialog::AcceptOpen, kImportTypes);
    if (path.isEmpty())
        return;
    const ImportReport trial = importWithProgress(this, dbs, path, true);
    if (trial.outcome == ImportReport::Outcome::Failed) {
        ShowStop(ImportReportLines(trial).join(QLatin1Char('\n')));
        return;
    }
    if (!confirmImport(this, trial))
        return;
    const ImportReport written = importWithProgress(this, dbs, path, false);
    CmdRefresh();
    if (written.outcome != ImportReport::Outcome::Written) {
        ShowStop(ImportReportLines(written).join(QLatin1Char('\n')));
        return;
    }
    ShowForAWhile(
        QStringLiteral("已导入：增加 %1 条，修改 %2 条。").arg(written.added).arg(written.changed));
}

void frmDigBrowse::CmdExport()
{
    const QString path = askFile(this, QStringLiteral("导出常用摘要"), QFileDialog::AcceptSave,
                                 QStringLiteral("Excel 工作簿 (*.xlsx);;CSV 文件 (*.csv)"));
    if (path.isEmpty())
        return;
    try {
        const long written = ExportSummaries(dbs, path);
        ShowWritten(QStringLiteral("已导出"), written, path);
    } catch (const std::exception &error) {
        ShowStop(QString::fromUtf8(error.what()));
    }
}
