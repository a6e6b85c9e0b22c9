// A model-based random test of the summary window, on both engines. Long random sequences of a
// user's actions (moving, typing into any cell, opening and abandoning cell editors, Add, Cancel,
// Delete of one summary or a group, Refresh, Find, Filter, sorting, closing) meet another user who
// inserts, changes, renames, deletes and locks summaries, and connections that drop. After every
// action: exactly one entry row, at the bottom; mblnAddMark when the cursor is on it; the buttons
// as the editing state has them; only the component's own messages; the table exactly as a model
// predicts (every row reported saved stored as typed, only the cells changed, nothing gone that
// the window did not delete); after Refresh, the grid shows the table.
//
// KVDIGEST_RANDOM_SEED replays a run (the seed is printed), KVDIGEST_RANDOM_ACTIONS sets its
// length: a failure prints the seed, the action and the actions before it.
#include "RandomRun.h"

#include "NothingLeft.h"
#include "TestDatabase.h"

#include <QTest>

#include <cstdio>

class tst_Random : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { KV_VERIFY_NOTHING_LEFT(); }
    void randomSequencesKeepTheInvariants();
};

void tst_Random::randomSequencesKeepTheInvariants()
{
    const quint32 seed = kvtest::seedFromEnvironment("KVDIGEST_RANDOM_SEED", 20240611u);
    const int actions = qEnvironmentVariableIsSet("KVDIGEST_RANDOM_ACTIONS")
                            ? qEnvironmentVariableIntValue("KVDIGEST_RANDOM_ACTIONS")
                            : 12000;
    kvtest::RandomRun run(seed);
    const bool kept = run.go(actions);
    // Printed past the test log's limit on messages, which the platform's warnings use up.
    std::printf("seed %u: %d of %d actions, %d invariant checks passed, %d rows saved, %d "
                "connection losses survived; messages shown:\n",
                seed, run.checks + !kept, actions, run.checks, run.saves, run.faults);
    for (const auto &[message, count] : run.said)
        std::printf("  %6d  %s\n", count, qPrintable(message));
    QVERIFY2(kept, qPrintable(QStringLiteral("seed %1, %2").arg(seed).arg(run.failure)));
}

KV_TEST_MAIN(tst_Random)
#include "tst_random.moc"
