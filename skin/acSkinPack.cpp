#include "skin/acSkinPack.h"

#include "skin/acInflate.h"
#include "skin/sSkinData.h"

#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <cstring>

namespace {

// Pulls one zlib stream out of a memory stream, in place. Input is offered
// in blocks of up to 128 KiB and the source position moves by exactly the
// input consumed, so that after the stream end it stands right after it.
class TacInflateReader {
public:
  explicit TacInflateReader(TCustomMemoryStream& source) : FSource(source) {
    if (FInflater.Init() != Z_OK) throw ESkinError("Cannot initialise the zlib decompressor.");
  }
  TacInflateReader(const TacInflateReader&) = delete;
  TacInflateReader& operator=(const TacInflateReader&) = delete;

  bool Finished() const { return FFinished; }

  // Up to count bytes; fewer only at the end of the zlib stream or when the
  // source runs out first.
  int64_t Read(void* buffer, int64_t count, const String& entryName) {
    FZ.next_out = static_cast<Bytef*>(buffer);
    int64_t left = count;
    while (left > 0 && !FFinished) {
      const int64_t pos = FSource.Position(), avail = std::min(FSource.Size() - pos, SkinInflateBlockSize);
      if (avail <= 0) break;
      FZ.next_in = const_cast<Bytef*>(FSource.Memory() + pos);
      FZ.avail_in = uInt(avail);
      const uInt chunk = uInt(std::min<int64_t>(left, 1 << 30));
      FZ.avail_out = chunk;
      const int ret = FInflater.Inflate(Z_FINISH);  // the caller wants the whole entry
      left -= chunk - FZ.avail_out;
      FSource.Seek(avail - int64_t(FZ.avail_in), soCurrent);
      if (ret == Z_STREAM_END) {
        FFinished = true;
      } else if (ret == Z_NEED_DICT) {
        throw ESkinError("Packed file \"" + entryName + "\": " + zError(Z_DATA_ERROR));
      } else if (ret != Z_OK && ret != Z_BUF_ERROR) {
        throw ESkinError("Packed file \"" + entryName + "\": " + (FZ.msg ? String(FZ.msg) : String(zError(ret))));
      }
    }
    return count - left;
  }

private:
  TCustomMemoryStream& FSource;
  TacZlibInflater FInflater;
  z_stream& FZ = FInflater.Z;
  bool FFinished = false;
};

[[noreturn]] void Truncated(const String& what) {
  throw EReadError("Stream read error: the packed skin ends inside " + what + ".");
}

int32_t ReadInt32(TStream& s, const String& what) {
  uint8_t b[4];
  if (s.Read(b, 4) != 4) Truncated(what);
  return int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
}

// Entry names are single-byte ANSI text; bytes above 127 are read as Latin-1.
String AnsiToUtf8(const std::vector<uint8_t>& bytes) {
  String s;
  s.reserve(bytes.size());
  for (uint8_t c : bytes) {
    if (c < 0x80) {
      s += char(c);
    } else {
      s += char(0xC0 | (c >> 6));
      s += char(0x80 | (c & 0x3F));
    }
  }
  return s;
}

// Smallest possible entry: two lengths and an empty zlib stream (8 bytes).
constexpr int64_t MinEntrySize = 16;
// Deflate's best case is a little over 1032 output bytes per input byte.
constexpr int64_t MaxDeflateRatio = 1040;

void ReadPackage(TacSkinConvertor& conv) {
  TCustomMemoryStream& src = *conv.PackedData;
  src.SetPosition(0);
  char magic[4] = {};
  if (src.Read(magic, 4) != 4 || std::memcmp(magic, "ASzf", 4) != 0) throw ESkinError(SNotPackedSkin);
  const int32_t count = ReadInt32(src, "the file count");
  // Saturates: the most negative count must not wrap to a huge one.
  conv.ImageCount = count == INT32_MIN ? INT32_MIN : count - 1;
  if (count <= 0) return;
  const int64_t size = src.Size();
  if (count > (size - src.Position()) / MinEntrySize)
    throw ESkinError(Format("Packed skin is damaged: it cannot hold the %d files it announces.", count));
  int64_t total = 0;
  for (int32_t i = 0; i < count; ++i) {
    const String entry = Format("entry %d", i + 1);
    const int32_t nameLen = ReadInt32(src, "the name length of " + entry);
    if (nameLen < 0 || nameLen > size - src.Position())
      throw ESkinError(Format("Packed skin is damaged: %s has a name length of %d bytes.", entry.c_str(), nameLen));
    std::vector<uint8_t> nameBytes(static_cast<size_t>(nameLen));
    if (nameLen > 0 && src.Read(nameBytes.data(), nameLen) != nameLen) Truncated("the name of " + entry);
    const String name = AnsiToUtf8(nameBytes);
    const int32_t unpacked = ReadInt32(src, "the size of \"" + name + "\"");
    if (unpacked < 0 || unpacked > MaxUnpackedSkinSize - total)
      throw ESkinError(Format("Packed skin is damaged or too large: \"%s\" announces %d unpacked bytes (at most %lld in all).",
                              name.c_str(), unpacked, (long long)MaxUnpackedSkinSize));
    total += unpacked;

    // Deflate never expands more than about 1032 to 1: a larger size is a lie
    // that must not reach the allocator.
    if (unpacked > (size - src.Position()) * MaxDeflateRatio + 1024)
      throw ESkinError(Format("Packed skin is damaged: \"%s\" announces %d unpacked bytes from %lld packed bytes.",
                              name.c_str(), unpacked, (long long)(size - src.Position())));

    auto out = std::make_unique<TMemoryStream>();
    out->SetSize(unpacked);
    TacInflateReader reader(src);
    const int64_t got = unpacked > 0 ? reader.Read(out->Memory(), unpacked, name) : 0;
    if (got < unpacked) {
      if (reader.Finished())
        throw EReadError(Format("Stream read error: packed file \"%s\" holds fewer than its %d bytes.", name.c_str(), unpacked));
      Truncated("packed file \"" + name + "\"");
    }
    out->SetPosition(unpacked);
    // The stream must end here: its trailer is what locates the next entry.
    uint8_t extra;
    if (reader.Read(&extra, 1, name) != 0)
      throw ESkinError(Format("Packed skin is damaged: \"%s\" holds more than its %d bytes.", name.c_str(), unpacked));
    if (!reader.Finished()) Truncated("packed file \"" + name + "\"");

    if (UpperCase(name) == "OPTIONS.DAT") {
      if (conv.Options) throw ESkinError("Packed skin is damaged: it holds more than one \"Options.dat\".");
      conv.Options = std::move(out);
    } else {
      TacImageItem item;
      item.FileName = name;
      item.IsBitmap = UpperCase(ExtractFileExt(name)) == ".BMP";
      item.FileStream = std::move(out);
      conv.Files.push_back(std::move(item));
    }
  }
}

}  // namespace

void TacSkinConvertor::Clear() {
  while (!Files.empty()) Files.pop_back();
  Options.reset();
  ReleasePackedData();
}

void TacSkinConvertor::SetPackedData(std::unique_ptr<TMemoryStream> data) {
  FOwnedPackedData = std::move(data);
  PackedData = FOwnedPackedData.get();
}

void TacSkinConvertor::LendPackedData(TMemoryStream* data) {
  FOwnedPackedData.reset();
  PackedData = data;
}

void TacSkinConvertor::ReleasePackedData() {
  FOwnedPackedData.reset();
  PackedData = nullptr;
}

TMemoryStream* TacSkinConvertor::FindFile(const String& name) const {
  const size_t n = size_t(std::clamp<int64_t>(ImageCount, 0, int64_t(Files.size())));
  for (size_t i = 0; i < n; ++i) {
    if (UpperCase(Files[i].FileName) == name) {
      Files[i].FileStream->SetPosition(0);
      return Files[i].FileStream.get();
    }
  }
  return nullptr;
}

void ExtractPackedData(std::unique_ptr<TacSkinConvertor>& convertor) {
  if (!convertor) throw ESkinError("No packed skin to read.");
  if (!convertor->PackedData) {
    convertor.reset();
    throw ESkinError(SNotPackedSkin);
  }
  try {
    ReadPackage(*convertor);
  } catch (...) {
    // Never leave half a package behind (ImageCount would count missing files).
    convertor.reset();
    throw;
  }
}

void UnpackSkinFile(const String& fileName, std::unique_ptr<TacSkinConvertor>& convertor, bool freeAfterwards) {
  const String path = NativeSkinPath(fileName);
  if (!FileExists(path)) return;
  if (!convertor)
    convertor = std::make_unique<TacSkinConvertor>();
  else
    convertor->Clear();
  auto data = std::make_unique<TMemoryStream>();
  {
    TFileStream file(path, fmOpenRead | fmShareDenyNone);
    // A package never unpacks to more than the cap; its packed form is smaller.
    if (file.Size() > MaxUnpackedSkinSize + (int64_t(1) << 20))
      throw ESkinError("Packed skin \"" + fileName + "\" is too large.");
    data->LoadFromStream(file);
  }
  convertor->SetPackedData(std::move(data));
  ExtractPackedData(convertor);
  if (freeAfterwards && convertor) convertor->ReleasePackedData();
}

// ---- stored skins

void TsStoredSkin::SetName(const String& value) {
  FName = value;
  Changed(false);
}
void TsStoredSkin::SetShadow1Color(TColor value) {
  FShadow1Color = value;
  Changed(false);
}
void TsStoredSkin::SetShadow1Offset(int value) {
  FShadow1Offset = value;
  Changed(false);
}
void TsStoredSkin::SetShadow1Blur(int value) {
  FShadow1Blur = value;
  Changed(false);
}
void TsStoredSkin::SetShadow1Transparency(int value) {
  FShadow1Transparency = value;
  Changed(false);
}
void TsStoredSkin::SetBorderColor(TColor value) {
  FBorderColor = value;
  Changed(false);
}
void TsStoredSkin::SetVersion(double value) {
  FVersion = value;
  Changed(false);
}
void TsStoredSkin::SetAuthor(const String& value) {
  FAuthor = value;
  Changed(false);
}
void TsStoredSkin::SetDescription(const String& value) {
  FDescription = value;
  Changed(false);
}

void TsStoredSkin::ReadData(TStream& stream) {
  FPackedData.Clear();
  const int64_t rest = stream.Size() - stream.Position();
  if (rest > 0) FPackedData.CopyFrom(stream, rest);
  FPackedData.SetPosition(0);
}

void TsStoredSkin::WriteData(TStream& stream) const {
  const int64_t size = const_cast<TMemoryStream&>(FPackedData).Size();
  if (size > 0) stream.WriteBuffer(FPackedData.Memory(), size);
}

void TsStoredSkin::Assign(const TPersistent* source) {
  auto* other = dynamic_cast<const TsStoredSkin*>(source);
  if (!other) {
    TCollectionItem::Assign(source);
    return;
  }
  FName = other->FName;
  FMasterBitmap = other->FMasterBitmap;
  FShadow1Color = other->FShadow1Color;
  FShadow1Offset = other->FShadow1Offset;
  FShadow1Blur = other->FShadow1Blur;
  FShadow1Transparency = other->FShadow1Transparency;
  FBorderColor = other->FBorderColor;
  FVersion = other->FVersion;
  FAuthor = other->FAuthor;
  FDescription = other->FDescription;
  const int64_t size = const_cast<TMemoryStream&>(other->FPackedData).Size();
  FPackedData.LoadFromBytes(other->FPackedData.Memory(), size_t(size));
  Changed(false);
}

TsStoredSkins::TsStoredSkins(TComponent* aOwner, const TNotifyEvent* onSkinListChanged)
    : TCollection([](TCollection* c) { return new TsStoredSkin(c); }), FOwner(aOwner), FOnSkinListChanged(onSkinListChanged) {}

int TsStoredSkins::IndexOf(const String& skinName) const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->Name() == skinName) return i;
  return -1;
}

void TsStoredSkins::Update(TCollectionItem* item) {
  TCollection::Update(item);
  if (FOnSkinListChanged && *FOnSkinListChanged) (*FOnSkinListChanged)(FOwner);
}

// ---- directories and extraction

String NormalizeSkinDir(const String& dir) {
  if (dir.empty() || dir.back() == '\\') return dir;
  if (dir.back() == '/') return dir.substr(0, dir.size() - 1) + "\\";
  return dir.size() == 1 ? dir + ":\\" : dir + "\\";
}

String NativeSkinPath(const String& path) {
#ifdef _WIN32
  return path;
#else
  String s = path;
  std::replace(s.begin(), s.end(), '\\', '/');
  // Skins name their files without regard to case (options write them upper
  // case); on a case-sensitive file system find the file's real spelling.
  std::error_code ec;
  const std::filesystem::path p(s);
  if (std::filesystem::exists(p, ec) || !p.has_filename()) return s;
  const std::filesystem::path dir = p.has_parent_path() ? p.parent_path() : std::filesystem::path(".");
  const String wanted = UpperCase(p.filename().string());
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    if (UpperCase(it->path().filename().string()) == wanted) return (p.has_parent_path() ? dir / it->path().filename() : it->path().filename()).string();
  return s;
#endif
}

String ExtractedSkinFileName(const String& destDir, const String& skinName) {
  return NormalizeSkinDir(destDir) + skinName + " extracted.asz";
}

void ExtractStoredSkin(const TsStoredSkins& skins, int index, const String& destDir) {
  const TsStoredSkin* skin = skins.Items(index);
  const String dir = NormalizeSkinDir(destDir);
  if (!DirectoryExists(NativeSkinPath(dir)) && !ForceDirectories(NativeSkinPath(dir)))
    throw ESkinError("Directory " + dir + " creation error.");
  TFileStream file(NativeSkinPath(ExtractedSkinFileName(destDir, skin->Name())), fmCreate);
  skin->WriteData(file);
}

std::vector<String> ExtractStoredSkinsByName(const TsStoredSkins& skins, const String& nameOfSkin, const String& destDir) {
  std::vector<String> errors;
  bool found = false;
  for (int i = 0; i < skins.Count(); ++i) {
    if (skins.Items(i)->Name() != nameOfSkin) continue;
    found = true;
    if (!DirectoryExists(NativeSkinPath(destDir))) {
      errors.push_back(SDirectoryNotExists);
      continue;
    }
    try {
      ExtractStoredSkin(skins, i, destDir);
    } catch (const Exception& e) {
      errors.push_back(e.Message());
    }
  }
  if (!found) errors.push_back(SSkinNotExists);
  return errors;
}
