#pragma once

#include "VoucherLedger.h"

#include <QAbstractTableModel>
#include <QHash>

struct DigestMatch;

// The lines of the voucher being typed: 摘要, 科目 and the account's name. A line keeps the summary
// picked for it until its text is changed; an account typed by hand is named from the chart. The
// last line stays empty: a line is added below it when it gets a summary.
class VoucherLines final : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Summary, Account, AccountName, ColumnCount };

    VoucherLines(QHash<QString, QString> chart, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // The line takes the picked summary: its text, its code and its account.
    void pick(int row, const DigestMatch &match);
    const VoucherLedger::Line &line(int row) const;
    // The lines with a summary, in order, as they are stored.
    QList<VoucherLedger::Line> filled() const;
    // Empty lines again, for the next voucher.
    void reset();

private:
    struct Row
    {
        VoucherLedger::Line line;
        QString accountName;
    };

    void keepOneEmptyBelow(int row);

    QHash<QString, QString> m_chart;
    QList<Row> m_rows;
};
