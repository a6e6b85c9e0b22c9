#include "PrintDatabase.h"

#include "Database.h"
#include "MdlDigest.h"
#include "MessageBox.h"

#include <QFile>

namespace {

std::shared_ptr<DataKit::Database> openPrintFile(const QString &path)
{
    auto database = DataKit::Database::open(path);
    // Every statement of a job commits on its own: the journal is emptied after each rather than
    // deleted and made again, which also keeps working in a folder where files cannot be removed.
    database->Execute(QStringLiteral("PRAGMA journal_mode=TRUNCATE"));
    return database;
}

QString printDatabasePath(const QString &directory, const QString &sessionId)
{
    return directory + QStringLiteral("/QXInit2") + sessionId + QStringLiteral(".MDB");
}

} // namespace

std::shared_ptr<DataKit::Database> OpenPrintDatabase(const QString &directory)
{
    const QString path = printDatabasePath(directory, MdlDigest::CurrentSessionId());
    try {
        // The old file that cannot be deleted (the path or file access error) is used as it is.
        if (QFile::exists(path) && !QFile::remove(path))
            return openPrintFile(path);
        // A journal left behind by the old file must not be played back into the new one.
        QFile::remove(path + QStringLiteral("-journal"));
        // The created database is released at once; the one kept is opened anew.
        DataKit::Database::open(path, true);
        return openPrintFile(path);
    } catch (const DataKit::Error &error) {
        MsgBox(nullptr, error.description(), QStringLiteral("提示"), MsgIcon::Error);
        return nullptr;
    }
}
