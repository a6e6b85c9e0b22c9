#pragma once

#include "QuickSearchIndex.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

namespace DataKit {
class Database;
}
class QThread;

// The picker's reading in the background, on a connection of its own to the host's database, so
// that the user never waits for a million summaries or a count over every voucher line. One task
// at a time; done() arrives on the thread that started it.
class PickerSource final : public QObject
{
    Q_OBJECT
public:
    struct Task
    {
        bool readSummaries = false; // read the listing whatever the change count says
        // Read the listing when the change count differs from this one (-1: never).
        qint64 readWhenCountIsNot = -1;
        QString usageQuery; // "" when usage is not to be read now
    };
    struct Reading
    {
        qint64 changeCount = -1; // taken before the listing was read; -1 when it failed
        std::optional<QuickSearchIndex> summaries;
        std::optional<QHash<QByteArray, quint32>> usage;
    };

    // The listing read into a complete index, on database.
    static QuickSearchIndex readSummaries(DataKit::Database &database);

    explicit PickerSource(QString target, QObject *parent = nullptr);
    ~PickerSource() override; // waits for the running task

    bool busy() const;
    void start(const Task &task);
    void wait();
    // The last finished task's reading, once; nothing while a task runs.
    std::optional<Reading> take();

signals:
    void done();

private:
    static Reading run(const Task &task, std::shared_ptr<DataKit::Database> &connection,
                       const QString &target);

    QString m_target;
    std::shared_ptr<DataKit::Database> m_connection; // used by one task at a time
    QThread *m_thread = nullptr;
    std::optional<Reading> m_reading;
};
