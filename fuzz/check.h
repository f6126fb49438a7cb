#pragma once

#include <cstdlib>

// A broken promise of the code under test ends the run like a crash, so
// libFuzzer keeps the input that showed it.
inline void check(bool ok)
{
    if (!ok)
        std::abort();
}
