#include "filelist/entry_batcher.h"

#include <utility>

EntryBatcher::EntryBatcher(Receiver receiver, qsizetype batchSize, std::chrono::milliseconds interval)
    : receiver_(std::move(receiver)), batchSize_(batchSize), interval_(interval),
      lastBatch_(std::chrono::steady_clock::now())
{
}

void EntryBatcher::Add(const QString& entry)
{
    pending_.append(entry);
    if (pending_.size() >= batchSize_)
        Flush();
    else
        FlushIfDue();
}

void EntryBatcher::FlushIfDue()
{
    if (std::chrono::steady_clock::now() - lastBatch_ >= interval_)
        Flush();
}

void EntryBatcher::Flush()
{
    lastBatch_ = std::chrono::steady_clock::now();
    if (pending_.isEmpty())
        return;
    receiver_(std::exchange(pending_, QStringList()));
}
