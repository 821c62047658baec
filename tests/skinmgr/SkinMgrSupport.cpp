#include "tests/skinmgr/SkinMgrSupport.h"

#include "skin/acSkinPack.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

TCountingForm::TCountingForm(TComponent* owner) : TForm(owner) {
  OnCloseQuery = [this](TObject*, bool& canClose) {
    ++CloseQueries;
    canClose = false;
  };
}

void TCountingForm::WndProc(TMessage& message) {
  if (message.Msg == SM_SKINCMD) FSeen.emplace_back(SkinCommandCode(message), message.LParam);
  if (message.Msg == WM_SETREDRAW) FSeen.emplace_back(RedrawCode + int(message.WParam), 0);
  TForm::WndProc(message);
}

TSkinnedForm::TSkinnedForm(TComponent* owner, TsSkinManager* manager) : TCountingForm(owner), Manager(manager) {
  RegisterSkinnedForm(this);
}

TSkinnedForm::~TSkinnedForm() { UnregisterSkinnedForm(this); }

void TSkinnedForm::WndProc(TMessage& m) {
  if (m.Msg == SM_SKINCMD && SkinCommandCode(m) == SKC_ISSKINNED) {
    m.Result = 1;
    return;
  }
  if (m.Msg == SM_SKINCMD && SkinCommandCode(m) == SKC_GETMANAGER) {
    m.Result = IsTrustedSkinCommand(m) ? LRESULT(Manager) : 0;
    return;
  }
  TCountingForm::WndProc(m);
}

int TCountingForm::Count(int code, const void* lParam) const {
  return int(std::count(FSeen.begin(), FSeen.end(), std::make_pair(code, LPARAM(lParam))));
}

std::vector<int> TCountingForm::Order() const {
  std::vector<int> codes;
  for (auto& s : FSeen)
    if (s.first != SKC_ISSKINNED) codes.push_back(s.first);
  return codes;
}

fs::path MakeTempDir(const char* tag) {
  static int serial = 0;
  fs::path dir = fs::temp_directory_path() / ("qn_" + String(tag) + "_" + std::to_string(GetCurrentProcessId()) + "_" +
                                              std::to_string(++serial));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

fs::path PackagePath() { return fs::path(QN_SOURCE_DIR) / "skins" / "AlterMetro.asz"; }

void CopyPackage(const fs::path& to) { fs::copy_file(PackagePath(), to, fs::copy_options::overwrite_existing); }

String ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const fs::path& path, const String& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
}

void UnpackPackage(const fs::path& folder, const String& from, const String& to) {
  fs::create_directories(folder);
  std::unique_ptr<TacSkinConvertor> convertor;
  UnpackSkinFile(PackagePath().string(), convertor, true);
  for (int i = 0; i < convertor->ImageCount && i < int(convertor->Files.size()); ++i) {
    TMemoryStream& s = *convertor->Files[size_t(i)].FileStream;
    WriteFile(folder / convertor->Files[size_t(i)].FileName, String(reinterpret_cast<const char*>(s.Memory()), size_t(s.Size())));
  }
  String options(reinterpret_cast<const char*>(convertor->Options->Memory()), size_t(convertor->Options->Size()));
  if (!from.empty()) {
    const size_t at = options.find(from);
    if (at != String::npos) options.replace(at, from.size(), to);
  }
  WriteFile(folder / "Options.dat", options);
}

void AddPackageAsInternalSkin(TsSkinManager& manager, const String& name) {
  TsStoredSkin* skin = manager.InternalSkins().Add();
  skin->SetName(name);
  skin->PackedData().LoadFromFile(PackagePath().string());
}

String PreviewBlock(const String& name, const String& dir, const String& options) {
  String b(acPreviewBlockSize, '\0');
  for (int i = 0; i < 4; ++i) b[size_t(i)] = char(acPreviewMarker >> (8 * i));
  b.replace(acPreviewNameOffset, std::min(name.size(), acPreviewNameSize), name.substr(0, acPreviewNameSize));
  b.replace(acPreviewDirOffset, std::min(dir.size(), acPreviewDirSize), dir.substr(0, acPreviewDirSize));
  b.replace(acPreviewOptionsOffset, std::min(options.size(), acPreviewOptionsSize), options.substr(0, acPreviewOptionsSize));
  return b;
}
