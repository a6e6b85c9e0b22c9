// Import and export: files written as a spreadsheet program writes them, the report read, the
// stored summaries read back; another user holding a row; the demo host's commands.
#include "BrowserHarness.h"
#include "Database.h"
#include "DigestTransfer.h"
#include "Recordset.h"
#include "TableFiles.h"
#include "TestDatabase.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kHeadings = QStringLiteral("常用摘要编码,常用摘要正文,常用摘要助记码,相关科目");

// One row of every kind, on the demo ledger (01 收到货款 SDHK 1122 is stored).
const QStringList kRows = {
    kHeadings + QStringLiteral(",备注"),
    "01,收到货款,,1122,unchanged",
    "02,支付货款给供应商,,应付账款,changed",
    "",
    "40,\"报销\"\"差旅\"\"费，\n出差\",,6602,quoted with a line break",
    "41,调整分录",
    "42,,,,",
    "43,这条摘要的正文一共有六十一个字这条摘要的正文一共有六十一个字这条摘要的正文一共有六十一个字"
    "这条摘要的正文一共有六十一个字!",
    "44,O'Brien,,,",
    "45,备用金,BY|J,,",
    "46,坏账,,9999,",
    "41,重复的编码,,,",
    "1234567,编码太长,,,",
    ",没有编码,,,"};

const QStringList kRefusals = {
    "第 8 行（编码 42）拒绝：常用摘要正文不能为空，请输入！",
    "第 9 行（编码 43）拒绝：常用摘要正文：字段太长，不能保存！（61 个字符，最多 60 个）",
    "第 10 行（编码 44）拒绝：常用摘要正文：单元格中存在非法字符，请重新录入！",
    "第 11 行（编码 45）拒绝：常用摘要助记码：单元格中存在非法字符，请重新录入！",
    "第 12 行（编码 46）拒绝：相关科目：非法科目！（9999）",
    "第 13 行（编码 41）拒绝：常用摘要编码与第 7 行重复",
    "第 14 行（编码 1234567）拒绝：常用摘要编码：字段太长，不能保存！（7 个字符，最多 6 个）",
    "第 15 行（编码 ）拒绝：常用摘要编码不能为空，请输入！"};

QString writeFile(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("summaries.csv"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

// The rows as a spreadsheet program saves them: CR LF, in UTF-8 (with or without its byte order
// mark) or in GB18030.
QByteArray encoded(const QStringList &rows, const QString &encoding)
{
    const QByteArray utf8 = (rows.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
    if (encoding == QLatin1String("GB18030")) {
        QProcess iconv;
        iconv.start(QStringLiteral("iconv"), {"-f", "UTF-8", "-t", "GB18030"});
        iconv.write(utf8);
        iconv.closeWriteChannel();
        iconv.waitForFinished();
        return iconv.readAllStandardOutput();
    }
    return encoding == QLatin1String("UTF-8 BOM") ? "\xEF\xBB\xBF" + utf8 : utf8;
}

ImportReport import(const std::shared_ptr<DataKit::Database> &db, const QString &path, bool dryRun,
                    bool strict = false)
{
    ImportOptions options;
    options.dryRun = dryRun;
    options.strict = strict;
    return ImportSummaries(db, path, options);
}

} // namespace

class tst_Transfer : public QObject
{
    Q_OBJECT

private slots:
    void dryRunReportsEveryRow();
    void importsTheAcceptedRows_data();
    void importsTheAcceptedRows();
    void nothingHalfWritten_data();
    void nothingHalfWritten();
    void exportReadsBack_data();
    void exportReadsBack();
    void demoHostCommands();
};

void tst_Transfer::dryRunReportsEveryRow()
{
    auto db = kvtest::hostDatabase();
    QTemporaryDir dir;
    const ImportReport report = import(db, writeFile(dir, encoded(kRows, "UTF-8")), true);
    const QStringList counts = {"增加 2 条，修改 1 条，未变 1 条，拒绝 8 条。",
                                "试运行：没有写入数据库。"};
    QCOMPARE(ImportReportLines(report), QStringList{"忽略的列：备注"} + kRefusals + counts);
    QCOMPARE(kvtest::storedCount(*db), 32L);
    QCOMPARE(kvtest::storedSummary(*db, "02").value(1), QStringLiteral("支付货款"));
}

void tst_Transfer::importsTheAcceptedRows_data()
{
    QTest::addColumn<QString>("encoding");
    QTest::newRow("UTF-8") << "UTF-8";
    QTest::newRow("UTF-8 with BOM") << "UTF-8 BOM";
    QTest::newRow("GB18030") << "GB18030";
}

// The refused rows are skipped; the mnemonic is the window's, the account stored by its code.
void tst_Transfer::importsTheAcceptedRows()
{
    QFETCH(QString, encoding);
    auto db = kvtest::hostDatabase();
    QTemporaryDir dir;
    const ImportReport report = import(db, writeFile(dir, encoded(kRows, encoding)), false);
    QCOMPARE(report.outcome, ImportReport::Outcome::Written);
    QCOMPARE(report.encoding, encoding.section(QLatin1Char(' '), 0, 0));
    QCOMPARE(report.refused.size(), 8);
    QCOMPARE(kvtest::storedCount(*db), 34L);
    QCOMPARE(kvtest::storedSummary(*db, "02"),
             (QStringList{"02", "支付货款给供应商", "ZFHKGGYS", "2202"}));
    QCOMPARE(kvtest::storedSummary(*db, "40"),
             (QStringList{"40", "报销\"差旅\"费，\n出差", "BX\"CL\"F，\nCC", "6602"}));
    QCOMPARE(kvtest::storedSummary(*db, "41"), (QStringList{"41", "调整分录", "DZFL", "(null)"}));
}

void tst_Transfer::nothingHalfWritten_data()
{
    QTest::addColumn<QString>("trouble");
    QTest::addColumn<QString>("failure");
    QTest::newRow("strict") << "strict"
                            << "";
    QTest::newRow("row locked") << "locked"
                                << "该记录已被他人锁定使用，不能修改！";
    QTest::newRow("table held") << "held"
                                << "别的用户以独占方式打开数据库，不能打开表！";
    QTest::newRow("heading missing") << "heading"
                                     << "文件的标题行缺少列：常用摘要正文";
    QTest::newRow("not text") << "binary"
                              << "既不是 UTF-8 也不是 GB18030 编码的文本";
}

// A new summary comes first in every file: whatever stops the import, it is not stored.
void tst_Transfer::nothingHalfWritten()
{
    QFETCH(QString, trouble);
    QFETCH(QString, failure);
    auto db = kvtest::hostDatabase();
    auto other = kvtest::anotherConnection();
    std::shared_ptr<DataKit::Recordset> held;
    QStringList rows = {kHeadings, "39,新增一条", "02,支付货款给供应商", "42,,,"};
    if (trouble == QLatin1String("locked")) {
        held = other->OpenRecordset(QStringLiteral("Select * From GL_bDigest Order By cId"));
        held->FindFirst(QStringLiteral("cId='02'"));
        held->Edit();
    } else if (trouble == QLatin1String("held")) {
        kvtest::holdExclusively(*other);
    } else if (trouble == QLatin1String("heading")) {
        rows[0] = QStringLiteral("常用摘要编码,正文");
    }
    QTemporaryDir dir;
    const QByteArray bytes = trouble == QLatin1String("binary") ? QByteArray("\xFF\xFE\x81\x20")
                                                                : encoded(rows, "UTF-8");
    const ImportReport report = import(db, writeFile(dir, bytes), false, trouble == "strict");
    if (failure.isEmpty()) {
        QCOMPARE(report.outcome, ImportReport::Outcome::Strict);
    } else {
        QCOMPARE(report.outcome, ImportReport::Outcome::Failed);
        QVERIFY2(report.failure.contains(failure), qPrintable(report.failure));
    }
    if (held)
        held->CancelUpdate();
    if (trouble == QLatin1String("held"))
        other->Execute(QStringLiteral("ROLLBACK"));
    QVERIFY(kvtest::storedSummary(*db, "39").isEmpty());
    QCOMPARE(kvtest::storedSummary(*db, "02").value(1), QStringLiteral("支付货款"));
}

void tst_Transfer::exportReadsBack_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("CSV") << "summaries.csv";
    QTest::newRow("XLSX") << "summaries.xlsx";
}

// The file holds the listing under the import's headings; a CSV imports back unchanged.
void tst_Transfer::exportReadsBack()
{
    QFETCH(QString, file);
    auto db = kvtest::hostDatabase();
    QTemporaryDir dir;
    const QString path = dir.filePath(file);
    QCOMPARE(ExportSummaries(db, path), 32L);
    const QStringList rows = kvtest::readTable(path);
    QCOMPARE(rows.size(), 33);
    QCOMPARE(rows.mid(0, 2), (QStringList{"常用摘要编码|常用摘要正文|常用摘要助记码|相关科目",
                                          "01|收到货款|SDHK|1122"}));
    if (path.endsWith(QLatin1String(".csv"))) {
        const ImportReport again = import(db, path, false);
        QCOMPARE(again.unchanged, 32L);
        QCOMPARE(again.added + again.changed + again.refused.size(), 0L);
    }
}

// The demo host's commands: the report on standard output, the exit code tells how it went; help
// and version on standard output, a wrong command line refused in one line.
void tst_Transfer::demoHostCommands()
{
    kvtest::hostDatabase();
    QTemporaryDir dir;
    const QString csv = writeFile(dir, encoded(kRows, "GB18030"));
    const auto kvdigest = [](const QStringList &arguments, QString *out = nullptr,
                             QString *err = nullptr) {
        QProcess process;
        process.start(QStringLiteral(KVDIGEST_BIN),
                      arguments + QStringList{"--database", kvtest::currentTarget()});
        process.waitForFinished(60000);
        if (out)
            *out = QString::fromLocal8Bit(process.readAllStandardOutput());
        if (err)
            *err = QString::fromLocal8Bit(process.readAllStandardError());
        return process.exitCode();
    };
    QString out;
    QCOMPARE(kvdigest({"import", csv, "--dry-run"}, &out), 1);
    QVERIFY(out.startsWith(QStringLiteral("文件编码：GB18030\n忽略的列：备注\n")));
    QVERIFY(out.endsWith(QStringLiteral("试运行：没有写入数据库。\n")));
    QCOMPARE(kvdigest({"export", dir.filePath("out.xlsx")}, &out), 0);
    QCOMPARE(out, QStringLiteral("已导出 32 条常用摘要到 %1。\n").arg(dir.filePath("out.xlsx")));
    QCOMPARE(kvdigest({"export", dir.filePath("out.txt")}), 5);
    QCOMPARE(kvdigest({"import"}), 2);
    QCOMPARE(kvdigest({"--version"}, &out), 0);
    QCOMPARE(out, QStringLiteral("kvdigest " KVDIGEST_VERSION "\n"));
    QCOMPARE(kvdigest({"--help"}, &out), 0);
    QVERIFY(out.startsWith("usage: kvdigest ") && out.endsWith("kvdigest --help | --version\n"));
    QString err;
    QCOMPARE(kvdigest({"export", csv, "--colour"}, &out, &err), 2);
    QCOMPARE(out + err, QStringLiteral("kvdigest: unknown option or argument: --colour (kvdigest "
                                       "--help shows the usage)\n"));
}

KV_TEST_MAIN(tst_Transfer)
#include "tst_transfer.moc"
