// fuzz_main.cpp -- the libFuzzer entry of one fuzz target; which reader it runs is chosen when
// the target is built (TRELVIK_FUZZ_CHECK names one of the functions of fuzz_checks.h).
#include "fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TRELVIK_FUZZ_CHECK(data, size);
    return 0;
}
