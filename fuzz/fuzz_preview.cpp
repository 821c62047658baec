// libFuzzer target for the preview data block: the input as a block of its
// own size, then laid into a block of the exact size behind a valid marker.
// Every accepted field must stay within its length and come out as UTF-8.
#include "skin/sSkinManagerRules.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool ValidUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    const auto c = uint8_t(s[i]);
    if (c < 0x80) continue;
    if ((c & 0xE0) != 0xC0 || i + 1 >= s.size() || (uint8_t(s[i + 1]) & 0xC0) != 0x80) return false;
    ++i;
  }
  return true;
}

void Check(const void* data, size_t size) {
  TacPreviewData d;
  if (!ParsePreviewBlock(data, size, d)) return;
  if (size != acPreviewBlockSize) std::abort();
  if (d.SkinName.size() > 2 * acPreviewNameSize || d.SkinDirectory.size() > 2 * acPreviewDirSize ||
      d.Options.size() > acPreviewOptionsSize)
    std::abort();
  if (!ValidUtf8(d.SkinName) || !ValidUtf8(d.SkinDirectory)) std::abort();
  if (d.Options.find('\0') != std::string::npos) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Check(size ? data : nullptr, size);
  std::string block(acPreviewBlockSize, '\0');
  const uint32_t marker = acPreviewMarker;
  std::memcpy(block.data(), &marker, 4);
  // The input fills the block from each field's start, in turns, so that
  // fields with and without terminators both occur.
  const size_t offsets[] = {acPreviewNameOffset, acPreviewDirOffset, acPreviewOptionsOffset};
  for (size_t i = 0, f = 0; i < size; ++f) {
    const size_t at = offsets[f % 3], n = std::min(size - i, acPreviewBlockSize - at);
    std::memcpy(block.data() + at, data + i, n);
    i += n ? n : size;
    if (f > 6) break;
  }
  Check(block.data(), block.size());
  return 0;
}
