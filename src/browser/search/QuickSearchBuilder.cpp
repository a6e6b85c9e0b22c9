#include "QuickSearchBuilder.h"

namespace {

constexpr size_t kRowsPerBatch = 4096;
constexpr int kCells = 4;

} // namespace

QuickSearchBuilder::QuickSearchBuilder()
    : m_thread([this] { build(); })
{
}

QuickSearchBuilder::~QuickSearchBuilder()
{
    {
        const std::lock_guard lock(m_mutex);
        m_closed = true;
        m_batches.clear();
    }
    m_waiting.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void QuickSearchBuilder::add(const QByteArrayView *cells, int count)
{
    for (int i = 0; i < kCells; ++i) {
        if (i < count)
            m_filling.bytes.append(cells[i]);
        m_filling.ends.push_back(quint32(m_filling.bytes.size()));
    }
    if (m_filling.ends.size() == kRowsPerBatch * kCells)
        handOver();
}

void QuickSearchBuilder::handOver()
{
    {
        const std::lock_guard lock(m_mutex);
        m_batches.push_back(std::move(m_filling));
    }
    m_filling = Batch();
    m_waiting.notify_one();
}

QuickSearchIndex QuickSearchBuilder::take()
{
    if (!m_filling.ends.empty())
        handOver();
    {
        const std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    m_waiting.notify_one();
    m_thread.join();
    if (m_failure)
        std::rethrow_exception(m_failure);
    return std::move(m_index);
}

void QuickSearchBuilder::build()
{
    try {
        for (;;) {
            Batch batch;
            {
                std::unique_lock lock(m_mutex);
                m_waiting.wait(lock, [this] { return m_closed || !m_batches.empty(); });
                if (m_batches.empty())
                    break;
                batch = std::move(m_batches.front());
                m_batches.pop_front();
            }
            QByteArrayView cells[kCells];
            quint32 start = 0;
            for (size_t end = 0; end < batch.ends.size(); end += kCells) {
                for (int i = 0; i < kCells; ++i) {
                    const quint32 stop = batch.ends[end + size_t(i)];
                    cells[i] = QByteArrayView(batch.bytes.constData() + start, stop - start);
                    start = stop;
                }
                m_index.appendUtf8(cells, kCells);
            }
        }
        m_index.squeeze();
    } catch (...) {
        m_failure = std::current_exception();
    }
}
