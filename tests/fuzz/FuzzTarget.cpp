// A libFuzzer target around one reader; TAVIX_FUZZ_ENTRY names which.
// Refusals are fine; a broken promise or a sanitizer report is a finding.
// Pictures announced above FuzzPixelCap are rejected (kept out of the
// corpus) before they reach the reader.
#include <cstdio>
#include <cstdlib>

#include "AmbSystem.h"
#include "FuzzEntries.h"

namespace {
const TFuzzEntry* entry = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Failed decodes would otherwise open a message box per input.
  SetMessageSink([](const std::string&, const std::string&) {});
  entry = &FuzzEntry(TAVIX_FUZZ_ENTRY);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (AboveFuzzCap(*entry, data, size)) return -1;
  try {
    entry->Run(data, size);
  } catch (const TReaderBroken& broken) {
    std::fprintf(stderr, "reader broke its promise: %s\n", broken.what());
    std::abort();
  }
  return 0;
}
