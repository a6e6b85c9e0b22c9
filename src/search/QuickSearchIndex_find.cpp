// The quick search itself: one pass over the summaries in the index (or over the last result a
// longer text narrows), reading each one's record where the grid's pool holds it.
#include "QuickSearchIndex.h"

#include "InParts.h"
#include "QuickSearchText.h"

#include <algorithm>
#include <limits>

using namespace QuickSearchText;

namespace {

// Results kept for a text that goes on from them, or comes back to them (a key taken back).
constexpr size_t kResultsKept = 4;
bool letter(QChar unit)
{
    return unit >= u'A' && unit <= u'Z';
}

// Inside a run of ASCII letters and digits no word starts; those units keep bytes of their own.
bool asciiWordByte(quint8 b)
{
    return (b >= '0' && b <= '9') || (b >= 'a' && b <= 'z');
}

} // namespace

QuickSearchIndex::Query QuickSearchIndex::queryFor(QStringView text) const
{
    Query query;
    query.folded = folded(text.toUtf8());
    query.exact = !hasAsciiLetter(query.folded);
    query.initials = initialsOf(text.toString().toUpper());
    return query;
}

// A text without letters reads only the ASCII units that stand for themselves, which the search in
// the text itself finds already.
QuickSearchIndex::Initials QuickSearchIndex::initialsOf(QStringView upper) const
{
    if (std::none_of(upper.begin(), upper.end(), letter))
        return {};
    Initials wanted;
    for (const QChar unit : upper) {
        const char16_t c = unit.unicode();
        if (c == 0 || c >= 0x80)
            return {};
        std::array<bool, 256> &accepts = wanted.emplace_back();
        accepts.fill(false);
        accepts[c] = true;
        if (!letter(unit))
            continue;
        accepts[c + ('a' - 'A')] = true;
        for (size_t set = 0; set < m_letterSets.size(); ++set)
            accepts[kFirstSet + set] = m_letterSets[set] & (1u << (c - 'A'));
    }
    return wanted;
}

qsizetype QuickSearchIndex::initialsAt(const Entry &entry, const Initials &wanted) const
{
    if (wanted.empty())
        return -1;
    const quint8 *initials = m_initials.data() + entry.initials;
    const std::array<bool, 256> &first = wanted.front();
    const size_t length = wanted.size();
    for (qsizetype at = 0; initials[at] != kEndOfText; ++at) {
        if (!first[initials[at]])
            continue;
        if (at > 0 && asciiWordByte(initials[at]) && asciiWordByte(initials[at - 1]))
            continue;
        size_t k = 1;
        while (k < length && wanted[k][initials[at + qsizetype(k)]])
            ++k;
        if (k == length)
            return at;
    }
    return -1;
}

int QuickSearchIndex::match(const Entry &entry, const Query &query,
                            const std::vector<quint8> &accountHits) const
{
    QByteArrayView cells[3];
    m_pool->cells(entry.start, cells, 3);
    const quint8 account = accountHits[entry.account];
    if (account == 2 || startsWith(cells[0], query.folded) || startsWith(cells[2], query.folded))
        return 2;
    const qsizetype inText = QuickSearchText::indexOf(cells[1], query.folded, query.exact, true);
    if (inText == 0)
        return 2;
    const qsizetype at = initialsAt(entry, query.initials);
    if (at == 0)
        return 2;
    return at > 0 || inText > 0 || account == 1 ? 1 : 0;
}

// Going back to every summary (Esc, the box emptied) is one pass in order, on one processor.
std::vector<quint32> QuickSearchIndex::everyInScope() const
{
    std::vector<quint32> every;
    every.reserve(size_t(m_count));
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].alive && inScope(i))
            every.push_back(quint32(i));
    return every;
}

std::vector<quint32> QuickSearchIndex::find(QStringView text)
{
    build(std::numeric_limits<qint64>::max());
    if (text.isEmpty())
        return everyInScope();
    const Query query = queryFor(text);

    // The longest earlier text this one goes on from: only its summaries can match.
    const Result *narrowed = nullptr;
    for (const Result &result : m_results) {
        if (result.folded == query.folded)
            return result.summaries;
        if (query.folded.startsWith(result.folded) &&
            (!narrowed || result.folded.size() > narrowed->folded.size()))
            narrowed = &result;
    }
    std::vector<quint32> candidates;
    if (narrowed) {
        const auto &found = narrowed->summaries;
        const auto middle = found.begin() + qsizetype(narrowed->atStart);
        candidates.resize(found.size());
        std::merge(found.begin(), middle, middle, found.end(), candidates.begin());
    }

    std::vector<quint8> accountHits(m_accounts.size());
    for (size_t a = 0; a < m_accounts.size(); ++a) {
        const qsizetype at =
            QuickSearchText::indexOf(m_accounts[a], query.folded, query.exact, false);
        accountHits[a] = at < 0 ? 0 : at == 0 ? 2 : 1;
    }
    // Each part of the summaries on a processor of its own; the parts' hits joined in order.
    struct Found
    {
        std::vector<quint32> atStart;
        std::vector<quint32> inside;
    };
    const size_t total = narrowed ? candidates.size() : m_entries.size();
    std::vector<Found> parts(InParts::partsFor(total));
    InParts::run(total, parts.size(), [&](size_t part, size_t from, size_t to) {
        Found &found = parts[part];
        for (size_t k = from; k < to; ++k) {
            const quint32 i = narrowed ? candidates[k] : quint32(k);
            const Entry &entry = m_entries[i];
            if (!entry.alive || !inScope(i))
                continue;
            const int how = match(entry, query, accountHits);
            if (how == 2)
                found.atStart.push_back(i);
            else if (how == 1)
                found.inside.push_back(i);
        }
    });
    std::vector<quint32> hits;
    hits.reserve(total);
    for (const Found &found : parts)
        hits.insert(hits.end(), found.atStart.begin(), found.atStart.end());
    const size_t atStart = hits.size();
    for (const Found &found : parts)
        hits.insert(hits.end(), found.inside.begin(), found.inside.end());
    if (m_results.size() == kResultsKept)
        m_results.erase(m_results.begin());
    m_results.push_back({query.folded, hits, atStart});
    return hits;
}
