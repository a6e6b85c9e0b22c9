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
    std::vector<quint32> every; // every match, while no group has been left out
};

std::vector<quint32> QuickSearchIndex::ranked(QStringView typed, size_t limit,
                                              const std::vector<quint32> &usage)
{
    build(std::numeric_limits<qint64>::max());
    if (typed.isEmpty() || limit == 0)
        return {};
    const Query query = queryFor(typed);
    const auto first = quint8(query.folded[0]);
    std::array<bool, 256> startsInitials{};
    if (!query.initials.empty())
        startsInitials = query.initials.front();

    // A text going on from the last one, all of whose matches are known, looks among them only.
    const bool narrowed = m_rankedAll && query.folded.startsWith(m_ranked.folded);
    const std::vector<quint32> candidates = narrowed ? m_ranked.summaries : std::vector<quint32>();
    const size_t total = narrowed ? candidates.size() : m_entries.size();

    std::vector<bool> accountHits(m_accounts.size());
    for (size_t a = 0; a < m_accounts.size(); ++a)
        accountHits[a] =
            QuickSearchText::indexOf(m_accounts[a], query.folded, query.exact, false) >= 0;

    std::vector<RankedPart> parts(InParts::partsFor(total), RankedPart(limit));
    InParts::run(total, parts.size(), [&](size_t p, size_t from, size_t to) {
        RankedPart &part = parts[p];
        QByteArrayView cells[3];
        for (size_t k = from; k < to; ++k) {
            const quint32 i = narrowed ? candidates[k] : quint32(k);
            const Entry &entry = m_entries[i];
            if (!entry.alive)
                continue;
            const bool mayBeCode = entry.heads[0] == first;
            const bool mayStart = part.last >= InitialsAtStart &&
                                  (entry.heads[1] == first || startsInitials[entry.heads[2]]);
            if (part.last <= InitialsAtStart && !mayBeCode && !mayStart)
                continue;
            m_pool->cells(entry.start, cells, 3);
            int group = kGroups;
            if (mayBeCode && startsWith(cells[0], query.folded))
                group = cells[0].size() == query.folded.size() ? ExactCode : CodeStart;
            qsizetype at = -1;
            if (group == kGroups && part.last >= InitialsAtStart) {
                if (mayStart && startsWith(cells[2], query.folded))
                    group = InitialsAtStart;
                else if (mayStart || part.last >= InitialsInside)
                    at = initialsAt(entry, query.initials);
                if (at == 0)
                    group = InitialsAtStart;
                else if (at > 0 && part.last >= InitialsInside)
                    group = InitialsInside;
            }
            if (group == kGroups && part.last >= Contained &&
                (accountHits[entry.account] ||
                 QuickSearchText::indexOf(cells[1], query.folded, query.exact, true) >= 0))
                group = Contained;
            if (group == kGroups || group > part.last)
                continue;
            if (part.last == kGroups - 1)
                part.every.push_back(i);
            part.offer(group, {i < usage.size() ? usage[i] : 0, i, cells[0]});
        }
    });

    std::vector<quint32> chosen;
    for (int group = 0; group < kGroups && chosen.size() < limit; ++group) {
        std::vector<RankedPart::Hit> hits;
        for (const RankedPart &part : parts)
            hits.insert(hits.end(), part.best[size_t(group)].begin(),
                        part.best[size_t(group)].end());
        std::sort(hits.begin(), hits.end());
        for (size_t h = 0; h < hits.size() && chosen.size() < limit; ++h)
            chosen.push_back(hits[h].summary);
    }
    m_rankedAll = std::all_of(parts.begin(), parts.end(),
                              [](const RankedPart &part) { return part.last == kGroups - 1; });
    if (m_rankedAll) {
        m_ranked.folded = query.folded;
        m_ranked.summaries.clear();
        for (const RankedPart &part : parts)
            m_ranked.summaries.insert(m_ranked.summaries.end(), part.every.begin(),
                                      part.every.end());
    }
    return chosen;
}
