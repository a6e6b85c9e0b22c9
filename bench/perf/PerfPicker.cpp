// The picker for voucher entry, in a process of its own: what it keeps alone and beside the
// window, reading its summaries beside the engine's read of the listing (the read itself and the
// index built from it each at most the engine's read: twice it in all), and a key typed into an
// attached edit until the list under it is painted, beside the query a search through the
// database would run.
#include "PerfRun.h"

#include "Database.h"
#include "DigestPicker.h"
#include "ListingRows.h"
#include "PerfMemory.h"
#include "PerfSession.h"
#include "Recordset.h"
#include "SqlTexts.h"
#include "frmDigBrowse.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>

#include <limits>

namespace {

struct Keystroke
{
    const char *action;
    const char *before; // what the edit holds when the key comes, typed key by key
    const char *typed;
};

const Keystroke kKeystrokes[] = {
    {"picker: one initial \"Y\"", "", "Y"},   {"picker: two initials \"YH\"", "Y", "H"},
    {"picker: polyphone \"CQ\"", "C", "Q"},   {"picker: Chinese \"银行\"", "", "银行"},
    {"picker: code prefix \"12\"", "1", "2"},
};

void key(QLineEdit &edit, int code, const QString &text = {})
{
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QApplication::sendEvent(&edit, &press);
}

// A key until the list it changed is painted.
double timedKey(QLineEdit &edit, const QString &text)
{
    QElapsedTimer clock;
    clock.start();
    key(edit, Qt::Key_unknown, text);
    QCoreApplication::sendPostedEvents();
    return double(clock.nsecsElapsed()) / 1e6;
}

void typeAnew(QLineEdit &edit, const QString &text)
{
    key(edit, Qt::Key_Escape);
    edit.clear();
    for (const QChar c : text)
        key(edit, Qt::Key_unknown, c);
    QCoreApplication::processEvents();
}

double perSummary(long bytes, int n)
{
    return double(bytes) / std::max(1, n);
}

} // namespace

std::vector<PerfFigure> RunPickerFigures(const QString &target, int n)
{
    PerfSession s(target, n);
    auto db = DataKit::Database::open(target);
    const QString texts = QStringLiteral("its four texts in UTF-8");
    const double textBytes = TextBytesPerSummary(target);
    const QString listing = SqlText::ListingQuery();
    {
        const long before = ResidentBytes();
        DigestPicker picker(db);
        picker.matches(QStringLiteral("Y"));
        s.recordOnce(QStringLiteral("picker alone, memory per summary"),
                     perSummary(ResidentBytes() - before, n), QStringLiteral("B"), textBytes, texts,
                     QStringLiteral("120 B"));
    }
    s.record(
        QStringLiteral("picker: read + index (to first match)"),
        QStringLiteral("raw listing query"), QStringLiteral("2x"), s.heavyRounds(),
        [&] { return s.rawRead(listing); },
        [&] {
            QElapsedTimer clock;
            clock.start();
            DigestPicker picker(db);
            picker.matches(QStringLiteral("Y"));
            return double(clock.nsecsElapsed()) / 1e6;
        });
    {
        const auto read = db->OpenRecordset(listing, DataKit::dbOpenSnapshot);
        const GridRows rows = ReadListingRows(*read);
        s.record(
            QStringLiteral("picker: its index alone, from the rows read"),
            QStringLiteral("raw listing query"), QStringLiteral("1x"), s.heavyRounds(),
            [&] { return s.rawRead(listing); },
            [&] {
                QElapsedTimer clock;
                clock.start();
                QuickSearchIndex index;
                index.reset(rows, 0, rows.size() - 1);
                index.build(std::numeric_limits<qint64>::max());
                return double(clock.nsecsElapsed()) / 1e6;
            });
    }
    {
        DigestPicker picker(db);
        QLineEdit edit;
        edit.resize(320, 24);
        edit.show();
        picker.attach(&edit);
        for (const Keystroke &k : kKeystrokes) {
            const QString before = QString::fromUtf8(k.before);
            const QString typed = QString::fromUtf8(k.typed);
            const QString like = SqlText::FilteredListingQuery(
                QStringLiteral("GL_bDigest.cText Like '%") + SqlText::Quoted(before + typed) +
                QStringLiteral("%'"));
            s.record(
                QString::fromUtf8(k.action), QStringLiteral("raw LIKE query, same text"),
                QStringLiteral("5 ms"), s.lightRounds(), [&] { return s.rawRead(like); },
                [&] {
                    typeAnew(edit, before);
                    return timedKey(edit, typed);
                });
        }
    }
    // Beside the open window the picker shares its index: what it adds is its own.
    s.open();
    const QuickSearchIndex &index = s.window().searchIndex();
    while (!index.complete())
        QCoreApplication::processEvents();
    const long before = ResidentBytes();
    {
        DigestPicker picker(s.database());
        picker.matches(QStringLiteral("Y"));
        s.recordOnce(QStringLiteral("picker beside the window, memory per summary"),
                     perSummary(ResidentBytes() - before, n), QStringLiteral("B"), textBytes, texts,
                     QStringLiteral("40 B"));
    }
    s.close();
    return s.takeFigures();
}
