// Import and export: files written as a spreadsheet program writes them, the report read, the
// stored summaries read back; another user holding a row; the demo host's commands.
#include "BrowserHarness.h"
#include "Database.h"
#include "DigestTransfer.h"
#include "GridControl.h"
#include "ModalDriver.h"
#include "NothingLeft.h"
#include "Recordset.h"
#include "StoredRows.h"
#include "SummaryImport.h"
#include "TableFiles.h"
#include "TestDatabase.h"
#include "frmDigBrowse.h"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <zip.h>

namespace {

const QString kHeadings = QStringLiteral("常用摘要编码,常用摘要正文,常用摘要助记码,相关科目");

// One row of every kind, on the demo ledger (01 收到货款 SDHK 1122 is stored).
const QStringList kRows = {
    kHeadings + QStringLiteral(",备注"),
    "01,收到货款,,1122,unchanged",
    "02,支付货款给供应商,,应付账款,changed",
    "",
    "40,\"报销\"\"差旅\"\"费，出差\",,6602,quoted",
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
    "第 7 行（编码 42）拒绝：常用摘要正文不能为空，请输入！",
    "第 8 行（编码 43）拒绝：常用摘要正文：字段太长，不能保存！（61 个字符，最多 60 个）",
    "第 9 行（编码 44）拒绝：常用摘要正文：单元格中存在非法字符，请重新录入！",
    "第 10 行（编码 45）拒绝：常用摘要助记码：单元格中存在非法字符，请重新录入！",
    "第 11 行（编码 46）拒绝：相关科目：非法科目！（9999）",
    "第 12 行（编码 41）拒绝：常用摘要编码与第 6 行重复",
    "第 13 行（编码 1234567）拒绝：常用摘要编码：字段太长，不能保存！（7 个字符，最多 6 个）",
    "第 14 行（编码 ）拒绝：常用摘要编码不能为空，请输入！"};

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

// A zip archive of the parts given (name, text).
void writeZip(const QString &path, const QList<std::pair<QString, QString>> &parts)
{
    zip_t *archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
    QList<QByteArray> texts;
    for (const auto &[name, text] : parts) {
        texts << text.toUtf8();
        zip_file_add(archive, name.toUtf8().constData(),
                     zip_source_buffer(archive, texts.last().constData(), texts.last().size(), 0),
                     ZIP_FL_ENC_UTF_8);
    }
    zip_close(archive);
}

ImportReport import(const std::shared_ptr<DataKit::Database> &db, const QString &path, bool dryRun,
                    bool strict = false)
{
    ImportOptions options;
    options.dryRun = dryRun;
    options.strict = strict;
    return ImportSummaries(db, path, options);
}

// What an import of a file into the demo ledger told and left stored.
struct ImportOutcome
{
    QStringList report;
    QStringList stored; // every summary, its cells joined by "|"
};

// The import of path written one way; meanwhile the other user holds a summary ("hold:06") or
// runs a statement after the import has read what is stored and before it writes (the file then
// needs a thousand rows, for the import to say how far it has come).
ImportOutcome importWriting(const QString &path, const QString &meanwhile, ImportWriting writing)
{
    auto db = kvtest::hostDatabase();
    kvtest::OtherUser other;
    ImportOptions options;
    if (meanwhile.startsWith(QLatin1String("hold:"))) {
        other.holdRow(meanwhile.mid(5));
    } else if (!meanwhile.isEmpty()) {
        options.progress = [&](long done, double) {
            if (done == 1000)
                other->Execute(meanwhile);
        };
    }
    ImportOutcome outcome{ImportReportLines(ImportSummariesWriting(db, path, options, writing)),
                          {}};
    other.release();
    for (const QString &code : kvtest::storedCodes(*db))
        outcome.stored << kvtest::storedSummary(*db, code).join(QLatin1Char('|'));
    return outcome;
}

// A thousand new summaries after a file's own rows.
QByteArray thousandMore()
{
    QStringList rows;
    for (int i = 0; i < 1000; ++i)
        rows << QStringLiteral("P%1,填充").arg(i, 4, 10, QLatin1Char('0'));
    return encoded(rows, "UTF-8");
}

} // namespace

class tst_Transfer : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { KV_VERIFY_NOTHING_LEFT(); }
    void dryRunReportsEveryRow();
    void importsTheAcceptedRows_data();
    void importsTheAcceptedRows();
    void nothingHalfWritten_data();
    void nothingHalfWritten();
    void hostileFiles_data();
    void hostileFiles();
    void keepsWhatTheFileDoesNotSay();
    void readsAWorkbookAsShown();
    void exportReadsBack_data();
    void exportReadsBack();
    void demoHostCommands();
    void fromTheWindow_data();
    void fromTheWindow();
    void exportCutShortKeepsTheOldFile();
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
             (QStringList{"40", "报销\"差旅\"费，出差", "BX\"CL\"F，CC", "6602"}));
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
                              << "不是能导入的文件";
}

// A new summary comes first in every file: whatever stops the import, it is not stored.
void tst_Transfer::nothingHalfWritten()
{
    QFETCH(QString, trouble);
    QFETCH(QString, failure);
    auto db = kvtest::hostDatabase();
    kvtest::OtherUser other;
    QStringList rows = {kHeadings, "39,新增一条", "02,支付货款给供应商", "42,,,"};
    if (trouble == QLatin1String("locked")) {
        other.holdRow(QStringLiteral("02"));
    } else if (trouble == QLatin1String("held")) {
        other.holdTable();
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
    other.release();
    QVERIFY(kvtest::storedSummary(*db, "39").isEmpty());
    QCOMPARE(kvtest::storedSummary(*db, "02").value(1), QStringLiteral("支付货款"));
}

void tst_Transfer::hostileFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("said");      // a line of the report
    QTest::addColumn<QString>("stored39");  // the text stored under 39, "" for none
    QTest::addColumn<QString>("meanwhile"); // what the other user does (importWriting)
    const QByteArray head = encoded({kHeadings}, "UTF-8");
    const auto refused = [](const QString &why) {
        return QStringLiteral("第 2 行（编码 39）拒绝：常用摘要正文：") + why;
    };
    QTest::newRow("NUL") << head + QByteArray("39,\xE6\x94\xB6\0\xE5\x88\xB0\r\n", 12)
                         << refused(
                                "单元格中有控制字符 U+0000（第 2 个字符），如换行、制表符，请重新"
                                "录入！")
                         << ""
                         << "";
    QTest::newRow("quoted line break")
        << head + encoded({"39,\"收到\n货款\""}, "UTF-8")
        << refused("单元格中有控制字符 U+000A（第 3 个字符），如换行、制表符，请重新录入！") << ""
        << "";
    QTest::newRow("private use") << head + encoded({"39,收\uE000到"}, "UTF-8")
                                 << refused("单元格中有不能识别的字符 U+E000（第 2 个字符），请重新"
                                            "录入！")
                                 << ""
                                 << "";
    QStringList many = {kHeadings, "38,\"收到货款"};
    for (int i = 100; i < 1098; ++i)
        many << QStringLiteral("%1,摘要").arg(i);
    QTest::newRow("quote never closed")
        << encoded(many + QStringList{"39,备用金"}, "UTF-8")
        << "文件 %1：第 2 行开始的引号没有结束（单元格中的引号要写成两个 \"\"），整个文件没有导入。"
        << ""
        << "";
    QTest::newRow("line of commas")
        << head + encoded({"39,备用金", QString(1000000, QLatin1Char(','))}, "UTF-8")
        << "文件 %1：第 3 行超过 10000 个字符，不是常用摘要的文件，整个文件没有导入。"
        << ""
        << "";
    QTest::newRow("UTF-8 row in GB18030")
        << encoded({kHeadings, "38,收到货款"}, "GB18030") + encoded({"39,备用金"}, "UTF-8")
        << "第 3 行（编码 39）拒绝：这一行是 UTF-8 编码的文字，而文件是 GB18030 编码（两个文件拼在"
           "了一起？），请重新保存这一行"
        << ""
        << "";
    QTest::newRow("formula shielded by the export")
        << head + encoded({"39,'=1+1", "40,'@备注"}, "UTF-8")
        << "增加 2 条，修改 0 条，未变 0 条，拒绝 0 条。"
        << "=1+1"
        << "";
    QTest::newRow("neither text nor workbook")
        << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)
        << "文件 %1：不是能导入的文件。能导入的是 CSV 文件（UTF-8 或 GB18030 编码的文字）和 Excel "
           "工作簿（.xlsx）。"
        << ""
        << "";
    QTest::newRow("damaged workbook")
        << QByteArray("PK\x03\x04\x14\0\0\0\x08\0garbage")
        << "文件 %1：不是完好的 Excel 工作簿（不能打开压缩内容），整个文件没有导入。"
        << ""
        << "";
    QTest::newRow("texts that COPY reads specially")
        << head + encoded({"39,C:\\账\\N\\t"}, "UTF-8")
        << "增加 1 条，修改 0 条，未变 0 条，拒绝 0 条。"
        << "C:\\账\\N\\t"
        << "";

    // The database refuses, or another user's change is to be kept.
    const QByteArray adding39changing06 =
        encoded({kHeadings, "39,备用金", "06,报销办公用品"}, "UTF-8");
    const QByteArray textsOnly =
        encoded({"常用摘要编码,常用摘要正文", "39,备用金", "06,报销办公用品"}, "UTF-8");
    QTest::newRow("summary held by another user") << adding39changing06 << "没有写入数据库。"
                                                  << ""
                                                  << "hold:06";
    QTest::newRow("summary deleted meanwhile")
        << adding39changing06 << "第 3 行写入失败：该摘要已经被他人删除，不能保存！"
        << ""
        << "DELETE FROM GL_bDigest WHERE cId='06'";
    QTest::newRow("code added meanwhile")
        << adding39changing06 << "第 2 行写入失败：该摘要已经存在，不能增加或修改！"
        << "别人的"
        << "INSERT INTO GL_bDigest (cId, cText) VALUES ('39', '别人的')";
    QTest::newRow("account changed meanwhile, no account column")
        << textsOnly << "已写入数据库。"
        << "备用金"
        << "UPDATE GL_bDigest SET cCode='1122' WHERE cId='06'";
    QTest::newRow("mnemonic emptied meanwhile, no mnemonic column")
        << textsOnly << "已写入数据库。"
        << "备用金"
        << "UPDATE GL_bDigest SET chelp=NULL WHERE cId='06'";
    QTest::newRow("empty account stored by another program")
        << encoded({kHeadings, "39,备用金", "06,报销办公用品,,"}, "UTF-8") << "已写入数据库。"
        << "备用金"
        << "UPDATE GL_bDigest SET cCode='' WHERE cId='06'";
}

// Whatever a file holds, nothing of it is stored unchecked: a refused row names its line and
// cell, a file that cannot be read right is refused whole, a row the database refuses is named
// and nothing is written. Written all at once, the file tells and stores exactly what writing it
// row by row (as the window saves) does.
void tst_Transfer::hostileFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, said);
    QFETCH(QString, stored39);
    QFETCH(QString, meanwhile);
    QTemporaryDir dir;
    const QString path = writeFile(dir, meanwhile.isEmpty() ? bytes : bytes + thousandMore());
    const ImportOutcome outcome = importWriting(path, meanwhile, ImportWriting::AllAtOnce);
    const ImportOutcome rowByRow = importWriting(path, meanwhile, ImportWriting::RowByRow);
    QCOMPARE(outcome.report, rowByRow.report);
    QCOMPARE(outcome.stored, rowByRow.stored);
    QVERIFY2(outcome.report.contains(said.contains(QLatin1String("%1")) ? said.arg(path) : said),
             qPrintable(outcome.report.join(QLatin1Char('\n'))));
    const QStringList stored = outcome.stored.filter(QRegularExpression(QStringLiteral("^39\\|")));
    QCOMPARE(stored.value(0).section(QLatin1Char('|'), 1, 1), stored39);
    if (said.startsWith(QStringLiteral("文件 ")))
        QCOMPARE(outcome.stored.size(), 32);
}

// An import writes only what its file says and what differs from the row as locked: another
// user's account change made while the import ran is kept, and so is a mnemonic the file has no
// column for.
void tst_Transfer::keepsWhatTheFileDoesNotSay()
{
    auto db = kvtest::hostDatabase();
    kvtest::OtherUser other;
    // The repeated rows write nothing, so the other user can write before the import's first
    // write, after it has read what is stored.
    QStringList rows = {QStringLiteral("常用摘要编码,常用摘要正文")};
    for (int i = 0; i < 1000; ++i)
        rows << QStringLiteral("01,收到货款");
    rows << QStringLiteral("02,支付货款给供应商");
    QTemporaryDir dir;
    ImportOptions options;
    options.progress = [&](long done, double) {
        if (done == 1000)
            other->Execute(QStringLiteral("UPDATE GL_bDigest SET cCode='1122' WHERE cId='02'"));
    };
    const ImportReport report =
        ImportSummaries(db, writeFile(dir, encoded(rows, "UTF-8")), options);
    QCOMPARE(report.outcome, ImportReport::Outcome::Written);
    QCOMPARE(report.changed, 1L);
    QCOMPARE(kvtest::storedSummary(*db, "02"),
             (QStringList{"02", "支付货款给供应商", "ZFHK", "1122"}));
}

// A workbook as a spreadsheet program saves it: texts shared or inline (a rich text's runs without
// its phonetic guide), a code typed as 01 stored as the number 1 under the format 00, another as a
// plain number, blank rows skipped, lines counted as the sheet's rows.
void tst_Transfer::readsAWorkbookAsShown()
{
    auto db = kvtest::hostDatabase();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("summaries.xlsx"));
    const QString r = QStringLiteral(
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"");
    const QString rel =
        QStringLiteral("<Relationship Id=\"%1\" Type=\"http://schemas.openxmlformats."
                       "org/officeDocument/2006/relationships/%2\" Target=\"%3\"/>");
    writeZip(path,
             {{"xl/workbook.xml",
               "<workbook " + r + "><sheets><sheet name=\"摘要\" sheetId=\"1\" r:id=\"rId1\"/>" +
                   "</sheets></workbook>"},
              {"xl/_rels/workbook.xml.rels",
               "<Relationships>" + rel.arg("rId1", "worksheet", "worksheets/sheet1.xml") +
                   rel.arg("rId2", "sharedStrings", "sharedStrings.xml") +
                   rel.arg("rId3", "styles", "/xl/styles.xml") + "</Relationships>"},
              {"xl/sharedStrings.xml",
               "<sst><si><t>常用摘要编码</t></si><si><t>常用摘要正文</t></si><si><r><t>差旅</t></r>"
               "<r><t>费</t></r><rPh><t>チャ</t></rPh></si></sst>"},
              {"xl/styles.xml", "<styleSheet><numFmts><numFmt numFmtId=\"164\" formatCode=\"00\"/>"
                                "</numFmts><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/>"
                                "</cellXfs></styleSheet>"},
              {"xl/worksheets/sheet1.xml",
               "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c>"
               "<c r=\"B1\" t=\"s\"><v>1</v></c></row><row r=\"3\"><c r=\"A3\" s=\"1\"><v>1</v></c>"
               "<c r=\"B3\" t=\"inlineStr\"><is><t>收到货款</t></is></c></row><row r=\"4\">"
               "<c r=\"B4\" t=\"s\"><v>2</v></c><c r=\"A4\"><v>40</v></c></row><row r=\"5\">"
               "<c r=\"A5\"><v>41</v></c></row></sheetData></worksheet>"}});
    const QStringList lines = ImportReportLines(import(db, path, false));
    QCOMPARE(lines,
             (QStringList{"第 5 行（编码 41）拒绝：常用摘要正文不能为空，请输入！",
                          "增加 1 条，修改 0 条，未变 1 条，拒绝 1 条。", "已写入数据库。"}));
    QCOMPARE(kvtest::storedSummary(*db, "40"), (QStringList{"40", "差旅费", "CLF", "(null)"}));
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
    // Texts a spreadsheet program would take for formulas.
    db->Execute(QStringLiteral("INSERT INTO GL_bDigest (cId, cText, chelp) VALUES ('33', '=1+1', "
                               "'=1+1'), ('34', '+收款', '+SK'), ('35', '-调整', '-TZ'), ('36', "
                               "'@SUM(A1)', '@SUM(A1)')"));
    QTemporaryDir dir;
    const QString path = dir.filePath(file);
    QCOMPARE(ExportSummaries(db, path), 36L);
    const QStringList rows = kvtest::readTable(path);
    QCOMPARE(rows.size(), 37);
    QCOMPARE(rows.mid(0, 2), (QStringList{"常用摘要编码|常用摘要正文|常用摘要助记码|相关科目",
                                          "01|收到货款|SDHK|1122"}));
    const QString shield = path.endsWith(QLatin1String(".csv")) ? QStringLiteral("'") : QString();
    QVERIFY(rows.value(33).startsWith(QStringLiteral("33|%1=1+1|%1=1+1").arg(shield)));
    const ImportReport again = import(db, path, false);
    QCOMPARE(again.unchanged, 36L);
    QCOMPARE(again.added + again.changed + again.refused.size(), 0L);
}

// The demo host's commands: the report on standard output, the exit code tells how it went; help
// and version on standard output, a wrong command line refused in one line.
void tst_Transfer::demoHostCommands()
{
    kvtest::hostDatabase();
    QTemporaryDir dir;
    const QString csv = writeFile(dir, encoded(kRows, "GB18030"));
    // No display, and a data folder of the test's own.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("share")));
    const auto run = [&environment](const QStringList &arguments, QString *out = nullptr,
                                    QString *err = nullptr) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(KVDIGEST_BIN), arguments);
        process.waitForFinished(60000);
        if (out)
            *out = QString::fromLocal8Bit(process.readAllStandardOutput());
        if (err)
            *err = QString::fromLocal8Bit(process.readAllStandardError());
        return process.exitCode();
    };
    // The options before the command here, after it everywhere else.
    const auto kvdigest = [&run](const QStringList &arguments, QString *out = nullptr,
                                 QString *err = nullptr) {
        return run(QStringList{"--database", kvtest::currentTarget()} + arguments, out, err);
    };
    QString out;
    QCOMPARE(kvdigest({"import", csv, "--dry-run"}, &out), 1);
    QVERIFY(out.startsWith(QStringLiteral("文件编码：GB18030\n忽略的列：备注\n")));
    QVERIFY(out.endsWith(QStringLiteral("试运行：没有写入数据库。\n")));
    QCOMPARE(kvdigest({"export", dir.filePath("out.xlsx")}, &out), 0);
    QCOMPARE(out, QStringLiteral("已导出 32 条常用摘要到 %1。\n").arg(dir.filePath("out.xlsx")));
    QCOMPARE(kvdigest({"export", dir.filePath("out.txt")}), 5);
    QCOMPARE(kvdigest({"import"}), 2);
    // A file refused whole, with the line where it went wrong.
    QCOMPARE(
        kvdigest({"import", writeFile(dir, encoded({kHeadings, "39,\"备用金"}, "UTF-8"))}, &out),
        5);
    QVERIFY(out.contains(QStringLiteral("第 2 行开始的引号没有结束")));
    QCOMPARE(kvdigest({"--version"}, &out), 0);
    QCOMPARE(out, QStringLiteral("kvdigest " KVDIGEST_VERSION "\n"));
    QCOMPARE(kvdigest({"--help"}, &out), 0);
    QVERIFY(out.startsWith("usage: kvdigest ") && out.contains("kvdigest --help | --version\n") &&
            out.contains(QStringLiteral("--strict 有任何一行被拒绝时什么也不写入")));
    QString err;
    for (const char *wrong : {"--colour", "--read-only"}) {
        QCOMPARE(kvdigest({"export", csv, QString::fromLatin1(wrong)}, &out, &err), 2);
        QVERIFY2(out.isEmpty() && err.count(QLatin1Char('\n')) == 1, qPrintable(err));
    }
    QCOMPARE(err, QStringLiteral("kvdigest: --read-only goes with the window, not with export "
                                 "(kvdigest --help shows the usage)\n"));
    QCOMPARE(run({"--bogus"}, &out, &err), 2);
    QCOMPARE(err, QStringLiteral("kvdigest: unknown option or argument: --bogus (kvdigest --help "
                                 "shows the usage)\n"));

    // The default ledger: made in the data folder on first use; one an earlier version left a
    // folder deeper is opened where it is.
    if (kvtest::usingPostgres())
        return;
    const QString earlier = dir.filePath(QStringLiteral("share/kvdigest/kvdigest/ledger.db"));
    QDir().mkpath(QFileInfo(earlier).path());
    QVERIFY(QFile::copy(kvtest::currentTarget(), earlier));
    QCOMPARE(run({"import", writeFile(dir, encoded(kRows, "GB18030"))}), 1);
    QCOMPARE(kvtest::storedCount(*DataKit::Database::open(earlier)), 34L);
    QVERIFY(QFile::remove(earlier));
    QCOMPARE(run({"export", dir.filePath("new.csv")}, &out), 0);
    QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("share/kvdigest/ledger.db"))));
}

// An export that cannot be written whole (here a file-size limit, SIGXFSZ ignored) fails in Chinese
// and leaves the old workbook alone, with nothing beside it.
void tst_Transfer::exportCutShortKeepsTheOldFile()
{
    kvtest::hostDatabase();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.xlsx"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("原来的工作簿") > 0);
    old.close();
    QProcess process;
    process.start("sh", {"-c", "trap '' XFSZ; ulimit -f 4; exec \"$0\" \"$@\"", KVDIGEST_BIN,
                         "export", path, "--database", kvtest::currentTarget()});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 5);
    QCOMPARE(QString::fromUtf8(process.readAllStandardError()),
             QStringLiteral("kvdigest: 不能写入文件“%1”：文件超过了允许的大小。\n").arg(path));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(old.readAll()), QStringLiteral("原来的工作簿"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
             QStringList{"big.xlsx"});
}

void tst_Transfer::fromTheWindow_data()
{
    QTest::addColumn<bool>("menuKey"); // the menu key, or the right button
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("right button") << false << false;
    QTest::newRow("menu key") << true << false;
    QTest::newRow("read-only") << false << true;
}

// The grid's context menu imports (the trial's report shown, then written on 导入) and exports,
// with the command line's code; a read-only window offers neither.
void tst_Transfer::fromTheWindow()
{
    QFETCH(bool, menuKey);
    QFETCH(bool, readOnly);
    auto db = kvtest::hostDatabase();
    QTemporaryDir dir;
    const QString csv = writeFile(dir, encoded(kRows, "UTF-8"));
    kvtest::OpenBrowser h(db, readOnly);
    kvtest::ModalDriver driver;
    const auto choose = [&](const char *item) {
        bool enabled = false;
        QTimer menuWatch;
        QObject::connect(&menuWatch, &QTimer::timeout, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            menuWatch.stop();
            QAction *action = menu->findChild<QAction *>(QString::fromLatin1(item));
            enabled = action->isEnabled();
            if (enabled)
                menu->setActiveAction(action);
            QTest::keyClick(menu, enabled ? Qt::Key_Return : Qt::Key_Escape);
        });
        menuWatch.start(10);
        // The right button through the window, which makes its context menu event; the menu key's
        // comes from the platform (none offscreen), so it is sent as the platform sends it.
        QAbstractItemView *view = h.grid().view();
        view->setFocus();
        if (menuKey) {
            QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(40, 40),
                                  view->mapToGlobal(QPoint(40, 40)));
            QApplication::sendEvent(view, &key);
        } else {
            QTest::mouseClick(h.window().windowHandle(), Qt::RightButton, {},
                              view->viewport()->mapTo(&h.window(), QPoint(40, 40)));
        }
        return QTest::qWaitFor([&] { return !menuWatch.isActive(); }) && enabled;
    };
    const auto *status = h.window().findChild<QLabel *>(QStringLiteral("lblStatus"));

    QString report;
    driver.expectDialog([&](QWidget *window) {
        qobject_cast<QFileDialog *>(window)->selectFile(csv);
        qobject_cast<QDialog *>(window)->accept();
    });
    driver.expectDialog([&](QWidget *window) {
        report = window->findChild<QPlainTextEdit *>(QStringLiteral("txtReport"))->toPlainText();
        window->findChild<QPushButton *>(QStringLiteral("cmdImport"))->click();
    });
    QCOMPARE(choose("mnuImport"), !readOnly);
    if (readOnly)
        return;
    KV_VERIFY_MODALS(driver);
    QVERIFY2(report.contains(QStringLiteral("增加 2 条，修改 1 条，未变 1 条，拒绝 8 条。")),
             qPrintable(report));
    QCOMPARE(kvtest::storedSummary(*db, "41").value(1), QStringLiteral("调整分录"));
    QCOMPARE(status->text(), QStringLiteral("已导入：增加 2 条，修改 1 条。"));
    QCOMPARE(h.grid().rowCount(), 36L); // the header, 34 summaries, the blank entry row

    const QString xlsx = dir.filePath(QStringLiteral("exported.xlsx"));
    driver.expectDialog([&](QWidget *window) {
        qobject_cast<QFileDialog *>(window)->selectFile(xlsx);
        qobject_cast<QDialog *>(window)->accept();
    });
    QVERIFY(choose("mnuExport"));
    KV_VERIFY_MODALS(driver);
    QCOMPARE(kvtest::readTable(xlsx).size(), 35);
    QVERIFY2(status->text().startsWith(QStringLiteral("已导出 34 条到 ")),
             qPrintable(status->text()));
}

KV_TEST_MAIN(tst_Transfer)
#include "tst_transfer.moc"
