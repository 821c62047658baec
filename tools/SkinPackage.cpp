#include "tools/SkinPackage.h"

#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "tools/ImageWriters.h"

namespace {

// Limits that keep a hostile package from asking for unbounded memory.
constexpr int32_t MaxEntries = 4096;
constexpr int32_t MaxNameLength = 255;
constexpr int32_t MaxEntrySize = 64 * 1024 * 1024;

void PutLE32(TBytes& out, int32_t value) {
  uint32_t v = uint32_t(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t(v >> shift));
}

class TPackageReader {
public:
  explicit TPackageReader(const TBytes& data) : FData(data) {}

  int32_t ReadInt(const char* what) {
    if (FData.size() - FPos < 4) throw EReadError(Format("Packed skin is truncated: %s is missing.", what));
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(FData[FPos + i]) << (8 * i);
    FPos += 4;
    return int32_t(v);
  }

  String ReadName(int32_t length) {
    if (FData.size() - FPos < size_t(length)) throw EReadError("Packed skin is truncated inside an entry name.");
    String name(FData.begin() + FPos, FData.begin() + FPos + length);
    FPos += size_t(length);
    return name;
  }

  // Inflates one zlib stream that must produce exactly size bytes and leaves
  // the position right after the stream's trailer.
  TBytes Inflate(int32_t size, const String& name) {
    TBytes out(static_cast<size_t>(size));
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) throw EReadError("Cannot start zlib.");
    zs.next_in = const_cast<Bytef*>(FData.data() + FPos);
    zs.avail_in = uInt(FData.size() - FPos);
    zs.next_out = out.data();
    zs.avail_out = uInt(out.size());
    uint8_t extra = 0;
    bool overflow = false, truncated = false;
    int rc = Z_OK;
    for (;;) {
      if (zs.avail_out == 0) {
        // Full: the stream must end without producing one more byte.
        if (zs.next_out == &extra + 1) {
          overflow = true;
          break;
        }
        zs.next_out = &extra;
        zs.avail_out = 1;
      }
      rc = inflate(&zs, Z_NO_FLUSH);
      if (rc == Z_STREAM_END) break;
      if (rc == Z_OK) continue;
      truncated = rc == Z_BUF_ERROR;
      break;
    }
    if (rc == Z_STREAM_END && zs.next_out == &extra + 1) overflow = true;
    size_t consumed = zs.total_in, produced = zs.total_out;
    String zmsg = zs.msg ? zs.msg : "";
    inflateEnd(&zs);
    if (overflow)
      throw EReadError(Format("Entry \"%s\" of the packed skin holds more than its stated %d bytes.", name.c_str(), size));
    if (truncated) throw EReadError(Format("Packed skin is truncated inside entry \"%s\".", name.c_str()));
    if (rc != Z_STREAM_END)
      throw EReadError(Format("Entry \"%s\" of the packed skin is corrupt (%s).", name.c_str(),
                              zmsg.empty() ? "zlib error" : zmsg.c_str()));
    if (produced != size_t(size))
      throw EReadError(Format("Entry \"%s\" of the packed skin inflates to %zu bytes instead of %d.", name.c_str(),
                              produced, size));
    FPos += consumed;
    return out;
  }

private:
  const TBytes& FData;
  size_t FPos = 0;
};

bool IsPlainFileName(const String& name) {
  if (name.empty() || name == "." || name == ".." || name == SkinOrderFileName) return false;
  return std::none_of(name.begin(), name.end(),
                      [](char c) { return c == '/' || c == '\\' || c == ':' || uint8_t(c) < 32; });
}

std::vector<String> SplitLines(const TBytes& text) {
  std::vector<String> lines;
  String line;
  for (uint8_t c : text) {
    if (c == '\n' || c == '\r') {
      if (!line.empty()) lines.push_back(line);
      line.clear();
    } else {
      line.push_back(char(c));
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace

TBytes PackSkinEntries(const TSkinFileEntries& entries) {
  TBytes out = {'A', 'S', 'z', 'f'};
  PutLE32(out, int32_t(entries.size()));
  for (const TSkinFileEntry& e : entries) {
    if (e.Name.empty() || e.Name.size() > size_t(MaxNameLength)) throw EWriteError("Entry name length out of range.");
    if (e.Data.size() > size_t(MaxEntrySize))
      throw EWriteError(Format("Entry \"%s\" is too large for a packed skin.", e.Name.c_str()));
    PutLE32(out, int32_t(e.Name.size()));
    out.insert(out.end(), e.Name.begin(), e.Name.end());
    PutLE32(out, int32_t(e.Data.size()));
    TBytes z = ZlibCompress(e.Data.data(), e.Data.size());
    out.insert(out.end(), z.begin(), z.end());
  }
  return out;
}

TSkinFileEntries UnpackSkinEntries(const TBytes& package) {
  if (package.size() < 4 || !std::equal(package.begin(), package.begin() + 4, "ASzf"))
    throw EReadError("The loaded data is not a packed skin file.");
  TPackageReader reader(package);
  reader.ReadInt("the magic");
  int32_t count = reader.ReadInt("the entry count");
  if (count <= 0 || count > MaxEntries)
    throw EReadError(Format("Packed skin has an invalid entry count (%d).", count));
  TSkinFileEntries entries;
  std::set<String> seen;
  int optionsCount = 0;
  for (int32_t i = 0; i < count; ++i) {
    int32_t length = reader.ReadInt("an entry name length");
    if (length <= 0 || length > MaxNameLength)
      throw EReadError(Format("Entry %d of the packed skin has an invalid name length (%d).", i + 1, length));
    String name = reader.ReadName(length);
    int32_t size = reader.ReadInt("an entry size");
    if (size < 0 || size > MaxEntrySize)
      throw EReadError(Format("Entry \"%s\" of the packed skin has an invalid size (%d).", name.c_str(), size));
    if (!seen.insert(UpperCase(name)).second)
      throw EReadError(Format("Packed skin holds the entry \"%s\" twice.", name.c_str()));
    if (SameText(name, SkinOptionsName)) ++optionsCount;
    entries.push_back({name, reader.Inflate(size, name)});
  }
  if (optionsCount == 0) throw EReadError("Packed skin has no \"Options.dat\" entry.");
  return entries;
}

void UnpackSkinFolder(const TSkinFileEntries& entries, const String& dir) {
  for (const TSkinFileEntry& e : entries)
    if (!IsPlainFileName(e.Name))
      throw EWriteError(Format("Refusing to write the entry \"%s\": not a plain file name.", e.Name.c_str()));
  if (!ForceDirectories(dir)) throw EFCreateError(Format("Cannot create the folder \"%s\".", dir.c_str()));
  String order;
  for (const TSkinFileEntry& e : entries) {
    WriteFileBytes(IncludeTrailingPathDelimiter(dir) + e.Name, e.Data);
    order += e.Name + "\n";
  }
  WriteFileBytes(IncludeTrailingPathDelimiter(dir) + SkinOrderFileName, TBytes(order.begin(), order.end()));
}

TSkinFileEntries ReadSkinFolder(const String& dir) {
  namespace fs = std::filesystem;
  if (!DirectoryExists(dir)) throw EFOpenError(Format("Folder \"%s\" does not exist.", dir.c_str()));
  std::vector<String> files;
  for (const fs::directory_entry& item : fs::directory_iterator(fs::path(dir)))
    if (item.is_regular_file() && item.path().filename().string() != SkinOrderFileName)
      files.push_back(item.path().filename().string());
  std::sort(files.begin(), files.end());

  std::vector<String> order;
  String orderFile = IncludeTrailingPathDelimiter(dir) + SkinOrderFileName;
  if (FileExists(orderFile)) {
    for (const String& name : SplitLines(ReadFileBytes(orderFile))) {
      if (std::find(files.begin(), files.end(), name) == files.end())
        throw EFOpenError(Format("The entry order names \"%s\", which is not in the folder.", name.c_str()));
      if (std::find(order.begin(), order.end(), name) != order.end())
        throw EFOpenError(Format("The entry order names \"%s\" twice.", name.c_str()));
      order.push_back(name);
    }
  } else {
    auto options = std::find_if(files.begin(), files.end(), [](const String& f) { return SameText(f, SkinOptionsName); });
    if (options != files.end()) order.push_back(*options);
  }
  for (const String& f : files)
    if (std::find(order.begin(), order.end(), f) == order.end()) order.push_back(f);
  if (std::none_of(order.begin(), order.end(), [](const String& f) { return SameText(f, SkinOptionsName); }))
    throw EFOpenError(Format("Folder \"%s\" holds no \"Options.dat\".", dir.c_str()));

  TSkinFileEntries entries;
  for (const String& name : order) entries.push_back({name, ReadFileBytes(IncludeTrailingPathDelimiter(dir) + name)});
  return entries;
}

TBytes ReadFileBytes(const String& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw EFOpenError(Format("Cannot open the file \"%s\".", fileName.c_str()));
  TBytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw EReadError(Format("Cannot read the file \"%s\".", fileName.c_str()));
  return data;
}

void WriteFileBytes(const String& fileName, const TBytes& data) {
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  if (!out) throw EFCreateError(Format("Cannot create the file \"%s\".", fileName.c_str()));
  out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
  if (!out) throw EWriteError(Format("Cannot write the file \"%s\".", fileName.c_str()));
}
