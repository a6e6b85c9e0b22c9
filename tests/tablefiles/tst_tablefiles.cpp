// The files of the window's output and of the command line's export at hostile targets: a write
// refused, cut short or killed leaves every file as it was and nothing beside it; a written file
// keeps the old one's permissions or takes the umask's. CSV fields never start a formula.
#include "CsvTableWriter.h"
#include "GridControl.h"
#include "KvTestMain.h"
#include "ReportFiles.h"
#include "TableFiles.h"

#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kWriteArgument = QStringLiteral("--write");
constexpr long kRows = 3000;
constexpr uid_t kNobody = 65534;

// The child's side: the window's output of kRows summaries; the failure on standard output.
int writeReport(const QString &format, const QString &path)
{
    GridControl grid;
    grid.setColumnCount(2);
    grid.setRowCount(kRows + 1);
    for (long row = 1; row <= kRows; ++row) {
        grid.setText(row, 0, QString::number(row));
        grid.setText(row, 1, QStringLiteral("第 %1 条常用摘要：收到货款").arg(row));
    }
    const QList<OutputColumn> columns = {{0, {QStringLiteral("编码"), 8}},
                                         {1, {QStringLiteral("正文"), 40}}};
    try {
        if (format == QLatin1String("pdf")) {
            ReportContent content;
            content.grid = &grid;
            content.lastRow = kRows;
            for (const OutputColumn &column : columns)
                content.columns << ReportColumn{column.gridColumn, column.file.heading, 4, false};
            WriteReportPdf(path, content, PageSetup());
        } else {
            const TableFileFormat kind = format == QLatin1String("csv")    ? TableFileFormat::Csv
                                         : format == QLatin1String("xlsx") ? TableFileFormat::Xlsx
                                                                           : TableFileFormat::Html;
            WriteReportRows(path, kind, QStringLiteral("常用摘要"), columns, grid, kRows);
        }
    } catch (const TableFileError &error) {
        QTextStream(stdout) << error.message();
        return 1;
    }
    return 0;
}

// Every entry under the folder: a file's mode and bytes, a link's target.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat status;
        ::lstat(QFile::encodeName(path).constData(), &status);
        QByteArray &entry = entries[QDir(folder).relativeFilePath(path)];
        entry = QByteArray::number(status.st_mode, 8) + ' ';
        if (S_ISLNK(status.st_mode))
            entry += QFile::encodeName(it.fileInfo().symLinkTarget());
        else if (QFile file(path); S_ISREG(status.st_mode) && file.open(QIODevice::ReadOnly))
            entry += file.readAll();
    }
    return entries;
}

} // namespace

class tst_TableFiles : public QObject
{
    Q_OBJECT

private slots:
    void hostileTargets_data();
    void hostileTargets();
    void formulasNeutralised_data();
    void formulasNeutralised();
    void titledAndFitted();
};

void tst_TableFiles::hostileTargets_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("setup");  // shell commands run in the folder first
    QTest::addColumn<QString>("target"); // EXT is the format's ending
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("sizeLimit"); // bytes a file of the child may hold, 0 for no limit
    QTest::addColumn<QString>("child"); // "unprivileged", "killed" (by the size limit) or ""
    QTest::addColumn<QString>("failure");
    QTest::addColumn<int>("mode");
    struct Case
    {
        const char *name, *setup, *target;
        int mask, sizeLimit;
        const char *child, *failure;
        int mode;
    };
    // Root may write anywhere: for the read-only folder the child gives up its privileges.
    const Case cases[] = {
        {"symbolic link", "echo 原来的内容 > other; ln -s other out.EXT", "out.EXT", 022, 0, "",
         "这是一个符号链接", 0},
        {"missing folder", "", "missing/out.EXT", 022, 0, "", "文件夹不存在", 0},
        {"read-only folder", "mkdir ro; chmod 555 ro", "ro/out.EXT", 022, 0, "unprivileged",
         "没有写入权限", 0},
        {"a folder", "mkdir out.EXT", "out.EXT", 022, 0, "", "不是一个普通文件", 0},
        {"old file 0640", "echo 原来的内容 > out.EXT; chmod 640 out.EXT", "out.EXT", 022, 0, "", "",
         0640},
        {"new file, umask 077", "", "out.EXT", 077, 0, "", "", 0600},
        {"cut short", "echo 原来的内容 > out.EXT", "out.EXT", 022, 65536, "",
         "文件超过了允许的大小", 0},
        {"killed", "echo 原来的内容 > out.EXT", "out.EXT", 022, 65536, "killed", "", 0},
    };
    for (const char *format : {"csv", "xlsx", "html", "pdf"}) {
        for (const Case &c : cases) {
            QTest::addRow("%s: %s", format, c.name)
                << QString::fromLatin1(format) << QString::fromUtf8(c.setup) << QString(c.target)
                << c.mask << c.sizeLimit << QString(c.child) << QString::fromUtf8(c.failure)
                << c.mode;
        }
    }
}

void tst_TableFiles::hostileTargets()
{
    QFETCH(QString, format);
    QFETCH(QString, setup);
    QFETCH(QString, target);
    QFETCH(int, mask);
    QFETCH(int, sizeLimit);
    QFETCH(QString, child);
    QFETCH(QString, failure);
    QFETCH(int, mode);
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther);
    QProcess shell;
    shell.setWorkingDirectory(dir.path());
    shell.start("sh", {"-c", setup.replace("EXT", format)});
    QVERIFY(shell.waitForFinished() && shell.exitCode() == 0);
    const QString path = dir.filePath(target.replace("EXT", format));
    auto before = snapshot(dir.path());

    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.setChildProcessModifier([=] {
        ::umask(mode_t(mask));
        const rlimit noCore{0, 0};
        const rlimit size{rlim_t(sizeLimit), rlim_t(sizeLimit)};
        if (sizeLimit > 0 &&
            (::setrlimit(RLIMIT_FSIZE, &size) != 0 || ::setrlimit(RLIMIT_CORE, &noCore) != 0))
            ::_exit(126);
        // Ignored, a write past the limit fails with EFBIG; else the process is killed there.
        if (child != QLatin1String("killed"))
            std::signal(SIGXFSZ, SIG_IGN);
        if (child == QLatin1String("unprivileged") && ::geteuid() == 0 &&
            (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(126);
    });
    process.start(QCoreApplication::applicationFilePath(), {kWriteArgument, format, path});
    QVERIFY(process.waitForFinished(120000));
    const QString message = QString::fromUtf8(process.readAllStandardOutput());

    if (child == QLatin1String("killed")) {
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        QCOMPARE(snapshot(dir.path()), before);
    } else if (!failure.isEmpty()) {
        QCOMPARE(process.exitCode(), 1);
        QVERIFY2(message.startsWith(QStringLiteral("不能写入文件“%1”：").arg(path)) &&
                     message.contains(failure),
                 qPrintable(message));
        const QString reason = message.mid(message.indexOf(QStringLiteral("”：")));
        QVERIFY2(!reason.contains(QRegularExpression("[A-Za-z]")), qPrintable(message));
        QCOMPARE(snapshot(dir.path()), before);
    } else {
        QCOMPARE(process.exitCode(), 0);
        auto after = snapshot(dir.path());
        QVERIFY(after.remove(QDir(dir.path()).relativeFilePath(path)) == 1);
        before.remove(QDir(dir.path()).relativeFilePath(path));
        QCOMPARE(after, before);
        struct stat status;
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &status), 0);
        QCOMPARE(int(status.st_mode & 0777), mode);
        if (format == QLatin1String("pdf")) {
            QFile pdf(path);
            QVERIFY(pdf.open(QIODevice::ReadOnly) && pdf.readAll().startsWith("%PDF-"));
        } else {
            const QStringList rows = kvtest::readTable(path);
            QCOMPARE(rows.size(), kRows + 1);
            QCOMPARE(rows.at(1), QStringLiteral("1|第 1 条常用摘要：收到货款"));
        }
    }
}

void tst_TableFiles::formulasNeutralised_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("field");
    // The importer takes one apostrophe off: one already there must survive the round trip.
    const char *const cases[][3] = {
        {"=1+1", "=1+1", "'=1+1"},
        {"+1", "+1", "'+1"},
        {"-1", "-1", "'-1"},
        {"@SUM(A1)", "@SUM(A1)", "'@SUM(A1)"},
        {"hyperlink", "=HYPERLINK(\"http://x\",\"点击\")",
         "\"'=HYPERLINK(\"\"http://x\"\",\"\"点击\"\")\""},
        {"tab", "\t1", "'\t1"},
        {"carriage return", "\r1", "\"'\r1\""},
        {"ordinary text", "收到货款", "收到货款"},
        {"inner =", "1=1 收款", "1=1 收款"},
        {"apostrophe and =", "'=1", "''=1"},
        {"apostrophe and text", "'收款", "'收款"},
    };
    for (const auto &c : cases)
        QTest::newRow(c[0]) << QString::fromUtf8(c[1]) << QString::fromUtf8(c[2]);
}

void tst_TableFiles::formulasNeutralised()
{
    QFETCH(QString, cell);
    QFETCH(QString, field);
    QCOMPARE(CsvTableWriter::field(cell), field);
}

// A workbook's sheet is named after the title and its columns are as wide as their texts (a
// Chinese character counts two); a web page is in Chinese under the title.
void tst_TableFiles::titledAndFitted()
{
    QTemporaryDir dir;
    QCOMPARE(writeReport(QStringLiteral("xlsx"), dir.filePath("out.xlsx")), 0);
    QVERIFY(kvtest::run("unzip", {"-p", dir.filePath("out.xlsx"), "xl/workbook.xml"})
                .contains(QStringLiteral("name=\"常用摘要\"")));
    const QStringList widths = kvtest::matches(
        "<col [^>]*width=\"([\\d.]+)\"",
        kvtest::run("unzip", {"-p", dir.filePath("out.xlsx"), "xl/worksheets/sheet1.xml"}));
    // 编码 over the numbers to 3000, then 第 3000 条常用摘要：收到货款.
    QCOMPARE(widths.size(), 2);
    QVERIFY2(widths.at(0).toDouble() >= 6 && widths.at(0).toDouble() < 10, qPrintable(widths[0]));
    QVERIFY2(widths.at(1).toDouble() >= 28 && widths.at(1).toDouble() < 40, qPrintable(widths[1]));
    QCOMPARE(writeReport(QStringLiteral("html"), dir.filePath("out.html")), 0);
    QFile page(dir.filePath("out.html"));
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    for (const char *part :
         {"<html lang=\"zh-CN\">", "<title>常用摘要</title>", "<h1>常用摘要</h1>"})
        QVERIFY2(html.contains(QString::fromUtf8(part)), part);
}

int main(int argc, char **argv)
{
    kvtest::prepareTestProcess();
    QApplication app(argc, argv);
    if (app.arguments().value(1) == kWriteArgument)
        return writeReport(app.arguments().value(2), app.arguments().value(3));
    tst_TableFiles test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tablefiles.moc"
