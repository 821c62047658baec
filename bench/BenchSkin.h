// The built-in skin for benchmarks that paint with it.
#pragma once
#include "framework/core/SysUtils.h"
#include "skin/acSkinModel.h"

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

// Loaded once; nil when its package is missing.
inline const TacSkinModel* BuiltInSkin() {
  static std::unique_ptr<TacSkinModel> model = [] {
    std::ifstream in(std::string(QN_SOURCE_DIR) + "/skins/AlterMetro.asz", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string pkg = bytes.str();
    auto m = std::make_unique<TacSkinModel>();
    try {
      m->LoadFromPackage(reinterpret_cast<const uint8_t*>(pkg.data()), pkg.size());
    } catch (const Exception&) {
      m.reset();
    }
    return m;
  }();
  return model.get();
}
