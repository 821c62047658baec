// Packed skins ("ASzf" packages), the stored skins a program carries inside
// itself, and the file-system side of writing a stored skin out again.
//
// Package layout (integers 32-bit little-endian, signed): "ASzf", file count
// N, then N entries of name length L, L name bytes, unpacked size S and one
// complete zlib stream that inflates to exactly S bytes. No compressed length
// is stored: the reader finds the next entry by inflating to the stream end.
#pragma once
#include "framework/core/Bitmap32.h"
#include "framework/core/Classes.h"
#include "framework/core/SysUtils.h"

#include <cstdint>
#include <memory>
#include <vector>

// Every unpacked byte of a package together, "Options.dat" included.
constexpr int64_t MaxUnpackedSkinSize = int64_t(64) << 20;
// Inflate input is pulled from the package in blocks of this size.
constexpr int64_t SkinInflateBlockSize = 131072;

// One image file of a package.
struct TacImageItem {
  String FileName;                             // as stored, case preserved
  bool IsBitmap = false;                       // upper-cased extension is ".BMP"
  std::unique_ptr<TMemoryStream> FileStream;   // unpacked bytes
};
using TacImageItems = std::vector<TacImageItem>;

// Reads a package into the options text and a list of in-memory image files.
class TacSkinConvertor : public TPersistent {
public:
  TacSkinConvertor() = default;
  ~TacSkinConvertor() override { Clear(); }
  TacSkinConvertor(const TacSkinConvertor&) = delete;
  TacSkinConvertor& operator=(const TacSkinConvertor&) = delete;

  // Frees the files, Options and an owned PackedData; ImageCount stays.
  void Clear();

  // N - 1 after reading; consumers visit only the first ImageCount Files.
  int32_t ImageCount = 0;
  TacImageItems Files;
  std::unique_ptr<TMemoryStream> Options;  // "Options.dat", nil when absent
  // The package bytes being read: owned (SetPackedData) or borrowed
  // (LendPackedData; the lender keeps it and the convertor never frees it).
  TMemoryStream* PackedData = nullptr;

  void SetPackedData(std::unique_ptr<TMemoryStream> data);
  void LendPackedData(TMemoryStream* data);
  // Frees an owned package and sets PackedData to nil.
  void ReleasePackedData();

  // The first of the first ImageCount files whose upper-cased name equals
  // name (written upper case in the options), seeked to 0; nil when none.
  TMemoryStream* FindFile(const String& name) const;

private:
  std::unique_ptr<TMemoryStream> FOwnedPackedData;
};

// Reads convertor->PackedData from position 0. Any error (bad magic, sizes
// out of range, corrupt or truncated zlib data, a second "Options.dat") frees
// the convertor, leaves convertor nil and raises: ESkinError for format
// errors, EReadError for truncated data.
void ExtractPackedData(std::unique_ptr<TacSkinConvertor>& convertor);

// Does nothing when the file does not exist. Otherwise creates the convertor
// when nil (clears it else), loads the whole file as an owned PackedData,
// extracts it and, with freeAfterwards, releases PackedData.
void UnpackSkinFile(const String& fileName, std::unique_ptr<TacSkinConvertor>& convertor, bool freeAfterwards);

// The message of a package that does not start with "ASzf".
inline constexpr const char* SNotPackedSkin = "Loaded data is not a packed skin file.";

// ---- stored skins

// A packed skin kept in the program's form data; Name is its key.
class TsStoredSkin : public TCollectionItem {
public:
  explicit TsStoredSkin(TCollection* collection) : TCollectionItem(collection) {}

  const String& Name() const { return FName; }
  void SetName(const String& value);
  TBitmap32& MasterBitmap() { return FMasterBitmap; }
  const TBitmap32& MasterBitmap() const { return FMasterBitmap; }
  TColor Shadow1Color() const { return FShadow1Color; }
  void SetShadow1Color(TColor value);
  int Shadow1Offset() const { return FShadow1Offset; }
  void SetShadow1Offset(int value);
  int Shadow1Blur() const { return FShadow1Blur; }
  void SetShadow1Blur(int value);
  int Shadow1Transparency() const { return FShadow1Transparency; }
  void SetShadow1Transparency(int value);
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor value);
  double Version() const { return FVersion; }
  void SetVersion(double value);
  const String& Author() const { return FAuthor; }
  void SetAuthor(const String& value);
  const String& Description() const { return FDescription; }
  void SetDescription(const String& value);

  // The package bytes, persisted as the binary property "Data".
  TMemoryStream& PackedData() { return FPackedData; }
  const TMemoryStream& PackedData() const { return FPackedData; }
  // "Data" streaming: reading replaces the bytes with the rest of stream,
  // writing copies them all.
  void ReadData(TStream& stream);
  void WriteData(TStream& stream) const;

  void Assign(const TPersistent* source) override;

private:
  String FName;
  TBitmap32 FMasterBitmap;
  TColor FShadow1Color = 0;
  int FShadow1Offset = 0;
  int FShadow1Blur = -1;
  int FShadow1Transparency = 0;
  TColor FBorderColor = 0xFF00FF;
  double FVersion = 0;
  String FAuthor;
  String FDescription;
  TMemoryStream FPackedData;
};

// The manager's InternalSkins. Changes of items reach the manager's
// OnSkinListChanged handler (passed by address, so the manager may assign it
// later) with the manager as sender.
class TsStoredSkins : public TCollection {
public:
  explicit TsStoredSkins(TComponent* aOwner, const TNotifyEvent* onSkinListChanged = nullptr);

  TComponent* Owner() const { return FOwner; }
  TsStoredSkin* Add() { return static_cast<TsStoredSkin*>(TCollection::Add()); }
  TsStoredSkin* Items(int index) const { return static_cast<TsStoredSkin*>(TCollection::Items(index)); }
  // First item whose Name equals skinName exactly, or -1.
  int IndexOf(const String& skinName) const;
  // Stored skins are never copied wholesale.
  void Assign(const TPersistent* source) override {}

protected:
  void Update(TCollectionItem* item) override;

private:
  TComponent* FOwner;
  const TNotifyEvent* FOnSkinListChanged;
};

// ---- directories and extraction

// Skin directory normalisation: "" stays; a final "\" stays; a final "/"
// becomes "\"; a lone drive letter gets ":\"; anything else gets "\".
String NormalizeSkinDir(const String& dir);
// The file-system form of a skin path: on hosts other than Windows every
// "\" becomes "/", and a file name that does not exist as written is
// matched without regard to case in its folder.
String NativeSkinPath(const String& path);

// Where ExtractByIndex writes: normalised directory + name + " extracted.asz".
String ExtractedSkinFileName(const String& destDir, const String& skinName);

// Portable core of ExtractByIndex: writes the package bytes of internal skin
// index unchanged, replacing an existing file, creating the directory when
// needed. ESkinError "Directory <dir> creation error." when it cannot be
// created (nothing is written); EListError for a bad index.
void ExtractStoredSkin(const TsStoredSkins& skins, int index, const String& destDir);

// Portable core of ExtractInternalSkin: extracts every item named exactly
// nameOfSkin. Returns the error texts to show, one box each, in order:
// "Directory does not exists." per match when destDir is missing, the
// creation error of ExtractStoredSkin, or "Skin does not exists.".
std::vector<String> ExtractStoredSkinsByName(const TsStoredSkins& skins, const String& nameOfSkin, const String& destDir);

inline constexpr const char* SDirectoryNotExists = "Directory does not exists.";
inline constexpr const char* SSkinNotExists = "Skin does not exists.";
