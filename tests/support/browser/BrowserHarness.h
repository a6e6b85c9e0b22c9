#pragma once

#include "OtherUser.h"
#include "StoredRows.h"
#include "TestDatabase.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>

class QXDigest;
class frmDigBrowse;
class GridControl;
class QAction;

namespace DataKit {
class Database;
}

namespace kvtest {

// What a host's use of the component leaves behind: the window's one instance and the database the
// component keeps for its next Init. A test lets go of both when it is done.
void releaseComponent();

// The one way a test opens the summary window: on the demo ledger unless given a database (which
// the test may fill through db() before open()). open() does what a host does (Init, then the
// window's load) but shows the window without a modal loop so the test can drive it; the queued
// start-up keystroke is delivered before open() returns. Closing and releasing happen in the
// destructor.
class BrowserHarness
{
public:
    explicit BrowserHarness(std::shared_ptr<DataKit::Database> db = hostDatabase(),
                            bool readOnly = false);
    ~BrowserHarness();

    BrowserHarness(const BrowserHarness &) = delete;
    BrowserHarness &operator=(const BrowserHarness &) = delete;

    void open();
    frmDigBrowse &window() const;
    GridControl &grid() const;
    DataKit::Database &db() const { return *m_db; }

    // Lets queued keystrokes and repaints through.
    void settle() const;
    // A key pressed or text typed to the focused widget, as a user does, then settled.
    void press(Qt::Key key, Qt::KeyboardModifiers mods = {}) const;
    void type(const QString &text) const;
    // The cursor put on a row's code cell by the program, then settled.
    void goToRow(long row) const;
    QStringList row(long row) const;
    // The code of the listing's current record.
    QString currentCode() const;
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

// The window on the demo ledger (or the database given), opened at once: what most tests start
// with.
class OpenBrowser : public BrowserHarness
{
public:
    explicit OpenBrowser(std::shared_ptr<DataKit::Database> db = hostDatabase(),
                         bool readOnly = false);
};

} // namespace kvtest
