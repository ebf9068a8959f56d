#include "convert/run/thread_budget.h"

#include <algorithm>
#include <thread>

ThreadBudget ThreadBudgetFor(unsigned threads)
{
    return ThreadBudget{threads > 0 ? threads : std::max(1u, std::thread::hardware_concurrency())};
}
