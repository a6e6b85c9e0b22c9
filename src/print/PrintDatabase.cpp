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

// An empty file is an empty SQLite database. Readable and writable by its owner alone: the
// journal SQLite makes beside it takes the same mode.
bool createPrintFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                     QFileDevice::ReadOwner | QFileDevice::WriteOwner);
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
        if (!createPrintFile(path)) {
            MsgBox(nullptr, QStringLiteral("不能建立打印数据库“%1”。").arg(path),
                   QStringLiteral("提示"), MsgIcon::Error);
            return nullptr;
        }
        return openPrintFile(path);
    } catch (const DataKit::Error &error) {
        MsgBox(nullptr, error.description(), QStringLiteral("提示"), MsgIcon::Error);
        return nullptr;
    }
}

bool ReopenPrintDatabase(DataKit::Database &database)
{
    try {
        if (!QFile::exists(database.target()) && !createPrintFile(database.target()))
            return false;
        // The first statement opens the file that is there now.
        database.Execute(QStringLiteral("PRAGMA journal_mode=TRUNCATE"));
        return true;
    } catch (const DataKit::Error &) {
        return false;
    }
}
