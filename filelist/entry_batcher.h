#pragma once

#include <QStringList>

#include <chrono>
#include <functional>

// Hands list entries on in order, in batches: when enough have gathered or enough time has passed
// since the last batch, so a window can append them as they come without a signal per entry.
class EntryBatcher {
public:
    using Receiver = std::function<void(QStringList batch)>;

    EntryBatcher(Receiver receiver, qsizetype batchSize, std::chrono::milliseconds interval);

    void Add(const QString& entry);
    // Sends what has gathered when the interval has passed; for quiet stretches of a scan.
    void FlushIfDue();
    void Flush();

private:
    Receiver receiver_;
    qsizetype batchSize_;
    std::chrono::milliseconds interval_;
    std::chrono::steady_clock::time_point lastBatch_;
    QStringList pending_;
};
