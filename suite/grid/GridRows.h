#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <functional>
#include <vector>

// Rows of text cells in compact form, the grid's data rows. Each row is one record in a pool of
// bytes: its cell count, each cell's length, then the cells' texts in UTF-8; rows are found through
// a table of record starts kept in blocks, so that taking a row out of the middle moves one block
// only. A row of the listing (code, text, mnemonic, account name) takes some 80 bytes, against
// about 400 as four QStrings; a row whose cells are all empty takes only its start.
//
// A changed cell writes its row's record anew at the end of the pool; the old one stays unused
// until the rows are filled again.
class GridRows final
{
public:
    GridRows();

    long size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    // Empty for a row or column the rows do not have.
    QString cell(long row, long col) const;
    QByteArrayView cellUtf8(long row, long col) const;
    void setCell(long row, long col, QStringView text);

    // Hands rows first .. last, in order, to row: each one's cells in UTF-8, valid during the call.
    // row answers whether to go on.
    using Reader = std::function<bool(const QByteArrayView *cells, int count)>;
    void read(long first, long last, const Reader &row) const;

    // A row after the others, from its cells' texts in UTF-8.
    void append(const QByteArrayView *cells, int count);
    void appendBlank(long count);
    // Appends all of other's rows, leaving other empty.
    void take(GridRows &other);
    void truncate(long count);
    void remove(long row);
    // Puts rows first .. first + order.size() - 1 in a new order: order[i] is the row that comes
    // to position first + i.
    void reorder(long first, const std::vector<long> &order);
    // Gives back the room kept for growth.
    void squeeze();

private:
    // One row's cells, as it is written in the pool.
    struct Record
    {
        int count = 0;
        const char *lengths = nullptr;
        const char *texts = nullptr;
    };

    Record record(long row) const;
    quint32 &start(long row);
    quint32 start(long row) const;
    quint32 write(const QByteArrayView *cells, int count);
    void pushStart(quint32 start);

    QByteArray m_pool;
    // The starts of the rows' records, in blocks of at most kBlock; m_firstRow[b] is the row number
    // of block b's first start.
    std::vector<std::vector<quint32>> m_blocks;
    std::vector<long> m_firstRow;
    long m_size = 0;
};
