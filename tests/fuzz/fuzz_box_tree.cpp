#include "FuzzHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kestrel::fuzz::LoadMergeAndWrite(data, size);
    return 0;
}
