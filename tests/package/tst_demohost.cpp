#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// The demo host's command line: help and version on standard output with exit 0, a wrong command
// line refused in one line on standard error with the usage exit code 2.
class tst_DemoHost : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
};

void tst_DemoHost::commandLine_data()
{
    const QString usage = QStringLiteral(" (kvdigest --help shows the usage)\n");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // a pattern for the whole of standard output
    QTest::addColumn<QString>("err");
    QTest::newRow("--help") << QStringList{"--help"} << 0
                            << QStringLiteral(
                                   "usage: kvdigest .*\n +kvdigest --help \\| --version\n")
                            << QString();
    QTest::newRow("--version") << QStringList{"--version"} << 0
                               << QStringLiteral("kvdigest " KVDIGEST_VERSION "\n") << QString();
    QTest::newRow("unknown option") << QStringList{"--colour"} << 2 << QString()
                                    << "kvdigest: unknown option or argument: --colour" + usage;
    QTest::newRow("import without a file") << QStringList{"import", "--dry-run"} << 2 << QString()
                                           << "kvdigest: import needs a FILE" + usage;
    QTest::newRow("--mnemonic not first")
        << QStringList{"--read-only", "--mnemonic"} << 2 << QString()
        << "kvdigest: --mnemonic comes first" + usage;
}

void tst_DemoHost::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    // A runtime folder of its own keeps Qt from warning about a missing one.
    QTemporaryDir runtime;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    QProcess kvdigest;
    kvdigest.setProcessEnvironment(environment);
    kvdigest.start(QStringLiteral(KVDIGEST_BIN), arguments);
    QVERIFY(kvdigest.waitForFinished(60000));
    QCOMPARE(QString::fromLocal8Bit(kvdigest.readAllStandardError()), err);
    const QString printed = QString::fromLocal8Bit(kvdigest.readAllStandardOutput());
    const QRegularExpression whole(QRegularExpression::anchoredPattern(out),
                                   QRegularExpression::DotMatchesEverythingOption);
    QVERIFY2(whole.match(printed).hasMatch(), qPrintable(printed));
    QCOMPARE(kvdigest.exitCode(), exitCode);
}

QTEST_GUILESS_MAIN(tst_DemoHost)
#include "tst_demohost.moc"
