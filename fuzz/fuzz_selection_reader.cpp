// Selection text through the command line's reader: refused with a message, or one weight in
// [0, 1] per number; accepted weights written out read back as the same floats.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "selection_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  SelectionReadResult read = ParseSelectionText(text, "fuzz.sel");
  if (!read.ok) {
    FUZZ_CHECK(!read.error.empty(), "a refused file says why");
    return 0;
  }
  for (float w : read.weights) FUZZ_CHECK(w >= 0.0f && w <= 1.0f, "a weight lies in [0, 1]");
  std::string written, error;
  FUZZ_CHECK(FormatSelection(read.weights, written, error), "accepted weights can be written");
  SelectionReadResult again = ParseSelectionText(written, "rewritten.sel");
  FUZZ_CHECK(again.ok && again.weights == read.weights, "written weights read back exactly");
  return 0;
}
