// Exceptions, number and text conversions, paths and files. Portable.
#pragma once
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

using String = std::string;  // UTF-8 throughout; UTF-16 only at the Win32 boundary
using TBytes = std::vector<uint8_t>;

class Exception : public std::exception {
public:
  explicit Exception(String message) : FMessage(std::move(message)) {}
  const String& Message() const { return FMessage; }
  const char* what() const noexcept override { return FMessage.c_str(); }

private:
  String FMessage;
};

#define QN_DECLARE_EXCEPTION(Name, Base) \
  class Name : public Base {             \
  public:                                \
    using Base::Base;                    \
  }

QN_DECLARE_EXCEPTION(EConvertError, Exception);
QN_DECLARE_EXCEPTION(EListError, Exception);
QN_DECLARE_EXCEPTION(EInvalidOperation, Exception);
QN_DECLARE_EXCEPTION(EInvalidArgument, Exception);
QN_DECLARE_EXCEPTION(EOutOfResources, Exception);
QN_DECLARE_EXCEPTION(EStreamError, Exception);
QN_DECLARE_EXCEPTION(EReadError, EStreamError);
QN_DECLARE_EXCEPTION(EWriteError, EStreamError);
QN_DECLARE_EXCEPTION(EFOpenError, EStreamError);
QN_DECLARE_EXCEPTION(EFCreateError, EStreamError);

// printf-style formatting into a String.
String Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

String IntToStr(int64_t value);
// Upper-case hexadecimal with at least `digits` digits.
String IntToHex(uint64_t value, int digits);

// Integer text: optional blanks, optional sign, decimal digits, or hexadecimal
// after "$", "0x" or "0X". Anything else, trailing text or overflow fails.
bool TryStrToInt64(std::string_view text, int64_t& value);
bool TryStrToInt(std::string_view text, int& value);
int StrToInt(std::string_view text);  // EConvertError on failure
int StrToIntDef(std::string_view text, int defaultValue);
// Real number with "." as decimal separator whatever the locale.
bool TryStrToFloatDot(std::string_view text, double& value);

// ASCII-only case mapping, as for single-byte option texts.
String UpperCase(std::string_view s);
String LowerCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);
// Trimming removes every character <= ' '.
String Trim(std::string_view s);
String TrimLeft(std::string_view s);
String TrimRight(std::string_view s);

// Paths accept both "\" and "/" as separators.
bool IsPathDelimiter(char c);
String ExtractFileName(std::string_view path);
String ExtractFilePath(std::string_view path);  // with its trailing separator
String ExtractFileExt(std::string_view path);   // with the dot, "" when none
String ChangeFileExt(std::string_view path, std::string_view ext);
String IncludeTrailingPathDelimiter(std::string_view path);
bool FileExists(const String& path);
bool DirectoryExists(const String& path);
bool ForceDirectories(const String& path);
bool RemoveFile(const String& path);

// Sets a flag for a scope and puts the previous value back however the
// scope ends, so the outermost scope always leaves it as it found it.
class TFlagScope {
public:
  explicit TFlagScope(bool& flag, bool value = true) : FFlag(flag), FOld(flag) { flag = value; }
  ~TFlagScope() { FFlag = FOld; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

private:
  bool& FFlag;
  bool FOld;
};

// UTF-8 <-> UTF-16. Invalid UTF-8 bytes become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view s);
String Utf16ToUtf8(std::u16string_view s);
// The same in wchar_t units, as Win32 wants them (UTF-16 code units).
std::wstring Utf8ToWide(std::string_view s);
String WideToUtf8(std::wstring_view s);
