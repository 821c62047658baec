#include "framework/IniFiles.h"

#include "framework/WinUtils.h"

#include <windows.h>

// ---- TCustomIniFile ------------------------------------------------------

int TCustomIniFile::ReadInteger(const String& section, const String& ident, int defaultValue) {
  String text = ReadString(section, ident, "");
  int value = 0;
  return TryStrToInt(text, value) ? value : defaultValue;
}

void TCustomIniFile::WriteInteger(const String& section, const String& ident, int value) {
  WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const String& section, const String& ident, bool defaultValue) {
  return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const String& section, const String& ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

bool TCustomIniFile::SectionExists(const String& section) {
  TStringList keys;
  ReadSection(section, &keys);
  return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const String& section, const String& ident) {
  TStringList keys;
  ReadSection(section, &keys);
  return keys.IndexOf(ident) >= 0;
}

// ---- TIniFile ------------------------------------------------------------

namespace {

// Reads a profile value list, growing the buffer until it fits. The system
// returns size - 1 (one string) or size - 2 (string lists) when it truncated.
template <class F>
std::wstring ReadProfile(F read) {
  std::wstring buf(2048, L'\0');
  for (;;) {
    DWORD n = read(buf.data(), DWORD(buf.size()));
    if (n + 2 < buf.size() || buf.size() >= (1u << 24)) {
      buf.resize(n);
      return buf;
    }
    buf.assign(buf.size() * 2, L'\0');
  }
}

void SplitList(const std::wstring& list, TStrings* strings) {
  strings->BeginUpdate();
  strings->Clear();
  size_t i = 0;
  while (i < list.size()) {
    size_t end = list.find(L'\0', i);
    if (end == std::wstring::npos) end = list.size();
    if (end > i) strings->Add(FromWide(std::wstring_view(list).substr(i, end - i)));
    i = end + 1;
  }
  strings->EndUpdate();
}

}  // namespace

TIniFile::~TIniFile() = default;

String TIniFile::ReadString(const String& section, const String& ident, const String& defaultValue) {
  std::wstring s = ToWide(section), k = ToWide(ident), d = ToWide(defaultValue), f = ToWide(FileName());
  return FromWide(ReadProfile([&](wchar_t* buf, DWORD size) {
    return GetPrivateProfileStringW(s.c_str(), k.c_str(), d.c_str(), buf, size, f.c_str());
  }));
}

void TIniFile::WriteString(const String& section, const String& ident, const String& value) {
  std::wstring s = ToWide(section), k = ToWide(ident), v = ToWide(value), f = ToWide(FileName());
  if (!WritePrivateProfileStringW(s.c_str(), k.c_str(), v.c_str(), f.c_str()))
    throw EIniFileException(Format("Unable to write to %s", FileName().c_str()));
}

void TIniFile::ReadSection(const String& section, TStrings* strings) {
  if (!strings) return;
  std::wstring s = ToWide(section), f = ToWide(FileName());
  SplitList(ReadProfile([&](wchar_t* buf, DWORD size) {
              return GetPrivateProfileStringW(s.c_str(), nullptr, L"", buf, size, f.c_str());
            }),
            strings);
}

void TIniFile::ReadSections(TStrings* strings) {
  if (!strings) return;
  std::wstring f = ToWide(FileName());
  SplitList(ReadProfile([&](wchar_t* buf, DWORD size) {
              return GetPrivateProfileStringW(nullptr, nullptr, L"", buf, size, f.c_str());
            }),
            strings);
}

void TIniFile::EraseSection(const String& section) {
  std::wstring s = ToWide(section), f = ToWide(FileName());
  if (!WritePrivateProfileStringW(s.c_str(), nullptr, nullptr, f.c_str()))
    throw EIniFileException(Format("Unable to write to %s", FileName().c_str()));
}

void TIniFile::DeleteKey(const String& section, const String& ident) {
  std::wstring s = ToWide(section), k = ToWide(ident), f = ToWide(FileName());
  WritePrivateProfileStringW(s.c_str(), k.c_str(), nullptr, f.c_str());
}

void TIniFile::UpdateFile() {
  std::wstring f = ToWide(FileName());
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, f.c_str());
}
