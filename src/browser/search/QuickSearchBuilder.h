#pragma once

#include "QuickSearchIndex.h"

#include <QByteArray>
#include <QByteArrayView>

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

// Builds the quick search index on a thread of its own while the listing is being read: the
// window hands over each row as it reads it, and the index's own work (every text decoded, the
// polyphone initials of each of its characters) is done on a second core meanwhile, instead of
// after the reading. Nothing else is shared: the rows are copied over in batches, and the index is
// the window's only once taken. A builder dropped before that stops its thread and keeps nothing.
class QuickSearchBuilder final
{
public:
    QuickSearchBuilder();
    ~QuickSearchBuilder();
    QuickSearchBuilder(const QuickSearchBuilder &) = delete;
    QuickSearchBuilder &operator=(const QuickSearchBuilder &) = delete;

    // A summary's four cells in UTF-8: code, text, mnemonic, account name.
    void add(const QByteArrayView *cells, int count);
    // Waits for the rows handed over and answers the index, squeezed; what the thread met (memory
    // running out) is raised here.
    QuickSearchIndex take();

private:
    struct Batch
    {
        QByteArray bytes;
        std::vector<quint32> ends; // where each cell ends in bytes, four a row
    };

    void handOver();
    void build();

    std::mutex m_mutex;
    std::condition_variable m_waiting;
    std::deque<Batch> m_batches;
    bool m_closed = false;
    Batch m_filling;
    QuickSearchIndex m_index;
    std::exception_ptr m_failure;
    std::thread m_thread;
};
