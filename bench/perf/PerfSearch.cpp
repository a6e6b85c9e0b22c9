// The quick search: a key typed into the box, timed until the refilled grid is painted, beside the
// query a search through the database would run for the same text (the search itself reads the
// window's index, never the database).
#include "PerfActions.h"
#include "PerfSession.h"
#include "SqlTexts.h"

namespace {

struct Keystroke
{
    const char *action;
    const char *before; // what the box holds when the key comes
    const char *typed;  // what the key types, a word at once from an input method
};

const Keystroke kKeystrokes[] = {
    {"quick search: one initial \"Y\"", "", "Y"},
    {"quick search: two initials \"YH\"", "Y", "H"},
    {"quick search: Chinese \"银行\"", "", "银行"},
    {"quick search: code prefix \"12\"", "1", "2"},
};

QString likeQuery(const QString &text)
{
    const QString value = SqlText::Quoted(text);
    return SqlText::FilteredListingQuery(QStringLiteral("GL_bDigest.cId Like '") + value +
                                         QStringLiteral("%' Or GL_bDigest.chelp Like '") + value +
                                         QStringLiteral("%' Or GL_bDigest.cText Like '%") + value +
                                         QStringLiteral("%' Or Code.cCode_Name Like '%") + value +
                                         QStringLiteral("%'"));
}

} // namespace

void RunSearchFigures(PerfSession &s)
{
    WindowDriver &drive = s.drive();
    const int heavy = s.heavyRounds();
    for (const Keystroke &key : kKeystrokes) {
        const QString before = QString::fromUtf8(key.before);
        const QString typed = QString::fromUtf8(key.typed);
        const QString like = likeQuery(before + typed);
        s.record(
            QString::fromUtf8(key.action), QStringLiteral("raw LIKE query, same text"), {}, heavy,
            [&] { return s.rawRead(like); },
            [&] {
                drive.setSearchText(before);
                return drive.time([&] { drive.searchKey(Qt::Key_unknown, typed); });
            });
    }
    s.record(
        QStringLiteral("quick search: Esc clears it (all rows)"),
        QStringLiteral("raw listing query"), {}, heavy,
        [&] { return s.rawRead(SqlText::ListingQuery()); },
        [&] {
            drive.setSearchText(QStringLiteral("YH"));
            return drive.time([&] { drive.searchKey(Qt::Key_Escape); });
        });
}
