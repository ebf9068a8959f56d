#include "listedit/scan_queue.h"

#include <utility>

ScanQueue::ScanQueue(std::function<void(const QStringList&)> appendBatch, std::function<void(bool)> busyChanged,
    std::function<void(std::exception_ptr)> failed, QObject* parent)
    : QObject(parent), appendBatch_(std::move(appendBatch)), busyChanged_(std::move(busyChanged)), failed_(std::move(failed))
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
        std::exception_ptr failure;
        try {
            ScanCallbacks callbacks;
            callbacks.stopRequested = [stop] { return stop.stop_requested(); };
            callbacks.receiveBatch = [this](QStringList batch) {
                QMetaObject::invokeMethod(this, [this, batch = std::move(batch)] { appendBatch_(batch); }, Qt::QueuedConnection);
            };
            scan(callbacks);
        } catch (...) {
            failure = std::current_exception();
        }
        try {
            QMetaObject::invokeMethod(this, [this, failure] { ScanEnded(failure); }, Qt::QueuedConnection);
        } catch (const std::exception&) {
            // Not even the end can be told (no memory left): the thread must not take the program down.
        }
    });
}

void ScanQueue::ScanEnded(std::exception_ptr failure)
{
    if (failure)
        failed_(failure);
    if (!waiting_.empty()) {
        StartNext();
        return;
    }
    running_ = false;
    busyChanged_(false);
}
