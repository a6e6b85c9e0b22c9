#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <memory>

namespace DataKit {
class Database;
class Recordset;
} // namespace DataKit

class QComboBox;
class QLabel;
class QPushButton;

// The find/filter dialog: a condition on the summaries by code, text and related account, each
// box with a "可能取值" button listing the values the table holds. The caller sets the caption,
// clears strSel, shows the dialog modally and reads strSel: the condition, or "" when there is
// none (cancelled, closed, or confirmed with every box empty).
class frmFilter final : public QDialog
{
    Q_OBJECT

public:
    // The value lists are read from database; helpFile is the file F1 opens.
    frmFilter(std::shared_ptr<DataKit::Database> database, QString helpFile, QWidget *parent);

    QString strSel;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void done(int result) override;

private:
    void Form_Load();
    void PlaceControls();
    void Form_KeyDown(int keyCode);
    bool cbo_KeyPress(QChar character);
    void cmdValue_Click(int box);
    void cmdYes_Click();
    void cmdNo_Click();

    std::shared_ptr<DataKit::Database> dbs;
    QString mHelpFile;
    QLabel *lblId;
    QLabel *lblText;
    QLabel *lblCode;
    std::array<QComboBox *, 3> mBoxes;          // cboId, cboText, cboCode
    std::array<QPushButton *, 3> mValueButtons; // cmdValue1..3
    QPushButton *cmdYes;
    QPushButton *cmdNo;
    std::array<std::shared_ptr<DataKit::Recordset>, 3> mValueLists;
};
