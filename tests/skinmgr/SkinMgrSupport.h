// Helpers of the skin manager's tests: a form that counts skin commands,
// temporary skin folders made from the built-in package.
#pragma once
#include "framework/Forms.h"
#include "skin/sSkinManager.h"

#include <filesystem>
#include <utility>
#include <vector>

// Records every skin command its window receives: code and LParam; a
// WM_SETREDRAW is recorded as code RedrawCode + its WParam.
class TCountingForm : public TForm {
public:
  static constexpr int RedrawCode = 1000;
  explicit TCountingForm(TComponent* owner);
  void WndProc(TMessage& message) override;
  int Count(int code, const void* lParam) const;
  // Codes in arrival order, without the skin-awareness queries (7).
  std::vector<int> Order() const;
  void Clear() { FSeen.clear(); }
  int CloseQueries = 0;

private:
  std::vector<std::pair<int, LPARAM>> FSeen;
};

// A form as a skin provider makes it: skin-aware, in the list of skinned
// forms, answering its manager to our own code.
class TSkinnedForm : public TCountingForm {
public:
  TSkinnedForm(TComponent* owner, TsSkinManager* manager);
  ~TSkinnedForm() override;
  void WndProc(TMessage& message) override;
  TsSkinManager* Manager;
};

// A fresh, empty folder in the temporary directory.
std::filesystem::path MakeTempDir(const char* tag);
// The built-in skin's package in the source tree.
std::filesystem::path PackagePath();
void CopyPackage(const std::filesystem::path& to);
String ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const String& bytes);
// Writes the built-in package's files into folder, replacing `from` by `to`
// in its options text when given.
void UnpackPackage(const std::filesystem::path& folder, const String& from = String(), const String& to = String());
// Adds the built-in package to the manager's internal skins under name.
void AddPackageAsInternalSkin(TsSkinManager& manager, const String& name);
// A preview data-copy block.
String PreviewBlock(const String& name, const String& dir, const String& options);
