#pragma once

#include "GridRows.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <array>
#include <memory>
#include <vector>

// The summaries the quick search looks through: the listing as the window last read it, in listing
// order, kept in step with the window's own saves and deletions. It holds no text of its own: each
// summary is a record of the grid's pool (code, text, mnemonic, account name in UTF-8), which the
// grid's rows and every search result share, plus one byte of polyphone initials for each UTF-16
// unit of its text (a letter, or one of a few letter sets) and its account's number.
//
// Taking a listing in costs one start per summary; the initials are worked out afterwards in steps
// (build), so that the window is painted first. Saves and deletions made before the index is
// complete wait in order and are applied when it is.
class QuickSearchIndex final
{
public:
    // The four cells of a grid row: code, text, mnemonic, account name.
    using Cells = std::array<QString, 4>;

    // The summaries are rows first .. last of rows, in that order. A new index has none.
    void reset(const GridRows &rows, long first, long last);
    // Works out initials for about the given time; answers whether the index is complete.
    bool build(qint64 nanoseconds);
    bool complete() const { return m_built == m_entries.size(); }

    // A summary stored from row of rows: added after the others, or saved under a new content in
    // place of the one stored under oldCode (added when there is none).
    void add(const GridRows &rows, long row);
    void save(const QString &oldCode, const GridRows &rows, long row);
    void remove(const QString &code);

    // The summaries whose code or mnemonic starts with text, whose text or account name contains
    // it, or whose text's polyphone initials read it from a word's start (any Chinese character,
    // or the first of a run of ASCII letters and digits); the case of ASCII letters is ignored and
    // every character stands for itself. Those matched at the start of a cell come first, each
    // group in listing order. All summaries in scope when text is empty. Completes the index.
    std::vector<quint32> find(QStringView text);
    // The record the summary stored under code has in rows' pool; 0 when rows have another pool,
    // the index is not complete or knows no such summary.
    quint32 recordIn(const GridRows &rows, QByteArrayView code) const;
    // The rows of those summaries for the grid, over the index's pool: nothing is copied.
    GridRows rows(const std::vector<quint32> &summaries) const;

    // The scope: the summaries a filter shows, handed over by their cells in UTF-8 after
    // beginScope, one call each. Every later find looks only among them and the summaries added
    // after; one the index did not know (another user's, stored since the listing was read) is
    // taken in. A new index has no scope.
    void beginScope();
    void addToScope(const QByteArrayView *cells, int count);
    Cells cells(quint32 summary) const;

    // How often the summaries are used, by their numbers (a summary past the end has no use), and
    // the used ones in the picker's order: the most used first, then by code (bytes).
    struct Usage
    {
        std::vector<quint32> counts;
        std::vector<quint32> order;
    };
    // The picker's choice for typed: at most limit summaries, best first (see DigestPicker).
    std::vector<quint32> ranked(QStringView typed, size_t limit, const Usage &usage);
    // A summary kept by the picker, added after the others; gives its number.
    quint32 add(const QByteArrayView *cells, int count);
    // Takes other's summaries in place of these (a listing read afresh elsewhere).
    void replaceWith(QuickSearchIndex &&other);
    // A summary's record in the pool (it changes when the summary is saved) and code; the code is
    // empty for a summary deleted since the listing was read.
    quint32 record(quint32 summary) const { return m_entries[summary].start; }
    QByteArrayView code(quint32 summary) const;
    // The summary stored under code; -1 when the index knows none. Completes the index.
    qsizetype summaryOf(QByteArrayView code);
    // How many listings the index has taken in: summary numbers change with each.
    quint64 readings() const { return m_readings; }
    size_t summaries() const { return m_entries.size(); }

    qsizetype count() const { return m_count; }
    // What the index holds in memory beside the pool it shares with the grid, in bytes.
    qsizetype memoryUsed() const;

private:
    static constexpr quint8 kCodeLength = 0x7f;
    static constexpr quint8 kTextHasAscii = 0x80;
    struct Entry
    {
        quint32 start;    // the summary's record in m_pool
        quint32 initials; // in m_initials, ended by kEndOfText
        quint32 account : 31;
        quint32 alive : 1;
        // The first byte of the folded code, of the folded mnemonic and of the initials, and the
        // code's length (at most kCodeLength) with kTextHasAscii: most summaries are passed over
        // by the picker on these alone.
        quint8 heads[4];
    };
    // A save or deletion made before the index was complete.
    struct Change
    {
        QString code;  // the summary's code before the change
        quint32 start; // its new record
        enum Kind { Add, Save, Remove } kind;
    };
    // Initials a search text is read by: for each of its characters, the bytes it accepts.
    using Initials = std::vector<std::array<bool, 256>>;
    // What a search needs of its text, worked out once.
    struct Query
    {
        QByteArray folded;
        bool exact = true; // no letters: bytes compare as they are
        Initials initials;
    };
    Query queryFor(QStringView text) const;
    // One part of the picker's scan, and what it needs of the text.
    struct RankedPart;
    struct RankedQuery
    {
        Query query;
        quint8 first = 0;                       // the folded text's first byte
        std::array<bool, 256> startsInitials{}; // the initials bytes its first character reads
        std::vector<bool> accountHits;          // by account: its name contains the text
    };
    int rankGroup(const Entry &entry, const RankedQuery &q, const RankedPart &part, bool inOrder,
                  QByteArrayView &code) const;
    bool passedByHeads(const RankedPart &part, const Entry &entry, const RankedQuery &q,
                       bool inOrder) const;

    void buildEntry(Entry &entry);
    void applyChange(const Change &change);
    void saveRecord(const QString &oldCode, quint32 start);
    quint32 recordOf(const GridRows &rows, long row);
    quint32 accountOf(QByteArrayView utf8);
    quint8 initialByte(quint32 mask, QChar unit);
    void place(size_t first, size_t last);
    qsizetype indexOf(QByteArrayView code) const;
    QByteArrayView cell(const Entry &entry, int col) const;
    bool inScope(size_t entry) const;
    std::vector<quint32> everyInScope() const;

    Initials initialsOf(QStringView upper) const;
    qsizetype initialsAt(const Entry &entry, const Initials &wanted) const;
    // 0 no match, 1 matched inside a cell, 2 at a cell's start.
    int match(const Entry &entry, const Query &query, const std::vector<quint8> &accountHits) const;

    std::shared_ptr<GridPool> m_pool = std::make_shared<GridPool>();
    std::vector<Entry> m_entries;
    size_t m_built = 0; // the entries before this one have their initials
    std::vector<Change> m_pending;
    QString m_decoded; // reused by every text taken in
    std::vector<quint32> m_masks;
    std::vector<quint32> m_byCode; // entry numbers; a power of two of slots, kNoEntry when free
    size_t m_slotsUsed = 0;
    std::vector<quint8> m_initials;
    std::vector<quint32> m_letterSets; // byte 0x80 + i stands for the letters of set i
    std::vector<QByteArray> m_accounts;
    QHash<QByteArray, quint32> m_accountIndex;
    qsizetype m_count = 0;
    bool m_scoped = false;
    std::vector<bool> m_scope; // by entry; entries past its end are in scope
    // The last searches' results: a text that goes on from one of them looks among its summaries
    // only, since whatever matches the longer text matches the shorter one.
    struct Result
    {
        QByteArray folded;
        std::vector<quint32> summaries;
        size_t atStart; // the first so many matched at a cell's start
    };
    std::vector<Result> m_results;
    // The picker's last text and every summary it matched, when the scan found them all.
    Result m_ranked;
    bool m_rankedAll = false;
    // The summaries stand in the order of their codes (bytes), as a listing read by code does:
    // the picker's scan then meets each group's matches best first.
    bool m_codeOrdered = true;
    void checkCodeOrder(size_t entry);
    quint64 m_readings = 0;
};
