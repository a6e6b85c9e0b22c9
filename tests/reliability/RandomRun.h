#pragma once
// One run of the model-based random test (tst_random.cpp) on the engine of the environment: the
// user's actions through the real window, another user on a second connection, dropped
// connections, and a model of GL_bDigest that predicts what every action leaves stored.
#include "BrowserHarness.h"

#include <QRandomGenerator>
#include <QStringList>
#include <QTimer>
#include <map>
#include <memory>

namespace DataKit {
class Database;
}
class frmDigBrowse;

namespace kvtest {

using Table = std::map<QString, QStringList>; // cId -> {cText, chelp, cCode}, Null as "(null)"

// Answers every modal window at once: a question as told, anything else with OK (a command's own
// dialog is given up); keeps the texts it saw.
class Answerer : public QObject
{
public:
    Answerer();
    QStringList messages;
    bool yes = false;

private:
    QTimer m_timer;
};

class RandomRun
{
public:
    explicit RandomRun(quint32 seed);
    ~RandomRun();
    // False after the first broken invariant; failure says which, with the last actions.
    bool go(int actions);

    QString failure;
    int checks = 0, faults = 0, saves = 0;
    std::map<QString, int> said; // the messages shown, by their beginning

private:
    // The actions (RandomRun_actions.cpp).
    void act();
    void otherUser();
    void typeIntoCell();
    void leaveOrCommand();
    void reopenIfClosed();
    // The model and the checks (RandomRun_checks.cpp).
    Table stored();
    void saved(const QStringList &snapshot, const QStringList &typed, bool adding, bool account);
    void compareRefreshed();
    bool check();
    QString accountCode(const QString &text) const;

    int pick(int n) { return int(m_random.bounded(n)); }
    bool chance(int percent) { return pick(100) < percent; }
    BrowserHarness &h() { return *m_harness; }
    frmDigBrowse &w();
    QStringList rowOf(long row);
    QStringList snapshot();
    void press(Qt::Key key, Qt::KeyboardModifiers mods = {});
    void trace(const QString &what);

    QRandomGenerator m_random;
    std::shared_ptr<DataKit::Database> m_db, m_checker;
    std::unique_ptr<OtherUser> m_other;
    std::unique_ptr<BrowserHarness> m_harness;
    std::map<QString, QString> m_accounts; // code -> name, all names distinct
    Table m_model;
    Answerer m_answerer;
    QStringList m_touchedFor; // the snapshot of the row an account was typed into, if any
    QString m_mismatch;       // what an action saw that must not be
    QStringList m_trace;      // what was done, for the report of a failure
};

} // namespace kvtest
