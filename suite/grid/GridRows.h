#pragma once

#include "GridPool.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <functional>
#include <memory>
#include <vector>

// Rows of text cells in compact form, the grid's data rows. Each row is one record in a GridPool;
// rows are found through a table of record starts kept in blocks, so that taking a row out of the
// middle moves one block only. A row of the listing (code, text, mnemonic, account name) takes some
// 80 bytes, against about 400 as four QStrings; a row whose cells are all empty takes only its
// start. Copies share the pool: each has its own rows over the same records.
//
// A changed cell writes its row's record anew at the end of the pool; the old one stays unused
// until the rows are filled again.
class GridRows final
{
public:
    GridRows();
    // No rows yet, over a pool whose records they will name.
    explicit GridRows(std::shared_ptr<GridPool> pool);

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

    // The first row from `from` on whose cell in column col is text; -1 when none is.
    long find(long col, QByteArrayView text, long from = 0) const;
    // The first row that is the record at start (not the shared empty one); -1 when none is.
    long findRecord(quint32 start) const;

    const std::shared_ptr<GridPool> &pool() const { return m_pool; }
    // Where a row's record starts in the pool; the same for rows first .. last.
    quint32 recordStart(long row) const { return start(row); }
    std::vector<quint32> recordStarts(long first, long last) const;

    // A row after the others, from its cells' texts in UTF-8; the cells whose bits are set in
    // shared are kept once in the pool for all the rows that have the same text there.
    void append(const QByteArrayView *cells, int count, quint32 shared = 0);
    // A row after the others whose record is already in the pool.
    void appendRecord(quint32 start) { pushStart(start); }
    void appendBlank(long count);
    // Appends all of other's rows, leaving other empty; rows over the same pool pass by start.
    void take(GridRows &other);
    void truncate(long count);
    void remove(long row);
    // Puts rows first .. first + order.size() - 1 in a new order: order[i] is the row that comes
    // to position first + i.
    void reorder(long first, const std::vector<long> &order);
    // Gives back the room kept for growth.
    void squeeze();

private:
    quint32 &start(long row);
    quint32 start(long row) const;
    void pushStart(quint32 start);

    std::shared_ptr<GridPool> m_pool;
    // The starts of the rows' records, in blocks of at most kBlock; m_firstRow[b] is the row number
    // of block b's first start.
    std::vector<std::vector<quint32>> m_blocks;
    std::vector<long> m_firstRow;
    long m_size = 0;
};
