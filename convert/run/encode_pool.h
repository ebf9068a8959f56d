#pragma once

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

// A fixed set of threads that run jobs in the order they were given.
// Threads that cannot be started (the machine is short of memory) are done without; with none at all,
// each job runs on the thread that posts it.
class EncodePool {
public:
    explicit EncodePool(unsigned threads);
    ~EncodePool();
    EncodePool(const EncodePool&) = delete;
    EncodePool& operator=(const EncodePool&) = delete;

    unsigned Threads() const { return std::max(1u, static_cast<unsigned>(workers_.size())); }

    void Post(std::function<void()> job);

private:
    void Work(std::stop_token stop);

    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::deque<std::function<void()>> jobs_;
    std::vector<std::jthread> workers_;
};
