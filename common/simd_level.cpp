#include "common/simd_level.h"

bool CanRun(SimdLevel level)
{
    switch (level) {
    case SimdLevel::kPortable: return true;
    case SimdLevel::kAvx2:
#if defined(__x86_64__) || defined(__i386__)
        // The compiler's check includes the operating system's saving of the wide registers.
        return __builtin_cpu_supports("avx2");
#else
        return false;
#endif
    }
    return false;
}

SimdLevel FastestSimdLevel()
{
    return CanRun(SimdLevel::kAvx2) ? SimdLevel::kAvx2 : SimdLevel::kPortable;
}
