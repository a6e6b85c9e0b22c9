#include "BrowserHarness.h"
#include "Database.h"
#include "GridControl.h"
#include "ModalDriver.h"
#include "NothingLeft.h"
#include "PrintLayoutTable.h"
#include "PrintListing.h"
#include "PrintTestKit.h"
#include "TestDatabase.h"
#include "Twips.h"
#include "frmDigBrowse.h"

#include <QAbstractButton>
#include <QDate>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

// Requests of every job between the printer check and the mode's own ones.
QStringList handOver()
{
    return {"padding 6", "switch false", "database", "table", "following true", "grid true"};
}

QStringList columnsAndMargins()
{
    return {"offsets 0 0 0", "headerColumn -1", "width 0 494 2",      "width 1 970 2",
            "width 2 705 2", "width 3 441 2",   "margins 20 20 20 20"};
}

} // namespace

class tst_Print : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void jobWritesSixLayoutRows_data();
    void jobWritesSixLayoutRows();
    void layoutTableRefusesWhatDoesNotFit_data();
    void layoutTableRefusesWhatDoesNotFit();
    void requestsFollowTheMode_data();
    void requestsFollowTheMode();
    void withoutPrintDatabaseEveryJobFails();
    void oldPrintDatabase_data();
    void oldPrintDatabase();
};

void tst_Print::cleanup()
{
    KV_VERIFY_NOTHING_LEFT();
}

void tst_Print::jobWritesSixLayoutRows_data()
{
    QTest::addColumn<QString>("session");
    QTest::addColumn<QString>("file");
    QTest::newRow("session 7") << QStringLiteral("7") << QStringLiteral("QXInit27.MDB");
    QTest::newRow("no session") << QString() << QStringLiteral("QXInit2.MDB");
}

void tst_Print::jobWritesSixLayoutRows()
{
    QFETCH(QString, session);
    QFETCH(QString, file);
    kvtest::PrintPlace place(session);
    kvtest::RecordingPrinterSeat seat;
    kvtest::OpenBrowser h;
    // 786 pixels are 11790 twips at the tests' 96 dots per inch.
    h.window().setWindowState(Qt::WindowNoState);
    h.window().resize(786, 500);
    h.settle();
    QCOMPARE(PixelsToTwips(h.window(), h.window().width()), 11790);
    QCOMPARE(h.window().printDatabase()->target(), place.file(file));

    const QTime started = QTime::currentTime();
    h.click("TlbPreview");
    const kvtest::RecordingPrinter &printer = seat.printer();
    QCOMPARE(printer.database, place.file(file));
    const auto name =
        QRegularExpression(QStringLiteral("^TempPrint_%1(\\d+)(\\d{6})$").arg(session))
            .match(printer.table);
    QVERIFY2(name.hasMatch(), qPrintable(printer.table));
    QVERIFY(name.captured(1).toLongLong() >= 1 && name.captured(1).toLongLong() <= 1000000000);
    const QTime stamp = QTime::fromString(name.captured(2), QStringLiteral("HHmmss"));
    QVERIFY(stamp.isValid() && qAbs(stamp.secsTo(started)) <= 2);

    // The two heading labels are centred on the client width; their lefts go into the layout.
    const auto *title = h.window().findChild<QLabel *>(QStringLiteral("lblTitle1"));
    const auto *year = h.window().findChild<QLabel *>(QStringLiteral("lblTitle2"));
    QCOMPARE(title->x(), (786 - title->width()) / 2);
    QCOMPARE(year->x(), (786 - year->width()) / 2);
    const QDate today = QDate::currentDate();
    QCOMPARE(kvtest::layoutRows(printer.database, printer.table),
             QStringList({
                 "2|0|0|11790|2252| |10| |0|0| ",
                 "2|0|100|11790|500| |0| |1|0| ",
                 QStringLiteral("0|%1|1550|3000|300|宋体|15|常用摘要|0|0|BU")
                     .arg(PixelsToTwips(h.window(), title->x())),
                 QStringLiteral("0|%1|2050|3000|200|宋体|10|%2年度|0|0| ")
                     .arg(PixelsToTwips(h.window(), year->x()))
                     .arg(today.year()),
                 QStringLiteral("0|8290|50|3650|300|宋体|10|打印日期：%1|1|0| ")
                     .arg(today.toString(QStringLiteral("yyyy.MM.dd"))),
                 "0|10590|350|2250|300|宋体|10|【禾岚软件】|1|0| ",
             }));

    // Every job, printer setup included, adds a table of its own.
    h.click("TlbPSetup");
    QCOMPARE(kvtest::layoutTables(printer.database).size(), 2);

    // A title with an apostrophe is stored as it is, not cut short or turned into SQL.
    kvtest::RecordingPrinter other;
    PrintWindow window{&h.window(), 11790, 100, 200, &other};
    PrintListing(h.window().printDatabase(), h.grid(), QStringLiteral("O'Neil's 摘要"),
                 PrintPreview, window);
    QVERIFY(kvtest::layoutRows(other.database, other.table)
                .at(2)
                .contains(QStringLiteral("|O'Neil's 摘要|")));
}

void tst_Print::layoutTableRefusesWhatDoesNotFit_data()
{
    QTest::addColumn<QString>("values");
    QTest::addColumn<bool>("stored");
    const QString longest(255, QLatin1Char('x'));
    QTest::newRow("fits") << QStringLiteral("0,-2147483648,2147483647,0,0,'%1',9,'%2',255,0,'BU'")
                                 .arg(QString(50, QLatin1Char('f')), longest)
                          << true;
    QTest::newRow("text 256") << QStringLiteral("0,0,0,0,0,' ',9,'%1x',0,0,' '").arg(longest)
                              << false;
    QTest::newRow("attributes 5") << "0,0,0,0,0,' ',9,' ',0,0,'BUBUB'" << false;
    QTest::newRow("long past 32 bits") << "0,2147483648,0,0,0,' ',9,' ',0,0,' '" << false;
    QTest::newRow("byte 256") << "0,0,0,0,0,' ',9,' ',256,0,' '" << false;
    QTest::newRow("text for a number") << "0,'abc',0,0,0,' ',9,' ',0,0,' '" << false;
}

void tst_Print::layoutTableRefusesWhatDoesNotFit()
{
    QFETCH(QString, values);
    QFETCH(bool, stored);
    kvtest::PrintPlace place;
    const auto db = DataKit::Database::open(place.file("QXInit27.MDB"), true);
    const QString table = CreateLayoutTable(db);
    QVERIFY(!table.isEmpty());
    const QString insert = " INSERT INTO " + table + " VALUES(" + values + ")";
    if (stored) {
        db->Execute(insert);
        QCOMPARE(kvtest::layoutRows(db->target(), table).size(), 1);
        return;
    }
    try {
        db->Execute(insert);
        QFAIL("stored a value the column cannot hold");
    } catch (const DataKit::Error &error) {
        QCOMPARE(error.number(), long(DataKit::errValidationRule));
    }
    QVERIFY(kvtest::layoutRows(db->target(), table).isEmpty());
    QVERIFY(CreateLayoutTable(nullptr).isEmpty());
}

void tst_Print::requestsFollowTheMode_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("printerName");
    QTest::addColumn<int>("setupAnswer");
    QTest::addColumn<int>("previewAnswer");
    QTest::addColumn<QStringList>("requests");
    QTest::addColumn<QString>("message");

    const QString pdf = QStringLiteral("PDF 文件");
    const QStringList checked{"owner", "printerName"};
    const QStringList setup = QStringList{"owner"} + handOver() + QStringList{"setup 1 0 ''"};
    const QStringList output = QStringList{"owner"} + handOver() + columnsAndMargins() +
                               QStringList{"output -1 '' 0 4",
                                           "output 0 '常用摘要编码' 10 6",
                                           "output 1 '常用摘要正文' 10 60",
                                           "output 2 '常用摘要助记码' 10 40",
                                           "output 3 '相关科目' 10 40",
                                           "output -2 '' 0 0"};
    const QString noPrinter = QStringLiteral("没有默认打印机，请安装打印机后再试一次！");

    QTest::newRow("preview") << "TlbPreview" << pdf << 0 << 0
                             << checked + handOver() + columnsAndMargins() + QStringList{"preview"}
                             << "";
    QTest::newRow("preview fails")
        << "TlbPreview" << pdf << 0 << 1
        << checked + handOver() + columnsAndMargins() + QStringList{"preview"}
        << QStringLiteral("打印设置不正确，无法预览！");
    QTest::newRow("print") << "TlbPrint" << pdf << 0 << 0
                           << checked + handOver() + columnsAndMargins() +
                                  QStringList{"switch true", "print"}
                           << "";
    QTest::newRow("output") << "TlbOutput" << pdf << 0 << 0 << output << "";
    QTest::newRow("setup") << "TlbPSetup" << pdf << 0 << 0 << setup + columnsAndMargins() << "";
    QTest::newRow("setup cancelled") << "TlbPSetup" << pdf << 1002 << 0 << setup << "";
    QTest::newRow("preview, no printer")
        << QStringLiteral("TlbPreview") << QString() << 0 << 0 << checked << noPrinter;
    QTest::newRow("print, no printer")
        << QStringLiteral("TlbPrint") << QString() << 0 << 0 << checked << noPrinter;
    QTest::newRow("output, no printer")
        << QStringLiteral("TlbOutput") << QString() << 0 << 0 << output << "";
    QTest::newRow("setup, no printer")
        << QStringLiteral("TlbPSetup") << QString() << 0 << 0 << setup + columnsAndMargins() << "";
}

void tst_Print::requestsFollowTheMode()
{
    QFETCH(QString, key);
    QFETCH(QString, printerName);
    QFETCH(int, setupAnswer);
    QFETCH(int, previewAnswer);
    QFETCH(QStringList, requests);
    QFETCH(QString, message);
    kvtest::PrintPlace place;
    kvtest::RecordingPrinterSeat seat;
    kvtest::OpenBrowser h;
    kvtest::RecordingPrinter &printer = seat.printer();
    printer.name = printerName;
    printer.setupAnswer = setupAnswer;
    printer.previewAnswer = previewAnswer;

    kvtest::ModalDriver driver;
    if (!message.isEmpty())
        driver.expectMessage(message, previewAnswer ? QMessageBox::Warning : QMessageBox::Critical);
    h.click(key);
    KV_VERIFY_MODALS(driver);
    QCOMPARE(printer.requests, requests);
    QCOMPARE(printer.owner, &h.window());
    // The layout is written before the printer is asked anything, whatever follows.
    const QString file = place.file("QXInit27.MDB");
    const QStringList tables = kvtest::layoutTables(file);
    QCOMPARE(tables.size(), 1);
    QCOMPARE(kvtest::layoutRows(file, tables.first()).size(), 6);
}

void tst_Print::withoutPrintDatabaseEveryJobFails()
{
    kvtest::PrintPlace place;
    // A folder that cannot be made: its parent is a file.
    QFile blocker(place.file("blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("KVDIGEST_SYSTEM_DIR", place.file("blocker/system").toUtf8());
    kvtest::RecordingPrinterSeat seat;
    kvtest::ModalDriver driver;
    QString description;
    driver.expectDialog([&description](QWidget *window) {
        auto *box = qobject_cast<QMessageBox *>(window);
        description = box->text();
        QCOMPARE(box->windowTitle(), QStringLiteral("提示"));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        box->button(QMessageBox::Ok)->click();
    });
    kvtest::OpenBrowser h;
    KV_VERIFY_MODALS(driver);
    QVERIFY2(description.contains(QStringLiteral("QXInit27.MDB")), qPrintable(description));
    QVERIFY(h.window().isVisible());
    QVERIFY(!h.window().printDatabase());

    for (const char *key : {"TlbPreview", "TlbPSetup"}) {
        driver.expectMessage(QStringLiteral("意外错误，请稍后再试一次！"), QMessageBox::Critical);
        h.click(key);
        KV_VERIFY_MODALS(driver);
    }
    QVERIFY(seat.printer().requests.isEmpty());
}

void tst_Print::oldPrintDatabase_data()
{
    QTest::addColumn<bool>("deletable");
    QTest::newRow("replaced") << true;
    QTest::newRow("cannot be deleted") << false;
}

void tst_Print::oldPrintDatabase()
{
    QFETCH(bool, deletable);
    kvtest::PrintPlace place;
    const QString file = place.file("QXInit27.MDB");
    DataKit::Database::open(file, true)->Execute("CREATE TABLE TempPrint_7old (iType INTEGER)");
    // An append-only folder: files can be added and written, none removed, even by root.
    if (!deletable && QProcess::execute("chattr", {"+a", place.path()}) != 0)
        QSKIP("the file system cannot make a folder append-only here");
    const auto release = qScopeGuard([&] { QProcess::execute("chattr", {"-a", place.path()}); });

    kvtest::RecordingPrinterSeat seat;
    kvtest::OpenBrowser h;
    QCOMPARE(kvtest::layoutTables(file), deletable ? QStringList() : QStringList{"TempPrint_7old"});
    h.click("TlbOutput");
    QCOMPARE(kvtest::layoutTables(file).size(), deletable ? 1 : 2);
    QCOMPARE(seat.printer().requests.last(), QStringLiteral("output -2 '' 0 0"));
}

KV_TEST_MAIN(tst_Print)
#include "tst_print.moc"
