// libFuzzer entry of one reply reader.
#include "tests/cloud/fuzz/ReplyFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { return FuzzEffectList(data, size); }
