// The picker's choice: the few summaries a typed text matches best, in five groups, the most used
// first within each, then by code. Only the best few of each group are kept while scanning, and a
// group no longer looked for once the better ones hold enough, so a broad text reads little more
// than each summary's three first bytes.
#include "QuickSearchIndex.h"

#include "InParts.h"
#include "QuickSearchText.h"

#include <algorithm>
#include <limits>
#include <string_view>

using namespace QuickSearchText;

namespace {

enum Group { ExactCode, CodeStart, InitialsAtStart, InitialsInside, Contained, kGroups };

std::string_view bytes(QByteArrayView text)
{
    return {text.data(), size_t(text.size())};
}

} // namespace

struct QuickSearchIndex::RankedPart
{
    struct Hit
    {
        quint32 usage;
        quint32 summary;
        QByteArrayView code;
        // More used first, then the lower code.
        bool operator<(const Hit &other) const
        {
            if (usage != other.usage)
                return usage > other.usage;
            const int order = bytes(code).compare(bytes(other.code));
            return order != 0 ? order < 0 : summary < other.summary;
        }
    };

    explicit RankedPart(size_t limit)
        : limit(limit)
    {
    }

    bool full(int group) const { return best[size_t(group)].size() >= limit; }
    // A group takes no more once it is worse than last, or, in order, full.
    bool closed(int group, bool inOrder) const { return group > last || (inOrder && full(group)); }
    // Fewer matches than the list shows: nothing was passed over, every match is in every.
    bool complete() const
    {
        size_t held = 0;
        for (const std::vector<Hit> &group : best)
            held += group.size();
        return held < limit;
    }

    // Keeps hit among its group's best, each group a heap with its worst on top.
    void offer(int group, const Hit &hit)
    {
        std::vector<Hit> &heap = best[size_t(group)];
        if (heap.size() < limit) {
            heap.push_back(hit);
            std::push_heap(heap.begin(), heap.end());
        } else if (hit < heap.front()) {
            std::pop_heap(heap.begin(), heap.end());
            heap.back() = hit;
            std::push_heap(heap.begin(), heap.end());
        } else {
            return;
        }
        size_t held = 0;
        for (int g = 0; g < last; ++g) {
            held += best[size_t(g)].size();
            if (held >= limit) {
                last = g;
                break;
            }
        }
    }

    size_t limit;
    std::array<std::vector<Hit>, kGroups> best;
    int last = kGroups - 1;     // the worst group that can still be chosen
    std::vector<quint32> every; // every match, while the part is complete
};

// What a summary is to the picker's text: its group, kGroups for none. A group the part no longer
// looks for is not tested: a worse one than last, or, when later summaries can only rank lower
// (inOrder), one that is full.
int QuickSearchIndex::rankGroup(const Entry &entry, const RankedQuery &q, const RankedPart &part,
                                bool inOrder, QByteArrayView &code) const
{
    const auto skip = [&](int group) { return group > part.last || (inOrder && part.full(group)); };
    // A code of kCodeLength bytes or more is longer than anything typed.
    const qsizetype typed = q.query.folded.size();
    const qsizetype codeLength =
        (entry.heads[3] & kCodeLength) == kCodeLength ? typed + 1 : entry.heads[3] & kCodeLength;
    const bool mayBeCode = entry.heads[0] == q.first &&
                           (codeLength == typed || (codeLength > typed && !skip(CodeStart)));
    const bool mayStart =
        !skip(InitialsAtStart) && (entry.heads[1] == q.first || q.startsInitials[entry.heads[2]]);
    const bool inside = !q.query.initials.empty() && !skip(InitialsInside);
    const bool contained = !skip(Contained) && (q.accountHits[entry.account] || q.first >= 0x80 ||
                                                (entry.heads[3] & kTextHasAscii));
    if (!mayBeCode && !mayStart && !inside && !contained)
        return kGroups;
    QByteArrayView cells[3];
    m_pool->cells(entry.start, cells, 3);
    code = cells[0];
    if (mayBeCode && startsWith(cells[0], q.query.folded))
        return cells[0].size() == q.query.folded.size() ? ExactCode : CodeStart;
    if (mayStart && startsWith(cells[2], q.query.folded))
        return InitialsAtStart;
    if (mayStart || inside) {
        const qsizetype at = initialsAt(entry, q.query.initials);
        if (at == 0 && mayStart)
            return InitialsAtStart;
        if (at > 0 && inside)
            return InitialsInside;
    }
    if (contained && (q.accountHits[entry.account] ||
                      QuickSearchText::indexOf(cells[1], q.query.folded, q.query.exact, true) >= 0))
        return Contained;
    return kGroups;
}

// In order, once the groups that need a summary's texts take no more, its first bytes say whether
// it can still be chosen: most summaries are passed over without reading their record. It repeats
// the first test of rankGroup on purpose: kept apart in the scan's loop it halves a keystroke at a
// million summaries (measured: folding it into rankGroup, 2.5 ms became 4 to 7 ms).
bool QuickSearchIndex::passedByHeads(const RankedPart &part, const Entry &entry,
                                     const RankedQuery &q, bool inOrder) const
{
    if (!(part.closed(InitialsInside, inOrder) || q.query.initials.empty()))
        return false;
    // A text holding an ASCII text holds an ASCII byte.
    const bool mayContain =
        !part.closed(Contained, inOrder) &&
        (q.accountHits[entry.account] || q.first >= 0x80 || (entry.heads[3] & kTextHasAscii));
    const bool mayStart = !part.closed(InitialsAtStart, inOrder) &&
                          (entry.heads[1] == q.first || q.startsInitials[entry.heads[2]]);
    return entry.heads[0] != q.first && !mayStart && !mayContain;
}

std::vector<quint32> QuickSearchIndex::ranked(QStringView typed, size_t limit, const Usage &usage)
{
    build(std::numeric_limits<qint64>::max());
    if (typed.isEmpty() || limit == 0)
        return {};
    RankedQuery q;
    q.query = queryFor(typed);
    q.first = quint8(q.query.folded[0]);
    if (!q.query.initials.empty())
        q.startsInitials = q.query.initials.front();
    q.accountHits.resize(m_accounts.size());
    for (size_t a = 0; a < m_accounts.size(); ++a)
        q.accountHits[a] =
            QuickSearchText::indexOf(m_accounts[a], q.query.folded, q.query.exact, false) >= 0;
    const auto countOf = [&](quint32 i) { return i < usage.counts.size() ? usage.counts[i] : 0; };
    const auto consider = [&](RankedPart &part, quint32 i, bool inOrder) {
        const Entry &entry = m_entries[i];
        QByteArrayView code;
        const int group = entry.alive ? rankGroup(entry, q, part, inOrder, code) : kGroups;
        if (group == kGroups)
            return;
        if (part.complete())
            part.every.push_back(i);
        part.offer(group, {countOf(i), i, code});
    };

    // A text going on from the last one, all of whose matches are known, looks among them only.
    // Otherwise the used summaries come first, in the picker's order, then the others in the
    // index's: where that is the order of their codes, each group's matches come best first.
    const bool narrowed = m_rankedAll && q.query.folded.startsWith(m_ranked.folded);
    const std::vector<quint32> candidates = narrowed ? m_ranked.summaries : std::vector<quint32>();
    RankedPart used(limit);
    if (!narrowed)
        for (const quint32 i : usage.order)
            consider(used, i, true);
    const size_t total = narrowed ? candidates.size() : m_entries.size();
    std::vector<RankedPart> parts(InParts::partsFor(total), used);
    for (RankedPart &part : parts)
        part.every.clear();
    InParts::run(total, parts.size(), [&](size_t p, size_t from, size_t to) {
        for (size_t k = from; k < to; ++k) {
            if (narrowed)
                consider(parts[p], candidates[k], false);
            else if (countOf(quint32(k)) == 0 &&
                     !passedByHeads(parts[p], m_entries[k], q, m_codeOrdered))
                consider(parts[p], quint32(k), m_codeOrdered);
        }
    });

    std::vector<quint32> chosen;
    for (int group = 0; group < kGroups && chosen.size() < limit; ++group) {
        std::vector<RankedPart::Hit> hits;
        for (const RankedPart &part : parts)
            hits.insert(hits.end(), part.best[size_t(group)].begin(),
                        part.best[size_t(group)].end());
        std::sort(hits.begin(), hits.end());
        // The used summaries' matches stand in every part.
        hits.erase(std::unique(hits.begin(), hits.end(),
                               [](const auto &a, const auto &b) { return a.summary == b.summary; }),
                   hits.end());
        for (size_t h = 0; h < hits.size() && chosen.size() < limit; ++h)
            chosen.push_back(hits[h].summary);
    }
    m_rankedAll =
        used.complete() && std::all_of(parts.begin(), parts.end(),
                                       [](const RankedPart &part) { return part.complete(); });
    if (m_rankedAll) {
        m_ranked.folded = q.query.folded;
        m_ranked.summaries = used.every;
        for (const RankedPart &part : parts)
            m_ranked.summaries.insert(m_ranked.summaries.end(), part.every.begin(),
                                      part.every.end());
    }
    return chosen;
}
