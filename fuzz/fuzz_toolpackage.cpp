// The skin tool's own package reader and writer: whatever the bytes, reading
// either fails with an error or gives entries that pack and read back the same.
#include "tools/SkinPackage.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TSkinFileEntries entries;
  try {
    entries = UnpackSkinEntries(TBytes(data, data + size));
  } catch (const Exception&) {
    return 0;
  }
  const TSkinFileEntries again = UnpackSkinEntries(PackSkinEntries(entries));
  if (again.size() != entries.size()) std::abort();
  for (size_t i = 0; i < entries.size(); ++i)
    if (again[i].Name != entries[i].Name || again[i].Data != entries[i].Data) std::abort();
  return 0;
}
