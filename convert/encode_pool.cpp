#include "convert/encode_pool.h"

#include <algorithm>

unsigned EncodePool::DefaultThreads()
{
    return std::max(1u, std::thread::hardware_concurrency());
}

EncodePool::EncodePool(unsigned threads)
{
    workers_.reserve(threads);
    for (unsigned i = 0; i < threads; ++i)
        workers_.emplace_back([this](std::stop_token stop) { Work(stop); });
}

EncodePool::~EncodePool()
{
    for (auto& worker : workers_)
        worker.request_stop();
    wake_.notify_all();
    // jthread joins; jobs still queued are dropped, their futures report a broken promise.
}

void EncodePool::Post(std::function<void()> job)
{
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void EncodePool::Work(std::stop_token stop)
{
    while (true) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            if (!wake_.wait(lock, stop, [this] { return !jobs_.empty(); }))
                return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
}
