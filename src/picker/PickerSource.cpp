#include "PickerSource.h"

#include "Database.h"
#include "ListingRows.h"
#include "PickerLog.h"
#include "Recordset.h"
#include "SqlTexts.h"

#include <QThread>

#include <limits>

namespace {

const QString kSummaryTable = QStringLiteral("GL_bDigest");

QHash<QByteArray, quint32> readUsage(DataKit::Database &database, const QString &sql)
{
    QHash<QByteArray, quint32> usage;
    const auto rows = database.OpenRecordset(sql, DataKit::dbOpenSnapshot);
    if (rows->isEOF() && rows->isBOF())
        return usage;
    rows->ReadAll([&usage](const DataKit::FieldText *values) {
        const QByteArrayView code = values[0].bytes();
        if (!code.isEmpty())
            usage[code.toByteArray()] += quint32(std::clamp<qlonglong>(
                values[1].bytes().toLongLong(), 0, std::numeric_limits<quint32>::max()));
    });
    return usage;
}

} // namespace

QuickSearchIndex PickerSource::readSummaries(DataKit::Database &database)
{
    const auto listing = database.OpenRecordset(SqlText::ListingQuery(), DataKit::dbOpenSnapshot);
    const GridRows rows = ReadListingRows(*listing);
    QuickSearchIndex summaries;
    summaries.reset(rows, 0, rows.size() - 1);
    summaries.build(std::numeric_limits<qint64>::max());
    return summaries;
}

PickerSource::PickerSource(QString target, QObject *parent)
    : QObject(parent)
    , m_target(std::move(target))
{
}

PickerSource::~PickerSource()
{
    if (m_thread)
        m_thread->wait();
}

bool PickerSource::busy() const
{
    return m_thread && !m_thread->isFinished();
}

void PickerSource::start(const Task &task)
{
    if (busy())
        return;
    delete m_thread;
    m_reading.reset();
    m_thread = QThread::create([this, task] { m_reading = run(task, m_connection, m_target); });
    m_thread->setParent(this);
    connect(m_thread, &QThread::finished, this, &PickerSource::done);
    m_thread->start(QThread::LowPriority);
}

void PickerSource::wait()
{
    if (m_thread)
        m_thread->wait();
}

std::optional<PickerSource::Reading> PickerSource::take()
{
    if (busy())
        return std::nullopt;
    std::optional<Reading> reading = std::move(m_reading);
    m_reading.reset();
    return reading;
}

PickerSource::Reading PickerSource::run(const Task &task,
                                        std::shared_ptr<DataKit::Database> &connection,
                                        const QString &target)
{
    Reading reading;
    try {
        if (!connection)
            connection = DataKit::Database::open(target);
        const qint64 count = connection->ChangeCount(kSummaryTable);
        if (task.readSummaries ||
            (task.readWhenCountIsNot >= 0 && count != task.readWhenCountIsNot))
            reading.summaries = readSummaries(*connection);
        reading.changeCount = count;
        if (!task.usageQuery.isEmpty())
            reading.usage = readUsage(*connection, task.usageQuery);
    } catch (const std::exception &failure) {
        // Tried again at the next look; matches() reads on the host's connection meanwhile.
        qCWarning(lcPicker).noquote() << "reading in the background failed:" << failure.what();
    }
    return reading;
}
