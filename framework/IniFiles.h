// INI files through the platform's profile functions.
#pragma once
#include "framework/core/Classes.h"

QN_DECLARE_EXCEPTION(EIniFileException, Exception);

// Integers read from a file: decimal, or hexadecimal after "$" or "0x"; any
// other text (and a missing key) gives the default. Booleans are integers,
// non-zero = true, written "1" / "0".
class TCustomIniFile : public TObject {
public:
  explicit TCustomIniFile(const String& fileName) : FFileName(fileName) {}
  const String& FileName() const { return FFileName; }

  virtual String ReadString(const String& section, const String& ident, const String& defaultValue) = 0;
  // EIniFileException "Unable to write to <file>" when the file cannot be written.
  virtual void WriteString(const String& section, const String& ident, const String& value) = 0;
  virtual void ReadSection(const String& section, TStrings* strings) = 0;
  virtual void ReadSections(TStrings* strings) = 0;
  virtual void EraseSection(const String& section) = 0;
  virtual void DeleteKey(const String& section, const String& ident) = 0;
  virtual void UpdateFile() = 0;

  int ReadInteger(const String& section, const String& ident, int defaultValue);
  void WriteInteger(const String& section, const String& ident, int value);
  bool ReadBool(const String& section, const String& ident, bool defaultValue);
  void WriteBool(const String& section, const String& ident, bool value);
  bool SectionExists(const String& section);
  bool ValueExists(const String& section, const String& ident);

private:
  String FFileName;
};

// GetPrivateProfileStringW / WritePrivateProfileStringW on FileName, which
// should be a full path (a bare name would refer to the Windows folder).
class TIniFile : public TCustomIniFile {
public:
  explicit TIniFile(const String& fileName) : TCustomIniFile(fileName) {}
  ~TIniFile() override;

  String ReadString(const String& section, const String& ident, const String& defaultValue) override;
  void WriteString(const String& section, const String& ident, const String& value) override;
  void ReadSection(const String& section, TStrings* strings) override;
  void ReadSections(TStrings* strings) override;
  void EraseSection(const String& section) override;
  void DeleteKey(const String& section, const String& ident) override;
  void UpdateFile() override;
};
