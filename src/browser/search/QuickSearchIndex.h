#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <array>
#include <vector>

// The summaries the quick search looks through, in compact form: the listing as the window last
// read it, in listing order, kept in step with the window's own saves and deletions. Code, text
// and mnemonic share one pool of characters, each account name is kept once, and each character
// of a text has one byte of polyphone initials (a letter, or one of a few letter sets).
class QuickSearchIndex final
{
public:
    // The four cells of a grid row: code, text, mnemonic, account name.
    using Cells = std::array<QString, 4>;

    // Gives back most of the room kept for growth, once a whole listing has been appended.
    void squeeze();
    // A summary after the others.
    void append(const Cells &cells);
    // The same from a grid row's cells in UTF-8 (code, text, mnemonic, account name; missing ones
    // empty), the way a whole listing is taken in.
    void appendUtf8(const QByteArrayView *cells, int count);
    // A summary saved under a new content: the one stored under oldCode, or a new one at the end.
    void save(const QString &oldCode, const Cells &cells);
    void remove(const QString &code);

    // The summaries whose code or mnemonic starts with text, whose text or account name contains
    // it, or whose text's polyphone initials read it from a word's start (any Chinese character,
    // or the first of a run of ASCII letters and digits); case is ignored and every character
    // stands for itself. Those matched at the start of a cell come first, each group in listing
    // order. All summaries in scope when text is empty.
    std::vector<quint32> find(QStringView text) const;

    // The scope: the summaries a filter shows, handed over by their cells in UTF-8 after
    // beginScope, one call each. Every later find looks only among them and the summaries added
    // after; one the index did not know (another user's, stored since the listing was read) is
    // taken in. A new index has no scope.
    void beginScope();
    void addToScope(const QByteArrayView *cells, int count);
    Cells cells(quint32 summary) const;

    qsizetype count() const { return m_count; }
    // What the index holds in memory, in bytes.
    qsizetype memoryUsed() const;

private:
    struct Entry
    {
        quint32 start;    // code, text and mnemonic, one after another in m_pool
        quint32 initials; // one byte per unit of the text in m_initials
        quint32 account;  // in m_accounts
        quint16 codeLength;
        quint16 textLength;
        quint16 mnemonicLength;
        bool alive;
    };

    Entry encode(QStringView code, QStringView text, QStringView mnemonic, quint32 account);
    quint32 accountOf(QByteArrayView utf8);
    // The table of entries by code: open addressing over the code's hash, so that a save or a
    // deletion finds its summary at once whatever the size of the listing. Entries appended are
    // entered when the table is next needed (a whole listing at once, when it is squeezed). A slot
    // may still name an entry whose code has changed or that was removed since: look-ups pass
    // over those.
    void hashNew();
    void place(quint32 entry, size_t hash);
    void rehash(size_t wanted);
    quint8 initialByte(quint32 mask, QChar unit);
    // For each character of an upper-case search text, the initial bytes it accepts; empty when
    // the text cannot be initials.
    using Initials = std::vector<std::array<bool, 256>>;
    Initials initialsOf(QStringView upper) const;
    // Where the initials of the entry's text read the search text from a word's start; -1 nowhere.
    qsizetype initialsAt(const Entry &entry, const Initials &wanted) const;
    bool inScope(size_t entry) const;
    QStringView code(const Entry &entry) const;
    QStringView text(const Entry &entry) const;
    QStringView mnemonic(const Entry &entry) const;
    qsizetype indexOf(QStringView code) const;

    std::vector<Entry> m_entries;
    // Reused by every summary taken in: its cells decoded, its text's initials.
    std::array<QString, 3> m_decoded;
    std::vector<quint32> m_masks;
    std::vector<quint32> m_byCode; // entry numbers; a power of two of slots, kNoEntry when free
    size_t m_slotsUsed = 0;
    size_t m_hashed = 0; // the entries before this one are in m_byCode
    QString m_pool;
    std::vector<quint8> m_initials;
    std::vector<quint32> m_letterSets; // byte 0x80 + i stands for the letters of set i
    QStringList m_accounts;
    QHash<QByteArray, quint32> m_accountIndex; // by the name in UTF-8
    qsizetype m_count = 0;
    bool m_scoped = false;
    std::vector<bool> m_scope; // by entry; entries past its end are in scope
};
