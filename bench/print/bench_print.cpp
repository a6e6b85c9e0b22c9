// One output job (the Output button's) over a listing of 100,000 summaries by default, through the
// real report printer: the layout table written, the file dialog answered, the file written. Prints
// the time, the file's size and the peak memory before and after the job: pages are streamed, so
// the job should add little to what the filled grid already takes. One format per run, so that the
// peaks do not hide each other. Runs offscreen unless QT_QPA_PLATFORM says otherwise.
#include "Database.h"
#include "Fonts.h"
#include "GridControl.h"
#include "PrintDatabase.h"
#include "PrintListing.h"
#include "ReportPrinter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <sys/resource.h>

namespace {

const QString kTexts[] = {
    QStringLiteral("收到货款"),
    QStringLiteral("支付工资"),
    QStringLiteral("报销差旅费"),
    QStringLiteral("计提本月折旧"),
    QStringLiteral("结转主营业务成本"),
    QStringLiteral("缴纳增值税及附加"),
    // A text of sixty characters, which wraps in its column.
    QStringLiteral("收到客户甲公司支付的上月货款及运输费用，已存入基本存款账户，"
                   "开具增值税专用发票一张，附银行回单"),
};

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void fill(GridControl &grid, long rows)
{
    grid.setColumnCount(4);
    const int widths[] = {2800, 5500, 4000, 2500};
    const char *const headings[] = {"常用摘要编码", "常用摘要正文", "常用摘要助记码", "相关科目"};
    for (int col = 0; col < 4; ++col) {
        grid.setColumnWidth(col, widths[col]);
        grid.setText(0, col, QString::fromUtf8(headings[col]));
    }
    grid.setRedraw(false);
    grid.setRowCount(rows + 2);
    for (long row = 1; row <= rows; ++row) {
        grid.setText(row, 0, QString::number(row).rightJustified(6, u'0'));
        grid.setText(row, 1, kTexts[row % std::size(kTexts)]);
        grid.setText(row, 2, QStringLiteral("SDHK"));
        grid.setText(row, 3, QStringLiteral("银行存款"));
    }
    grid.setRedraw(true);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    const QStringList args = app.arguments();
    const QString format = args.value(1, QStringLiteral("pdf"));
    const long rows = args.value(2, QStringLiteral("100000")).toLong();
    QTemporaryDir temporary;
    const QString folder = args.value(3, temporary.path());
    const QString path = folder + QStringLiteral("/listing.") + format;

    GridControl grid;
    fill(grid, rows);
    const auto database = OpenPrintDatabase(folder);
    const auto printer = ReportPrinter::create();
    printer->setFont(QFont(QStringLiteral("宋体"), 9));

    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            dialog->selectFile(path);
            static_cast<QDialog *>(dialog)->accept();
        }
    });
    answer.start(10);

    const double before = peakMegabytes();
    QElapsedTimer clock;
    clock.start();
    PrintWindow window{nullptr, 11790, 4500, 5300, printer.get()};
    PrintListing(database, grid, QStringLiteral("常用摘要"), PrintToFile, window);
    const qint64 elapsed = clock.elapsed();

    QTextStream(stdout) << QStringLiteral("%1 rows to %2: %3 ms, %4 MB file; peak memory %5 MB "
                                          "before the job, %6 MB after\n")
                               .arg(rows)
                               .arg(format)
                               .arg(elapsed)
                               .arg(QFileInfo(path).size() / 1048576.0, 0, 'f', 1)
                               .arg(before, 0, 'f', 0)
                               .arg(peakMegabytes(), 0, 'f', 0);
    return QFileInfo::exists(path) ? 0 : 1;
}
