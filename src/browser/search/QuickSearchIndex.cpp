#include "QuickSearchIndex.h"

#include "PolyphoneInitials.h"

#include <algorithm>
#include <bit>

namespace {

constexpr quint8 kFirstSet = 0x80;
constexpr int kMaxSets = 0x80;
constexpr quint32 kNoEntry = 0xffffffff;

bool oneLetter(quint32 mask)
{
    return mask != 0 && (mask & (mask - 1)) == 0;
}

// UTF-8 from the database into UTF-16, the common case at its own speed: the text of every
// summary of a listing passes through here. A broken sequence gives U+FFFD, as Qt's decoder does.
void decodeUtf8(QByteArrayView in, QString &out)
{
    out.resize(in.size()); // never more units than bytes
    char16_t *to = reinterpret_cast<char16_t *>(out.data());
    const auto *p = reinterpret_cast<const quint8 *>(in.data());
    const quint8 *end = p + in.size();
    const auto continuation = [&](qsizetype k) { return p + k < end && (p[k] & 0xC0) == 0x80; };
    while (p < end) {
        const quint8 b = *p;
        if (b < 0x80) {
            *to++ = b;
            ++p;
        } else if (b >= 0xC2 && b < 0xE0 && continuation(1)) {
            *to++ = char16_t((b & 0x1F) << 6 | (p[1] & 0x3F));
            p += 2;
        } else if (b >= 0xE0 && b < 0xF0 && continuation(1) && continuation(2)) {
            const char32_t u = (b & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F);
            *to++ = u >= 0x800 ? char16_t(u) : char16_t(QChar::ReplacementCharacter);
            p += 3;
        } else if (b >= 0xF0 && b < 0xF5 && continuation(1) && continuation(2) && continuation(3)) {
            const char32_t u =
                (b & 0x07) << 18 | (p[1] & 0x3F) << 12 | (p[2] & 0x3F) << 6 | (p[3] & 0x3F);
            if (u >= 0x10000 && u <= 0x10FFFF) {
                *to++ = QChar::highSurrogate(u);
                *to++ = QChar::lowSurrogate(u);
            } else {
                *to++ = QChar::ReplacementCharacter;
            }
            p += 4;
        } else {
            *to++ = QChar::ReplacementCharacter;
            ++p;
        }
    }
    out.truncate(to - reinterpret_cast<const char16_t *>(out.constData()));
}

quint16 clampedLength(qsizetype length)
{
    return quint16(std::min<qsizetype>(length, 0xFFFF));
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

void QuickSearchIndex::squeeze()
{
    hashNew();
    keepRoom(m_entries);
    keepRoom(m_initials);
    m_pool.squeeze(); // a QString grows in place
}

// The byte a unit of text is searched by: its one letter, the set of its letters, or for a unit
// without a reading the unit itself when it is ASCII (upper case), else 0, which nothing matches.
quint8 QuickSearchIndex::initialByte(quint32 mask, QChar unit)
{
    if (mask == 0)
        return unit.unicode() < 0x80 ? quint8(unit.toUpper().unicode()) : 0;
    if (oneLetter(mask))
        return quint8('A' + qCountTrailingZeroBits(mask));
    const auto known = std::find(m_letterSets.begin(), m_letterSets.end(), mask);
    if (known != m_letterSets.end())
        return quint8(kFirstSet + (known - m_letterSets.begin()));
    if (int(m_letterSets.size()) == kMaxSets) // never seen: the dictionary has far fewer sets
        return quint8('A' + qCountTrailingZeroBits(mask));
    m_letterSets.push_back(mask);
    return quint8(kFirstSet + m_letterSets.size() - 1);
}

QuickSearchIndex::Entry QuickSearchIndex::encode(QStringView code, QStringView text,
                                                 QStringView mnemonic, quint32 account)
{
    Entry entry{};
    entry.start = quint32(m_pool.size());
    entry.codeLength = clampedLength(code.size());
    entry.textLength = clampedLength(text.size());
    entry.mnemonicLength = clampedLength(mnemonic.size());
    m_pool.append(code.left(entry.codeLength));
    m_pool.append(text.left(entry.textLength));
    m_pool.append(mnemonic.left(entry.mnemonicLength));

    text = text.left(entry.textLength);
    PolyphoneInitials(text, m_masks);
    entry.initials = quint32(m_initials.size());
    for (qsizetype i = 0; i < text.size(); ++i)
        m_initials.push_back(initialByte(m_masks[size_t(i)], text[i]));
    entry.account = account;
    entry.alive = true;
    return entry;
}

// Account names are kept once each, found again by their UTF-8 text.
quint32 QuickSearchIndex::accountOf(QByteArrayView utf8)
{
    const auto known = m_accountIndex.constFind(QByteArray::fromRawData(utf8.data(), utf8.size()));
    if (known != m_accountIndex.constEnd())
        return *known;
    const auto account = quint32(m_accounts.size());
    m_accounts.append(QString::fromUtf8(utf8));
    m_accountIndex.insert(utf8.toByteArray(), account);
    return account;
}

void QuickSearchIndex::append(const Cells &cells)
{
    m_entries.push_back(encode(cells[0], cells[1], cells[2], accountOf(cells[3].toUtf8())));
    ++m_count;
}

void QuickSearchIndex::appendUtf8(const QByteArrayView *cells, int count)
{
    for (int i = 0; i < 3; ++i)
        decodeUtf8(i < count ? cells[i] : QByteArrayView(), m_decoded[size_t(i)]);
    m_entries.push_back(encode(m_decoded[0], m_decoded[1], m_decoded[2],
                               accountOf(count > 3 ? cells[3] : QByteArrayView())));
    ++m_count;
}

// Enters the entries appended since the table was last brought up to date; a table that would
// grow too full is made anew for all of them at once.
void QuickSearchIndex::hashNew()
{
    const size_t fresh = m_entries.size() - m_hashed;
    if (fresh == 0)
        return;
    // At most half the slots taken keeps the probes short.
    if (2 * (m_slotsUsed + fresh) > m_byCode.size()) {
        rehash(std::max<size_t>(64, 4 * size_t(m_count)));
        return;
    }
    for (; m_hashed < m_entries.size(); ++m_hashed)
        place(quint32(m_hashed), qHash(code(m_entries[m_hashed])));
}

void QuickSearchIndex::place(quint32 entry, size_t hash)
{
    const size_t mask = m_byCode.size() - 1;
    size_t slot = hash & mask;
    while (m_byCode[slot] != kNoEntry)
        slot = (slot + 1) & mask;
    m_byCode[slot] = entry;
    ++m_slotsUsed;
}

// Slots for the living entries only, at least `wanted` of them (rounded up to a power of two).
// A large table is read at random: the slots a few entries ahead are asked of memory while the
// current one is placed, rather than waited for one by one.
void QuickSearchIndex::rehash(size_t wanted)
{
    m_byCode.assign(std::bit_ceil(wanted), kNoEntry);
    m_slotsUsed = 0;
    const size_t mask = m_byCode.size() - 1;
    std::vector<size_t> hashes(m_entries.size());
    for (size_t i = 0; i < m_entries.size(); ++i)
        hashes[i] = qHash(code(m_entries[i]));
    constexpr size_t kAhead = 16;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (i + kAhead < m_entries.size())
            __builtin_prefetch(&m_byCode[hashes[i + kAhead] & mask]);
        if (m_entries[i].alive)
            place(quint32(i), hashes[i]);
    }
    m_hashed = m_entries.size();
}

qsizetype QuickSearchIndex::indexOf(QStringView code) const
{
    if (m_byCode.empty())
        return -1;
    const size_t mask = m_byCode.size() - 1;
    for (size_t slot = qHash(code) & mask; m_byCode[slot] != kNoEntry; slot = (slot + 1) & mask) {
        const Entry &entry = m_entries[m_byCode[slot]];
        if (entry.alive && this->code(entry) == code)
            return m_byCode[slot];
    }
    return -1;
}

// The old content stays in the pools unused until the next full refill rebuilds the index.
void QuickSearchIndex::save(const QString &oldCode, const Cells &cells)
{
    hashNew();
    const qsizetype i = indexOf(oldCode);
    if (i < 0) {
        append(cells);
        return;
    }
    m_entries[size_t(i)] = encode(cells[0], cells[1], cells[2], accountOf(cells[3].toUtf8()));
    if (cells[0] != oldCode)
        place(quint32(i), qHash(code(m_entries[size_t(i)])));
}

void QuickSearchIndex::remove(const QString &code)
{
    hashNew();
    const qsizetype i = indexOf(code);
    if (i < 0)
        return;
    m_entries[size_t(i)].alive = false;
    --m_count;
}

QStringView QuickSearchIndex::code(const Entry &entry) const
{
    return QStringView(m_pool).mid(entry.start, entry.codeLength);
}

QStringView QuickSearchIndex::text(const Entry &entry) const
{
    return QStringView(m_pool).mid(entry.start + entry.codeLength, entry.textLength);
}

QStringView QuickSearchIndex::mnemonic(const Entry &entry) const
{
    return QStringView(m_pool).mid(entry.start + entry.codeLength + entry.textLength,
                                   entry.mnemonicLength);
}

void QuickSearchIndex::beginScope()
{
    hashNew();
    m_scoped = true;
    m_scope.assign(m_entries.size(), false);
}

void QuickSearchIndex::addToScope(const QByteArrayView *cells, int count)
{
    decodeUtf8(count > 0 ? cells[0] : QByteArrayView(), m_decoded[0]);
    const qsizetype i = indexOf(m_decoded[0]);
    if (i < 0)
        appendUtf8(cells, count);
    else if (size_t(i) < m_scope.size())
        m_scope[size_t(i)] = true;
}

bool QuickSearchIndex::inScope(size_t entry) const
{
    return !m_scoped || entry >= m_scope.size() || m_scope[entry];
}

// A text without letters reads only the ASCII units that stand for themselves, which the search in
// the text itself finds already.
QuickSearchIndex::Initials QuickSearchIndex::initialsOf(QStringView upper) const
{
    const auto letter = [](QChar unit) { return unit >= u'A' && unit <= u'Z'; };
    if (std::none_of(upper.begin(), upper.end(), letter))
        return {};
    Initials wanted;
    for (const QChar unit : upper) {
        const char16_t c = unit.unicode();
        if (c == 0 || c >= kFirstSet)
            return {};
        std::array<bool, 256> &accepts = wanted.emplace_back();
        accepts.fill(false);
        accepts[c] = true;
        if (c < 'A' || c > 'Z')
            continue;
        for (size_t set = 0; set < m_letterSets.size(); ++set)
            accepts[kFirstSet + set] = m_letterSets[set] & (1u << (c - 'A'));
    }
    return wanted;
}

namespace {

bool asciiWordCharacter(QChar unit)
{
    const char16_t c = unit.unicode();
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

qsizetype QuickSearchIndex::initialsAt(const Entry &entry, const Initials &wanted) const
{
    const auto length = qsizetype(wanted.size());
    if (length == 0 || length > entry.textLength)
        return -1;
    const quint8 *initials = m_initials.data() + entry.initials;
    const QStringView units = text(entry);
    const std::array<bool, 256> &first = wanted.front();
    for (qsizetype at = 0; at + length <= entry.textLength; ++at) {
        if (!first[initials[at]])
            continue;
        // Inside a run of ASCII letters and digits no word starts.
        if (at > 0 && asciiWordCharacter(units[at]) && asciiWordCharacter(units[at - 1]))
            continue;
        qsizetype k = 1;
        while (k < length && wanted[size_t(k)][initials[at + k]])
            ++k;
        if (k == length)
            return at;
    }
    return -1;
}

// One pass over the entries, the hits at a cell's start kept apart from those inside; nothing is
// allocated per summary.
std::vector<quint32> QuickSearchIndex::find(QStringView text) const
{
    std::vector<quint32> hits;
    std::vector<quint32> inside;
    hits.reserve(size_t(m_count));
    const QString upper = text.toString().toUpper();
    const Initials initials = initialsOf(upper);
    // Texts are mostly Chinese: a search text without letters is compared as it is, the fast way.
    const Qt::CaseSensitivity cs =
        upper == text.toString().toLower() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    // By account: 0 no match, 1 inside its name, 2 at its start.
    std::vector<quint8> accountHit(size_t(m_accounts.size()));
    for (qsizetype a = 0; a < m_accounts.size(); ++a) {
        const qsizetype at = m_accounts.at(a).indexOf(text, 0, cs);
        accountHit[size_t(a)] = at < 0 ? 0 : at == 0 ? 2 : 1;
    }
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const Entry &entry = m_entries[i];
        if (!entry.alive || !inScope(i))
            continue;
        const qsizetype inText = this->text(entry).indexOf(text, 0, cs);
        const quint8 account = accountHit[entry.account];
        if (text.isEmpty() || inText == 0 || account == 2 ||
            code(entry).startsWith(text, Qt::CaseInsensitive) ||
            mnemonic(entry).startsWith(text, Qt::CaseInsensitive))
            hits.push_back(quint32(i));
        else if (const qsizetype at = initialsAt(entry, initials); at == 0)
            hits.push_back(quint32(i));
        else if (at > 0 || inText > 0 || account == 1)
            inside.push_back(quint32(i));
    }
    hits.insert(hits.end(), inside.begin(), inside.end());
    return hits;
}

QuickSearchIndex::Cells QuickSearchIndex::cells(quint32 summary) const
{
    const Entry &entry = m_entries[summary];
    return {code(entry).toString(), text(entry).toString(), mnemonic(entry).toString(),
            m_accounts.at(entry.account)};
}

qsizetype QuickSearchIndex::memoryUsed() const
{
    qsizetype accounts = 0;
    for (const QString &name : m_accounts)
        accounts += name.capacity() * 2 + 64; // the text, its header and the index's hash node
    return qsizetype(m_entries.capacity() * sizeof(Entry) + m_byCode.capacity() * sizeof(quint32)) +
           m_pool.capacity() * 2 +
           qsizetype(m_initials.capacity() + m_letterSets.capacity() * sizeof(quint32)) + accounts;
}
