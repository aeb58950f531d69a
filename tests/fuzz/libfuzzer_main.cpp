// The libFuzzer entry of one target; QT_FUZZ_CHECK names its check function.
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QT_FUZZ_CHECK(data, size);
    return 0;
}
