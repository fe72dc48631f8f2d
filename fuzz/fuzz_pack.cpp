// libFuzzer entry: the room pack reader and a job from the pack on one fuzz
// input (see pack_input.h); a broken promise aborts, so the fuzzer keeps the
// input.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "pack_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string failure = fuzzing::CheckPackInput(data, size);
  if (!failure.empty()) {
    std::fprintf(stderr, "roomxfer pack fuzz: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
