#pragma once

#include "filelist/folder_scan.h"

#include <QObject>
#include <QStringList>

#include <deque>
#include <exception>
#include <functional>
#include <thread>

// Runs folder scans off the user-interface thread, one after the other, so the entries of each scan
// stay together and in the scan's order. Batches reach `appendBatch` on the user-interface thread;
// `busyChanged` tells when the first scan starts and when the last one ends; a scan that fails (out
// of memory, say) ends there, and `failed` is called with what it threw, on the user-interface thread
// too. Destroying the queue stops the running scan and drops the waiting ones.
class ScanQueue : public QObject {
    Q_OBJECT
public:
    using Scan = std::function<ScanEnd(const ScanCallbacks&)>;

    ScanQueue(std::function<void(const QStringList&)> appendBatch, std::function<void(bool)> busyChanged,
        std::function<void(std::exception_ptr)> failed, QObject* parent);
    ~ScanQueue() override;

    void Enqueue(Scan scan);
    // Stops the running scan and forgets the waiting ones; batches already sent are still appended.
    void StopAll();
    bool Busy() const { return running_; }

private:
    void StartNext();
    void ScanEnded(std::exception_ptr failure);

    std::function<void(const QStringList&)> appendBatch_;
    std::function<void(bool)> busyChanged_;
    std::function<void(std::exception_ptr)> failed_;
    std::deque<Scan> waiting_;
    bool running_ = false;
    std::jthread worker_;  // last, so it is joined before anything it reports to goes away
};
