#pragma once

#include <QWidget>

#include <memory>

class DigestPicker;
class QLabel;
class QTableView;
class VoucherLines;

namespace DataKit {
class Database;
}

// The demo host's voucher entry (kvdigest voucher): lines of 摘要 and 科目, the 摘要 typed with the
// component's picker, which fills in the account of the summary picked; 保存 (Ctrl+S) stores the
// lines as a new voucher, 存为常用摘要 keeps a line's typed text as a new common summary.
class VoucherWindow final : public QWidget
{
    Q_OBJECT
public:
    // Readies the ledger first (VoucherLedger::prepare) and reads its chart of accounts; throws
    // DataKit::Error when either fails.
    explicit VoucherWindow(std::shared_ptr<DataKit::Database> database, QWidget *parent = nullptr);
    ~VoucherWindow() override;

private:
    void finishEditing();
    void tell(const QString &message);
    void save();
    void keepAsSummary();

    std::shared_ptr<DataKit::Database> m_database;
    DigestPicker *m_picker;
    VoucherLines *m_lines;
    QTableView *m_view;
    QLabel *m_status;
};
