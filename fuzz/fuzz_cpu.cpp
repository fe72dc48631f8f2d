// libFuzzer entry: the 65816 interpreter on one fuzz input (see
// cpu_input.h); a broken promise aborts, so the fuzzer keeps the input.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cpu_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string failure = fuzzing::CheckCpuRun(data, size);
  if (!failure.empty()) {
    std::fprintf(stderr, "roomxfer interpreter fuzz: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
