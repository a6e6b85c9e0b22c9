#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QXDigest;
class frmDigBrowse;
class GridControl;
class QAction;

namespace DataKit {
class Database;
}

namespace kvtest {

// One summary as stored: an empty text, mnemonic or account is stored as Null.
struct Summary
{
    QString id;
    QString text;
    QString help;
    QString account;
};

void insertSummaries(DataKit::Database &db, const QList<Summary> &summaries);
// The stored row for a code as {cId, cText, chelp, cCode}, Null read as "(null)"; empty when the
// code is not stored.
QStringList storedSummary(DataKit::Database &db, const QString &id);
long storedCount(DataKit::Database &db);

// Opens the summary window on a database the way a host does (Init, then the window's load), but
// shown without a modal loop so the test can drive it; the queued start-up keystroke is delivered
// before open() returns. Closing and releasing happen in the destructor.
class BrowserHarness
{
public:
    explicit BrowserHarness(std::shared_ptr<DataKit::Database> db, bool readOnly = false);
    ~BrowserHarness();

    BrowserHarness(const BrowserHarness &) = delete;
    BrowserHarness &operator=(const BrowserHarness &) = delete;

    void open();
    frmDigBrowse &window() const;
    GridControl &grid() const;
    DataKit::Database &db() const { return *m_db; }

    // Lets queued keystrokes and repaints through.
    void settle() const;
    QStringList row(long row) const;
    // The codes the grid shows above its blank entry row.
    QStringList codes() const;
    // Clicks the toolbar button as a user would (nothing happens when it is disabled).
    void click(const QString &key) const;
    bool enabled(const QString &key) const;
    // The five variable buttons as a word of +/-: Add, Del, Cancel, Find, Filter.
    QString buttons() const;

private:
    std::shared_ptr<DataKit::Database> m_db;
    std::unique_ptr<QXDigest> m_digest;
    bool m_readOnly;
};

} // namespace kvtest
