#include "listedit/scan_queue.h"

#include <utility>

ScanQueue::ScanQueue(std::function<void(const QStringList&)> appendBatch, std::function<void(bool)> busyChanged,
    QObject* parent)
    : QObject(parent), appendBatch_(std::move(appendBatch)), busyChanged_(std::move(busyChanged))
{
}

ScanQueue::~ScanQueue()
{
    StopAll();
}

void ScanQueue::Enqueue(Scan scan)
{
    waiting_.push_back(std::move(scan));
    if (!running_) {
        running_ = true;
        busyChanged_(true);
        StartNext();
    }
}

void ScanQueue::StopAll()
{
    waiting_.clear();
    worker_.request_stop();
}

void ScanQueue::StartNext()
{
    Scan scan = std::move(waiting_.front());
    waiting_.pop_front();
    if (worker_.joinable())
        worker_.join();  // the previous scan has already sent its end, so this does not wait
    // Batches and the end are posted to this object; when it is destroyed first, Qt drops them.
    worker_ = std::jthread([this, scan = std::move(scan)](std::stop_token stop) {
        ScanCallbacks callbacks;
        callbacks.stopRequested = [stop] { return stop.stop_requested(); };
        callbacks.receiveBatch = [this](QStringList batch) {
            QMetaObject::invokeMethod(this, [this, batch = std::move(batch)] { appendBatch_(batch); }, Qt::QueuedConnection);
        };
        scan(callbacks);
        QMetaObject::invokeMethod(this, &ScanQueue::ScanEnded, Qt::QueuedConnection);
    });
}

void ScanQueue::ScanEnded()
{
    if (!waiting_.empty()) {
        StartNext();
        return;
    }
    running_ = false;
    busyChanged_(false);
}
