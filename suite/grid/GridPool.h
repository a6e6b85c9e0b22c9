#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QtGlobal>

#include <cstring>

// The bytes behind grid rows. Each row's cells are one record: the cell count, each cell's length,
// then the cells' texts in UTF-8; a record is named by its start. A text many rows repeat (an
// account's name) may be kept once: the record then holds where it lies instead. Records are only
// ever added, so a start stays good for as long as the pool lives: the rows the grid shows, the
// rows of a search's result and the search's own index share one pool and name the same records,
// and nothing is copied to show a result or to go back to every row.
class GridPool final
{
public:
    // Bytes after the last record that can be read and mean nothing: a scan may load a whole
    // vector that reaches past the end of a cell.
    static constexpr qsizetype kSlack = 32;

    GridPool();

    // Writes a record and gives its start; a row whose cells are all empty shares start 0. The
    // cells may lie in this pool. Cell i is kept once for all records when bit i of shared is set.
    quint32 write(const QByteArrayView *cells, int count, quint32 shared = 0);

    // The record's cells, at most max of them, valid until the next write; gives their count.
    int cells(quint32 start, QByteArrayView *out, int max) const
    {
        const char *p = m_bytes.constData() + start;
        const int count = int(takeNumber(p));
        const char *texts = p;
        for (int i = 0; i < count; ++i)
            takeNumber(texts);
        for (int i = 0; i < count && i < max; ++i) {
            const quint32 length = takeNumber(p);
            if (length & kKeptOnce) {
                quint32 at;
                std::memcpy(&at, texts, sizeof at);
                out[i] = QByteArrayView(m_bytes.constData() + at, qsizetype(length >> 1));
                texts += sizeof at;
            } else {
                out[i] = QByteArrayView(texts, qsizetype(length >> 1));
                texts += length >> 1;
            }
        }
        return count;
    }
    QByteArrayView cell(quint32 start, int col) const;

    // The bytes the records take.
    qsizetype size() const { return m_bytes.size() - kSlack; }
    // Gives back the room kept for growth.
    void squeeze() { m_bytes.squeeze(); }

private:
    // In a cell's length (shifted one bit up): its text is kept once, where the four bytes in
    // place of the text say.
    static constexpr quint32 kKeptOnce = 1;

    quint32 keptOnce(QByteArrayView text);

    static quint32 takeNumber(const char *&p)
    {
        quint32 value = 0;
        for (int shift = 0;; shift += 7) {
            const auto byte = quint8(*p++);
            value |= quint32(byte & 0x7f) << shift;
            if (!(byte & 0x80))
                return value;
        }
    }

    QByteArray m_bytes;
    QHash<QByteArray, quint32> m_keptOnce; // the texts kept once, by where they lie
};
