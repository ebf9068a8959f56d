#include "convert/run/encode_pool.h"

#include <algorithm>
#include <system_error>

EncodePool::EncodePool(unsigned threads)
{
    workers_.reserve(threads);
    try {
        for (unsigned i = 0; i < threads; ++i)
            workers_.emplace_back([this](std::stop_token stop) { Work(stop); });
    } catch (const std::system_error&) {
        // Fewer threads than asked for, possibly none: see Post.
    }
}

EncodePool::~EncodePool()
{
    for (auto& worker : workers_)
        worker.request_stop();
    wake_.notify_all();
    // Each worker stops once the queue is empty (Work runs what is queued before it looks at the stop
    // request), and jthread joins it: every job posted has run by the end.
}

void EncodePool::Post(std::function<void()> job)
{
    if (workers_.empty()) {
        job();
        return;
    }
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
