#pragma once

#include <functional>

// Asked between steps of a scan; answering true ends the scan early. An empty check never stops.
using StopCheck = std::function<bool()>;

enum class ScanEnd { Finished, Stopped };

inline bool StopNow(const StopCheck& stopRequested)
{
    return stopRequested && stopRequested();
}
