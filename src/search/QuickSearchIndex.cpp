// The quick search index's store: taking a listing in, working out its initials in steps, and
// following the window's saves and deletions. The search itself is in QuickSearchIndex_find.cpp.
#include "QuickSearchIndex.h"

#include "PolyphoneInitials.h"
#include "QuickSearchText.h"

#include <QElapsedTimer>

#include <algorithm>
#include <bit>
#include <limits>
#include <string_view>

namespace {

constexpr quint32 kNoEntry = 0xffffffff; // a free slot
// How many entries are built between looks at the clock.
constexpr size_t kStepsBetweenLooks = 256;

bool oneLetter(quint32 mask)
{
    return mask != 0 && (mask & (mask - 1)) == 0;
}

// An eighth is kept for the window's own additions: a vector filled to its last place copies all
// of itself on the next one, which the first summary added would pay.
template <typename T>
void keepRoom(std::vector<T> &values)
{
    const size_t wanted = values.size() + values.size() / 8 + 64;
    if (values.capacity() <= wanted)
        return;
    std::vector<T> kept;
    kept.reserve(wanted);
    kept.assign(values.begin(), values.end());
    values.swap(kept);
}

} // namespace

void QuickSearchIndex::reset(const GridRows &rows, long first, long last)
{
    m_pool = rows.pool();
    // Only the starts before the first paint: the rest is the building's.
    const std::vector<quint32> starts = rows.recordStarts(first, last);
    m_entries.assign(starts.size(), Entry{0, 0, 0, 1, {}});
    for (size_t i = 0; i < starts.size(); ++i)
        m_entries[i].start = starts[i];
    m_count = qsizetype(m_entries.size());
    m_built = 0;
    m_pending.clear();
    m_byCode.clear();
    m_slotsUsed = 0;
    m_initials.clear();
    m_letterSets.clear();
    m_accounts.clear();
    m_accountIndex.clear();
    m_scoped = false;
    m_scope.clear();
    m_results.clear();
    m_rankedAll = false;
    m_codeOrdered = true;
    ++m_readings;
}

bool QuickSearchIndex::build(qint64 nanoseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (m_built < m_entries.size()) {
        const size_t end = std::min(m_entries.size(), m_built + kStepsBetweenLooks);
        for (size_t i = m_built; i < end; ++i) {
            buildEntry(m_entries[i]);
            checkCodeOrder(i);
        }
        place(m_built, end);
        m_built = end;
        if (m_built < m_entries.size() && clock.nsecsElapsed() > nanoseconds)
            return false;
    }
    keepRoom(m_initials);
    keepRoom(m_entries);
    const std::vector<Change> pending = std::move(m_pending);
    m_pending.clear();
    for (const Change &change : pending)
        applyChange(change);
    return true;
}

// The byte a unit of text is searched by: its one letter (upper case), the set of its letters,
// an ASCII unit itself (a letter in lower case, so that a word's inside can be told), or 0, which
// nothing matches.
quint8 QuickSearchIndex::initialByte(quint32 mask, QChar unit)
{
    if (unit.unicode() < 0x80)
        return quint8(unit.toLower().unicode());
    if (mask == 0)
        return 0;
    if (oneLetter(mask))
        return quint8('A' + qCountTrailingZeroBits(mask));
    const auto known = std::find(m_letterSets.begin(), m_letterSets.end(), mask);
    if (known != m_letterSets.end())
        return quint8(QuickSearchText::kFirstSet + (known - m_letterSets.begin()));
    if (int(m_letterSets.size()) == QuickSearchText::kMaxSets) // the dictionary has far fewer
        return quint8('A' + qCountTrailingZeroBits(mask));
    m_letterSets.push_back(mask);
    return quint8(QuickSearchText::kFirstSet + m_letterSets.size() - 1);
}

void QuickSearchIndex::buildEntry(Entry &entry)
{
    QByteArrayView cells[4];
    const int count = m_pool->cells(entry.start, cells, 4);
    QuickSearchText::decodeUtf8(count > 1 ? cells[1] : QByteArrayView(), m_decoded);
    PolyphoneInitials(m_decoded, m_masks);
    entry.initials = quint32(m_initials.size());
    for (qsizetype i = 0; i < m_decoded.size(); ++i)
        m_initials.push_back(initialByte(m_masks[size_t(i)], m_decoded[i]));
    m_initials.push_back(QuickSearchText::kEndOfText);
    entry.account = accountOf(count > 3 ? cells[3] : QByteArrayView()) & 0x7fffffff;
    const auto head = [&](int col) {
        return quint8(col < count && !cells[col].isEmpty() ? QuickSearchText::lower(cells[col][0])
                                                           : 0);
    };
    entry.heads[0] = head(0);
    entry.heads[1] = head(2);
    entry.heads[2] = m_initials[entry.initials];
    const QByteArrayView text = count > 1 ? cells[1] : QByteArrayView();
    const bool ascii =
        std::any_of(text.begin(), text.end(), [](char c) { return quint8(c) < 0x80; });
    entry.heads[3] = quint8(std::min<qsizetype>(count > 0 ? cells[0].size() : 0, kCodeLength)) |
                     (ascii ? kTextHasAscii : 0);
}

void QuickSearchIndex::checkCodeOrder(size_t entry)
{
    if (entry > 0 && m_codeOrdered) {
        const QByteArrayView code = cell(m_entries[entry], 0);
        const QByteArrayView before = cell(m_entries[entry - 1], 0);
        m_codeOrdered = std::string_view(before.data(), size_t(before.size())) <
                        std::string_view(code.data(), size_t(code.size()));
    }
}

// Account names are kept once each, found again by their UTF-8 text.
quint32 QuickSearchIndex::accountOf(QByteArrayView utf8)
{
    const auto known = m_accountIndex.constFind(QByteArray::fromRawData(utf8.data(), utf8.size()));
    if (known != m_accountIndex.constEnd())
        return *known;
    const auto account = quint32(m_accounts.size());
    m_accounts.push_back(utf8.toByteArray());
    m_accountIndex.insert(m_accounts.back(), account);
    return account;
}

QByteArrayView QuickSearchIndex::cell(const Entry &entry, int col) const
{
    return m_pool->cell(entry.start, col);
}

// Enters entries first .. last - 1 by their codes. A large table is read at random: the slots a
// few entries ahead are asked of memory while the current one is placed, rather than waited for
// one by one. A table that would be more than half full is first made anew, twice as large, for
// the living entries.
void QuickSearchIndex::place(size_t first, size_t last)
{
    std::vector<quint32> entries;
    // At most half the slots taken keeps the probes short.
    if (m_byCode.empty())
        m_byCode.assign(std::bit_ceil(2 * m_entries.size() + 64), kNoEntry);
    if (2 * (m_slotsUsed + last - first) > m_byCode.size()) {
        m_byCode.assign(std::bit_ceil(2 * (m_byCode.size() + last - first)), kNoEntry);
        m_slotsUsed = 0;
        for (size_t i = 0; i < m_built; ++i)
            if (m_entries[i].alive && (i < first || i >= last))
                entries.push_back(quint32(i));
    }
    for (size_t i = first; i < last; ++i)
        entries.push_back(quint32(i));
    const size_t mask = m_byCode.size() - 1;
    std::vector<size_t> hashes(entries.size());
    for (size_t k = 0; k < entries.size(); ++k)
        hashes[k] = qHash(cell(m_entries[entries[k]], 0));
    constexpr size_t kAhead = 16;
    for (size_t k = 0; k < entries.size(); ++k) {
        if (k + kAhead < entries.size())
            __builtin_prefetch(&m_byCode[hashes[k + kAhead] & mask]);
        size_t slot = hashes[k] & mask;
        while (m_byCode[slot] != kNoEntry)
            slot = (slot + 1) & mask;
        m_byCode[slot] = entries[k];
        ++m_slotsUsed;
    }
}

// A slot may still name an entry whose code has changed or that was removed since: look-ups pass
// over those.
qsizetype QuickSearchIndex::indexOf(QByteArrayView code) const
{
    if (m_byCode.empty())
        return -1;
    const size_t mask = m_byCode.size() - 1;
    for (size_t slot = qHash(code) & mask; m_byCode[slot] != kNoEntry; slot = (slot + 1) & mask) {
        const Entry &entry = m_entries[m_byCode[slot]];
        if (entry.alive && cell(entry, 0) == code)
            return m_byCode[slot];
    }
    return -1;
}

// The row's record as the index's pool holds it: the same record when the rows share the pool,
// else a copy (the grid shows a filter's rows, read into a pool of their own).
quint32 QuickSearchIndex::recordOf(const GridRows &rows, long row)
{
    if (rows.pool() == m_pool)
        return rows.recordStart(row);
    QByteArrayView cells[4];
    const int count = std::min(rows.pool()->cells(rows.recordStart(row), cells, 4), 4);
    return m_pool->write(cells, count);
}

void QuickSearchIndex::add(const GridRows &rows, long row)
{
    m_results.clear();
    const Change change{QString(), recordOf(rows, row), Change::Add};
    if (complete())
        applyChange(change);
    else
        m_pending.push_back(change);
}

void QuickSearchIndex::save(const QString &oldCode, const GridRows &rows, long row)
{
    m_results.clear();
    const Change change{oldCode, recordOf(rows, row), Change::Save};
    if (complete())
        applyChange(change);
    else
        m_pending.push_back(change);
}

void QuickSearchIndex::remove(const QString &code)
{
    m_results.clear();
    const Change change{code, 0, Change::Remove};
    if (complete())
        applyChange(change);
    else
        m_pending.push_back(change);
}

// The old content stays in the pool and the initials unused until the next full refill.
void QuickSearchIndex::applyChange(const Change &change)
{
    m_rankedAll = false;
    const qsizetype i = change.kind == Change::Add ? -1 : indexOf(change.code.toUtf8());
    if (change.kind == Change::Remove) {
        if (i >= 0) {
            m_entries[size_t(i)].alive = 0;
            --m_count;
        }
        return;
    }
    if (i < 0) {
        m_entries.push_back({change.start, 0, 0, 1, {}});
        buildEntry(m_entries.back());
        m_built = m_entries.size();
        checkCodeOrder(m_built - 1);
        place(m_built - 1, m_built);
        ++m_count;
        return;
    }
    Entry &entry = m_entries[size_t(i)];
    const bool renamed = cell(entry, 0) != m_pool->cell(change.start, 0);
    entry.start = change.start;
    buildEntry(entry);
    if (renamed) {
        place(size_t(i), size_t(i) + 1);
        m_codeOrdered = false;
    }
}

void QuickSearchIndex::beginScope()
{
    build(std::numeric_limits<qint64>::max());
    m_results.clear();
    m_scoped = true;
    m_scope.assign(m_entries.size(), false);
}

void QuickSearchIndex::addToScope(const QByteArrayView *cells, int count)
{
    const qsizetype i = indexOf(count > 0 ? cells[0] : QByteArrayView());
    if (i >= 0) {
        if (size_t(i) < m_scope.size())
            m_scope[size_t(i)] = true;
        return;
    }
    applyChange({QString(), m_pool->write(cells, std::min(count, 4)), Change::Add});
}

quint32 QuickSearchIndex::add(const QByteArrayView *cells, int count)
{
    build(std::numeric_limits<qint64>::max());
    m_results.clear();
    applyChange({QString(), m_pool->write(cells, std::min(count, 4), 1u << 3), Change::Add});
    return quint32(m_entries.size() - 1);
}

void QuickSearchIndex::replaceWith(QuickSearchIndex &&other)
{
    const quint64 readings = std::max(m_readings, other.m_readings);
    *this = std::move(other);
    m_readings = readings + 1;
}

QByteArrayView QuickSearchIndex::code(quint32 summary) const
{
    const Entry &entry = m_entries[summary];
    return entry.alive ? cell(entry, 0) : QByteArrayView();
}

qsizetype QuickSearchIndex::summaryOf(QByteArrayView code)
{
    build(std::numeric_limits<qint64>::max());
    return indexOf(code);
}

bool QuickSearchIndex::inScope(size_t entry) const
{
    return !m_scoped || entry >= m_scope.size() || m_scope[entry];
}

quint32 QuickSearchIndex::recordIn(const GridRows &rows, QByteArrayView code) const
{
    if (rows.pool() != m_pool || !complete() || !m_pending.empty())
        return 0;
    const qsizetype i = indexOf(code);
    return i < 0 ? 0 : m_entries[size_t(i)].start;
}

GridRows QuickSearchIndex::rows(const std::vector<quint32> &summaries) const
{
    GridRows rows(m_pool);
    for (const quint32 summary : summaries)
        rows.appendRecord(m_entries[summary].start);
    return rows;
}

QuickSearchIndex::Cells QuickSearchIndex::cells(quint32 summary) const
{
    Cells texts;
    for (int col = 0; col < 4; ++col)
        texts[size_t(col)] = QString::fromUtf8(cell(m_entries[summary], col));
    return texts;
}

qsizetype QuickSearchIndex::memoryUsed() const
{
    qsizetype accounts = 0;
    for (const QByteArray &name : m_accounts)
        accounts += name.capacity() + 64; // the text, its header and the index's hash node
    qsizetype results = 0;
    for (const Result &result : m_results)
        results += qsizetype(result.summaries.capacity() * sizeof(quint32));
    return qsizetype(m_entries.capacity() * sizeof(Entry) + m_byCode.capacity() * sizeof(quint32) +
                     m_initials.capacity() + m_letterSets.capacity() * sizeof(quint32) +
                     m_scope.capacity() / 8 + m_pending.capacity() * sizeof(Change)) +
           accounts + results;
}
