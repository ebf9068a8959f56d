#include "convert/thread_budget.h"

#include <algorithm>
#include <thread>

int ThreadBudget::DecoderThreadsFor(int width, int height) const
{
    const bool large = static_cast<long long>(width) * height >= kSeveralDecoderThreadsFrom;
    return large && encoders > 1 ? static_cast<int>(encoders) + 1 : 1;
}

ThreadBudget ThreadBudgetFor(unsigned threads)
{
    return ThreadBudget{threads > 0 ? threads : std::max(1u, std::thread::hardware_concurrency())};
}
