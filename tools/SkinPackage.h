// Packed skin files as the tool writes and reads them: "ASzf", a 32-bit
// little-endian entry count, then per entry the name length, the name, the
// unpacked size and one complete zlib stream, back to back.
#pragma once
#include "framework/core/SysUtils.h"

#include <vector>

struct TSkinFileEntry {
  String Name;
  TBytes Data;
};
using TSkinFileEntries = std::vector<TSkinFileEntry>;

// Name of the options entry; compared without regard to case.
inline constexpr const char* SkinOptionsName = "Options.dat";
// File in an unpacked folder that keeps the package's entry order.
inline constexpr const char* SkinOrderFileName = ".entry-order";

// The entries in the given order, each stream at the fixed zlib level.
TBytes PackSkinEntries(const TSkinFileEntries& entries);

// Reads a whole package. Throws EReadError with a message naming the fault
// for a wrong magic, a count or length out of range, a truncated or corrupt
// stream, a stream that does not inflate to exactly its stated size, a
// missing or repeated "Options.dat", or repeated entry names.
TSkinFileEntries UnpackSkinEntries(const TBytes& package);

// Folder form. UnpackSkinFolder writes every entry as a file plus the order
// file; entry names that are not plain file names are refused.
// PackSkinFolder packs the files of dir (not its subfolders): in the order
// the order file gives, then any other files by name; without an order file
// "Options.dat" first and the rest by name.
void UnpackSkinFolder(const TSkinFileEntries& entries, const String& dir);
TSkinFileEntries ReadSkinFolder(const String& dir);

TBytes ReadFileBytes(const String& fileName);
void WriteFileBytes(const String& fileName, const TBytes& data);
