#pragma once

#include <QApplication>
#include <QTest>
#include <QTextStream>

namespace kvtest {
bool usingPostgres();
// A random test's seed: the number the environment variable holds (to replay a run), else fallback.
quint32 seedFromEnvironment(const char *variable, quint32 fallback);
// Default QT_QPA_PLATFORM to offscreen (before the application object exists).
void prepareTestProcess();
// True (after printing why) when this run is for PostgreSQL and KVDIGEST_PG_URL names no server.
bool postgresRequestedButAbsent();
} // namespace kvtest

// QTEST_MAIN for suites that touch a database: the PostgreSQL run without a server is skipped
// with CTest's SKIP_RETURN_CODE 77.
#define KV_TEST_MAIN(TestClass)                                                                    \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        kvtest::prepareTestProcess();                                                              \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        if (kvtest::postgresRequestedButAbsent())                                                  \
            return 77;                                                                             \
        TestClass tc;                                                                              \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
