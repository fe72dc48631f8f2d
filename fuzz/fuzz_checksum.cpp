// libFuzzer entry: the internal header's checksum on one fuzz input (see
// checksum_input.h); a broken promise aborts, so the fuzzer keeps the input.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "checksum_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string failure = fuzzing::CheckChecksum(data, size);
  if (!failure.empty()) {
    std::fprintf(stderr, "roomxfer checksum fuzz: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
