// libFuzzer entry: the whole transfer job in the editable layout on one fuzz
// input (see transfer_job_input.h); a broken promise aborts, so the fuzzer
// keeps the input.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "transfer_job_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string failure = fuzzing::CheckEditableTransferJob(data, size);
  if (!failure.empty()) {
    std::fprintf(stderr, "roomxfer editable fuzz: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
