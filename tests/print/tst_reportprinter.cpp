#include "BrowserHarness.h"
#include "Database.h"
#include "GridControl.h"
#include "ModalDriver.h"
#include "NothingLeft.h"
#include "PrintTestKit.h"
#include "TableFiles.h"
#include "TestDatabase.h"
#include "frmDigBrowse.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using kvtest::BrowserHarness;

namespace {

const QString kHeadings = QStringLiteral("常用摘要编码|常用摘要正文|常用摘要助记码|相关科目");

// Pictures to look at by eye, when the environment asks for them.
QString snapshotDir()
{
    const QString dir = qEnvironmentVariable("KVDIGEST_SNAPSHOT_DIR");
    if (!dir.isEmpty())
        QDir().mkpath(dir);
    return dir;
}

void answerFile(kvtest::ModalDriver &driver, const QString &path)
{
    driver.expectDialog([path](QWidget *window) {
        auto *dialog = qobject_cast<QFileDialog *>(window);
        QVERIFY(dialog);
        dialog->selectFile(path);
        static_cast<QDialog *>(dialog)->accept();
    });
}

void addSummaries(DataKit::Database &db, int count)
{
    QList<kvtest::Summary> summaries;
    for (int i = 1; i <= count; ++i)
        summaries.append({QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')),
                          QStringLiteral("第%1条摘要").arg(i), QStringLiteral("D%1TZY").arg(i),
                          ""});
    kvtest::insertSummaries(db, summaries);
}

} // namespace

class tst_ReportPrinter : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void outputWritesWhatTheGridShows_data();
    void outputWritesWhatTheGridShows();
    void printOutputAndPreviewShowThePages();
    void setupChoicesStayForLaterJobs();
    void failuresAreTold();
};

void tst_ReportPrinter::init()
{
    // The built-in PDF printer only: a test never reaches a real printer.
    qputenv("KVDIGEST_PRINTER", "pdf");
}

void tst_ReportPrinter::cleanup()
{
    qunsetenv("KVDIGEST_PRINTER");
    KV_VERIFY_NOTHING_LEFT();
}

void tst_ReportPrinter::outputWritesWhatTheGridShows_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("csv") << "listing.csv";
    QTest::newRow("xlsx") << "listing.xlsx";
    QTest::newRow("html") << "listing.html";
    QTest::newRow("ending from the filter") << "listing";
}

void tst_ReportPrinter::outputWritesWhatTheGridShows()
{
    QFETCH(QString, file);
    kvtest::PrintPlace place;
    kvtest::OpenBrowser h;
    // A listing narrowed down prints as shown: the first summary is not in it.
    h.grid().removeRow(1);
    kvtest::ModalDriver driver;
    answerFile(driver, place.file(file));
    h.click("TlbOutput");
    KV_VERIFY_MODALS(driver);
    // Without an ending the first kind offered is written, and its ending added.
    const QString path = place.file(file.contains('.') ? file : file + ".csv");
    const QStringList rows = kvtest::readTable(path);
    QCOMPARE(rows.size(), 32);
    QCOMPARE(rows.at(0), kHeadings);
    QCOMPARE(rows.at(1), QStringLiteral("02|支付货款|ZFHK|应付账款"));
    QVERIFY(rows.last().startsWith(QStringLiteral("32|摘要备注|ZYBZ")));
    // For a while the status line says what was written where.
    const auto *status = h.window().findChild<QLabel *>(QStringLiteral("lblStatus"));
    QVERIFY2(status->text().startsWith(QStringLiteral("已输出 31 条到 ")) &&
                 status->text().endsWith(QFileInfo(path).fileName()),
             qPrintable(status->text()));
    if (file == QLatin1String("listing.csv"))
        QTRY_VERIFY_WITH_TIMEOUT(status->text().startsWith(QStringLiteral("31 条")), 8000);
}

void tst_ReportPrinter::printOutputAndPreviewShowThePages()
{
    kvtest::PrintPlace place;
    BrowserHarness h(kvtest::hostDatabase(false));
    addSummaries(h.db(), 120);
    h.open();
    kvtest::ModalDriver driver;
    answerFile(driver, place.file("printed.pdf"));
    h.click("TlbPrint");
    answerFile(driver, place.file("output.pdf"));
    h.click("TlbOutput");
    int previewPages = 0;
    driver.expectDialog([&previewPages](QWidget *window) {
        auto *preview = window->findChild<QPrintPreviewWidget *>();
        QVERIFY(window->isMaximized());
        QTRY_VERIFY(preview->pageCount() > 0);
        previewPages = preview->pageCount();
        window->resize(900, 700);
        if (const QString dir = snapshotDir(); !dir.isEmpty())
            window->grab().save(dir + "/preview.png");
        qobject_cast<QDialog *>(window)->reject();
    });
    h.click("TlbPreview");
    KV_VERIFY_MODALS(driver);

    const QString text = kvtest::pdfText(place.file("printed.pdf"));
    QCOMPARE(kvtest::pdfText(place.file("output.pdf")), text);
    QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    QVERIFY2(pages.size() >= 3, qPrintable(text));
    const QString year = QString::number(QDate::currentDate().year()) + QStringLiteral("年度");
    int rows = 0;
    for (int i = 0; i < pages.size(); ++i) {
        const QString &page = pages.at(i);
        // The title and year line on the first page only; the strip, headings and number on all.
        QCOMPARE(page.contains(year), i == 0);
        QVERIFY(page.contains(QStringLiteral("打印日期：") +
                              QDate::currentDate().toString(QStringLiteral("yyyy.MM.dd"))));
        QVERIFY(page.contains(QStringLiteral("【禾岚软件】")));
        QVERIFY(page.contains(QStringLiteral("常用摘要助记码")));
        QVERIFY(page.contains(QStringLiteral("第 %1 页 / 共 %2 页").arg(i + 1).arg(pages.size())));
        rows += int(kvtest::matches("(\\d{3}) +第\\d+条摘要", page).size());
    }
    QCOMPARE(rows, 120);
    QCOMPARE(previewPages, pages.size());
    // On a following page the date ends above the table's headings, not on them.
    const QString boxes =
        kvtest::run("pdftotext", {"-bbox", "-f", "2", "-l", "2", place.file("printed.pdf"), "-"});
    const auto edge = [&boxes](const char *which, const QString &word) {
        return kvtest::matches(QStringLiteral("<word [^>]*%1=\"([\\d.]+)\"[^>]*>%2")
                                   .arg(QLatin1String(which), word),
                               boxes)
            .value(0)
            .toDouble();
    };
    QVERIFY(edge("yMax", QStringLiteral("打印日期")) <
            edge("yMin", QStringLiteral("常用摘要编码")));

    if (const QString dir = snapshotDir(); !dir.isEmpty())
        kvtest::run("pdftoppm", {"-png", "-r", "80", "-f", "1", "-l", "2",
                                 place.file("printed.pdf"), dir + "/print-page"});
}

void tst_ReportPrinter::setupChoicesStayForLaterJobs()
{
    kvtest::PrintPlace place;
    kvtest::OpenBrowser h;
    kvtest::ModalDriver driver;
    driver.expectDialog([](QWidget *window) {
        QCOMPARE(window->windowTitle(), QStringLiteral("打印设置"));
        QCOMPARE(window->findChild<QComboBox *>("cboPrinter")->currentText(),
                 QStringLiteral("PDF 文件"));
        window->findChild<QComboBox *>("cboOrientation")->setCurrentIndex(1);
        if (const QString dir = snapshotDir(); !dir.isEmpty())
            window->grab().save(dir + "/setup.png");
        window->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
    h.click("TlbPSetup");
    // Cancelled, the setup changes nothing.
    driver.expectDialog([](QWidget *window) {
        auto *orientation = window->findChild<QComboBox *>("cboOrientation");
        QCOMPARE(orientation->currentText(), QStringLiteral("横向"));
        orientation->setCurrentIndex(0);
        qobject_cast<QDialog *>(window)->reject();
    });
    h.click("TlbPSetup");
    answerFile(driver, place.file("landscape.pdf"));
    h.click("TlbOutput");
    KV_VERIFY_MODALS(driver);
    const auto size = QRegularExpression("Page size: +([\\d.]+) x ([\\d.]+) pts")
                          .match(kvtest::run("pdfinfo", {place.file("landscape.pdf")}));
    QVERIFY(size.hasMatch());
    QVERIFY(size.captured(1).toDouble() > size.captured(2).toDouble());
}

void tst_ReportPrinter::failuresAreTold()
{
    kvtest::PrintPlace place;
    kvtest::OpenBrowser h;
    kvtest::ModalDriver driver;
    const QString unwritable = place.file("missing-folder/listing.xlsx");
    answerFile(driver, unwritable);
    driver.expectDialog([](QWidget *window) {
        auto *box = qobject_cast<QMessageBox *>(window);
        QVERIFY(box);
        QVERIFY2(box->text().startsWith(QStringLiteral("不能写入文件")), qPrintable(box->text()));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        box->button(QMessageBox::Ok)->click();
    });
    h.click("TlbOutput");
    KV_VERIFY_MODALS(driver);

    // No printer at all: preview and print are refused, output still asks for its file.
    qputenv("KVDIGEST_PRINTER", "none");
    driver.expectMessage(QStringLiteral("没有默认打印机，请安装打印机后再试一次！"),
                         QMessageBox::Critical);
    h.click("TlbPreview");
    driver.expectDialog([](QWidget *window) { qobject_cast<QDialog *>(window)->reject(); });
    h.click("TlbOutput");
    KV_VERIFY_MODALS(driver);
    QVERIFY(QDir(place.path()).entryList({"*.xlsx*"}, QDir::Files).isEmpty());
}

KV_TEST_MAIN(tst_ReportPrinter)
#include "tst_reportprinter.moc"
