#include "BenchWindow.h"

#include "Database.h"
#include "QXDigest.h"
#include "frmDigBrowse.h"

#include <QCoreApplication>

frmDigBrowse &OpenBenchWindow(const std::shared_ptr<DataKit::Database> &db)
{
    QXDigest digest;
    if (!digest.Init(db, false))
        qFatal("the listing cannot be opened");
    frmDigBrowse &window = frmDigBrowse::instance();
    window.dbs = db;
    window.Load();
    window.show();
    QCoreApplication::processEvents();
    return window;
}

void CloseBenchWindow(frmDigBrowse &window, DataKit::Database &db)
{
    window.close();
    frmDigBrowse::releaseInstance();
    db.Close(); // the component keeps its own reference to the database
}
