#pragma once

// The vector instructions the inner loops of the picture stage and of the encoders use. Every level
// makes the same bytes; the levels differ only in speed, so tests can compare them on one machine.
enum class SimdLevel { kPortable, kAvx2 };

// Whether this processor (and its operating system) runs that level.
bool CanRun(SimdLevel level);

// The fastest level this processor runs.
SimdLevel FastestSimdLevel();
