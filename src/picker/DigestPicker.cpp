#include "DigestPicker.h"

#include "Database.h"
#include "NewSummary.h"
#include "PickerDelegate.h"
#include "PickerLog.h"
#include "PickerPopup.h"
#include "PickerSource.h"
#include "Recordset.h"
#include "SharedSummaries.h"
#include "SqlTexts.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>

#include <limits>
#include <string_view>

namespace {

// How often another user's changes are looked for: one small statement on the picker's own
// connection (PostgreSQL's counts of the summaries' changes, SQLite's change counter).
constexpr int kLookEveryMs = 2000;
// How often the use of each summary is counted again.
constexpr qint64 kUsageEveryMs = 5 * 60 * 1000;

} // namespace

struct DigestPicker::Private
{
    std::shared_ptr<DataKit::Database> database;
    std::shared_ptr<SharedSummaries> shared;
    PickerSource *source = nullptr;
    QTimer *look = nullptr;

    qint64 changeCount = -1; // as of the summaries the picker read; -1 before it read them
    bool stale = false;      // others changed them while a window was open

    QString usageQuery;
    QElapsedTimer usageAge; // invalid until the usage is read
    QHash<QByteArray, quint32> usage;
    QuickSearchIndex::Usage usageBySummary;
    quint64 usageReading = 0; // the index's reading usageBySummary is for; 0 when none
    bool usageMapped = false;

    // The account code of each summary record shown so far: the index keeps names only.
    QHash<quint32, QString> accountCodes;
    quint64 codesReading = 0;

    QuickSearchIndex &index() const { return shared->index; }
    void lookAgain();
    void takeReading();
    void ensureLoaded();
    void mapUsage();
    void fillAccountCodes(const std::vector<quint32> &chosen, QList<DigestMatch> &matches);
};

DigestPicker::DigestPicker(std::shared_ptr<DataKit::Database> database, QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>())
{
    if (!database)
        throw DataKit::Error(DataKit::errNoDatabase,
                             QStringLiteral("常用摘要：没有打开的数据库，不能选择摘要。"));
    d->database = std::move(database);
    d->shared = SharedSummaries::of(d->database.get());
    d->source = new PickerSource(d->database->target(), this);
    connect(d->source, &PickerSource::done, this, [this] { d->takeReading(); });
    d->look = new QTimer(this);
    d->look->setInterval(kLookEveryMs);
    connect(d->look, &QTimer::timeout, this, [this] { d->lookAgain(); });
    d->look->start();
    d->lookAgain();
}

DigestPicker::~DigestPicker() = default;

// One task for the background: the summaries when the picker has none or others changed them
// (not while a window shows them: its Refresh reads them), the usage when it is due.
void DigestPicker::Private::lookAgain()
{
    if (source->busy())
        return;
    PickerSource::Task task;
    const bool windowOpen = shared->windows > 0;
    task.readSummaries = index().readings() == 0 || (stale && !windowOpen);
    task.readWhenCountIsNot = windowOpen ? -1 : changeCount;
    if (!usageQuery.isEmpty() && (!usageAge.isValid() || usageAge.elapsed() > kUsageEveryMs)) {
        task.usageQuery = usageQuery;
        usageAge.start();
    }
    source->start(task);
}

void DigestPicker::Private::takeReading()
{
    std::optional<PickerSource::Reading> reading = source->take();
    if (!reading)
        return;
    if (reading->summaries && (shared->windows == 0 || index().readings() == 0)) {
        index().replaceWith(std::move(*reading->summaries));
        changeCount = reading->changeCount;
        stale = false;
    } else if (reading->changeCount >= 0) {
        if (changeCount < 0)
            changeCount = reading->changeCount;
        else if (reading->changeCount != changeCount)
            stale = true;
    }
    if (reading->usage) {
        usage = std::move(*reading->usage);
        usageMapped = false;
    }
}

// The first match waits for the background's first reading; without one (the picker's own
// connection could not be opened) the summaries are read on the host's connection.
void DigestPicker::Private::ensureLoaded()
{
    if (index().readings() > 0)
        return;
    source->wait();
    takeReading();
    if (index().readings() > 0)
        return;
    index().replaceWith(PickerSource::readSummaries(*database));
}

void DigestPicker::Private::mapUsage()
{
    if (usageMapped && usageReading == index().readings())
        return;
    std::vector<quint32> &counts = usageBySummary.counts;
    std::vector<quint32> &order = usageBySummary.order;
    counts.assign(usage.isEmpty() ? 0 : index().summaries(), 0);
    order.clear();
    for (auto used = usage.cbegin(); used != usage.cend(); ++used) {
        const qsizetype summary = index().summaryOf(used.key());
        if (summary >= 0 && used.value() > 0) {
            counts[size_t(summary)] = used.value();
            order.push_back(quint32(summary));
        }
    }
    // The picker's order: the most used first, then by code.
    const auto code = [this](quint32 s) {
        const QByteArrayView c = index().code(s);
        return std::string_view(c.data(), size_t(c.size()));
    };
    std::sort(order.begin(), order.end(), [&](quint32 a, quint32 b) {
        return counts[a] != counts[b] ? counts[a] > counts[b] : code(a) < code(b);
    });
    usageReading = index().readings();
    usageMapped = true;
}

// Asked of the database for the few summaries shown whose record it has not been asked for.
void DigestPicker::Private::fillAccountCodes(const std::vector<quint32> &chosen,
                                             QList<DigestMatch> &matches)
{
    if (codesReading != index().readings()) {
        accountCodes.clear();
        codesReading = index().readings();
    }
    QStringList asked;
    for (qsizetype m = 0; m < matches.size(); ++m) {
        const auto known = accountCodes.constFind(index().record(chosen[size_t(m)]));
        if (known != accountCodes.constEnd())
            matches[m].accountCode = *known;
        else if (!matches[m].accountName.isEmpty())
            asked.append(QLatin1Char('\'') + SqlText::Quoted(matches[m].code) + QLatin1Char('\''));
    }
    if (asked.isEmpty())
        return;
    const auto rows = database->OpenRecordset(
        QStringLiteral("SELECT cId, cCode FROM GL_bDigest WHERE cId IN (%1)").arg(asked.join(',')),
        DataKit::dbOpenSnapshot);
    QHash<QString, QString> byCode;
    for (; !rows->isEOF(); rows->MoveNext())
        byCode.insert(rows->Fields(0).toString(), rows->Fields(1).toString());
    for (qsizetype m = 0; m < matches.size(); ++m) {
        if (matches[m].accountName.isEmpty() || !matches[m].accountCode.isEmpty())
            continue;
        matches[m].accountCode = byCode.value(matches[m].code);
        accountCodes.insert(index().record(chosen[size_t(m)]), matches[m].accountCode);
    }
}

QList<DigestMatch> DigestPicker::matches(const QString &typed, int limit) const
{
    if (typed.isEmpty() || limit <= 0)
        return {};
    d->ensureLoaded();
    d->mapUsage();
    const std::vector<quint32> chosen = d->index().ranked(typed, size_t(limit), d->usageBySummary);
    QList<DigestMatch> found;
    found.reserve(qsizetype(chosen.size()));
    for (const quint32 summary : chosen) {
        const QuickSearchIndex::Cells cells = d->index().cells(summary);
        found.append({cells[0], cells[1], cells[2], QString(), cells[3]});
    }
    d->fillAccountCodes(chosen, found);
    return found;
}

void DigestPicker::setUsageQuery(const QString &sql)
{
    d->usageQuery = sql;
    d->usage.clear();
    d->usageMapped = false;
    d->usageAge.invalidate();
    d->lookAgain();
}

DigestMatch DigestPicker::addSummary(const QString &text, const QString &accountCode)
{
    d->ensureLoaded();
    const DigestMatch stored = StoreNewSummary(*d->database, d->index(), text, accountCode);
    const QByteArray cells[4] = {stored.code.toUtf8(), stored.text.toUtf8(),
                                 stored.mnemonic.toUtf8(), stored.accountName.toUtf8()};
    const QByteArrayView views[4] = {cells[0], cells[1], cells[2], cells[3]};
    const quint32 summary = d->index().add(views, 4);
    d->accountCodes.insert(d->index().record(summary), stored.accountCode);
    return stored;
}

void DigestPicker::attach(QLineEdit *edit)
{
    auto *popup = new PickerPopup(edit, [this](const QString &typed) { return matches(typed); });
    connect(popup, &PickerPopup::picked, this, &DigestPicker::picked);
}

QStyledItemDelegate *DigestPicker::createDelegate(QObject *parent)
{
    return new PickerDelegate(this, parent);
}
