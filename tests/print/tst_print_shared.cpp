// The print database of a login session shared by two windows: the second makes it anew under the
// first (or a user removes it), and the first goes on printing. Owner-only, journal included.
#include "BrowserHarness.h"
#include "ModalDriver.h"
#include "NothingLeft.h"
#include "PrintDatabase.h"
#include "PrintTestKit.h"
#include "TestDatabase.h"

#include <QFile>
#include <QTest>

#include <sys/stat.h>

namespace {

int modeOf(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

} // namespace

class tst_PrintShared : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { KV_VERIFY_NOTHING_LEFT(); }
    void printsAfterTheFileWasReplaced_data();
    void printsAfterTheFileWasReplaced();
};

void tst_PrintShared::printsAfterTheFileWasReplaced_data()
{
    QTest::addColumn<QString>("trouble");
    QTest::newRow("none") << "";
    QTest::newRow("a second window") << "second window";
    QTest::newRow("removed") << "removed";
}

void tst_PrintShared::printsAfterTheFileWasReplaced()
{
    QFETCH(QString, trouble);
    kvtest::PrintPlace place;
    kvtest::RecordingPrinterSeat seat;
    kvtest::OpenBrowser h;
    const QString file = place.file(QStringLiteral("QXInit27.MDB"));
    QCOMPARE(modeOf(file), 0600);
    std::shared_ptr<DataKit::Database> second;
    if (trouble == QLatin1String("second window"))
        second = OpenPrintDatabase(place.path());
    else if (trouble == QLatin1String("removed"))
        QVERIFY(QFile::remove(file));

    kvtest::ModalDriver modal;
    for (const char *key : {"TlbOutput", "TlbPreview"})
        h.click(QString::fromLatin1(key));
    QVERIFY2(modal.satisfied(), qPrintable(modal.problems()));
    QCOMPARE(seat.printer().requests.last(), QStringLiteral("preview"));
    QCOMPARE(kvtest::layoutTables(file).size(), 2);
    QCOMPARE(modeOf(file), 0600);
    QCOMPARE(modeOf(file + QStringLiteral("-journal")), 0600);
}

KV_TEST_MAIN(tst_PrintShared)
#include "tst_print_shared.moc"
