#include "convert/thread_budget.h"

#include <algorithm>
#include <thread>

ThreadBudget ThreadBudgetFor(unsigned threads)
{
    const unsigned total = threads > 0 ? threads : std::max(1u, std::thread::hardware_concurrency());
    ThreadBudget budget{total, static_cast<int>(total)};
    return budget;
}
