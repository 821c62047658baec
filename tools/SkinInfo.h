// Loads a skin through the skin data model and prints that model.
#pragma once
#include <memory>

#include "framework/core/SysUtils.h"
#include "skin/acSkinModel.h"

// A folder is loaded as an unpacked skin, anything else as a package file.
// Errors of the load propagate with their messages.
std::unique_ptr<TacSkinModel> LoadSkinModel(const String& path);

// JSON whose keys are the model's field names: CommonSkinData, Sections,
// Palette, Masks, ConstData.
String SkinModelJson(const TacSkinModel& model);
// A readable summary of the same model.
String SkinModelText(const TacSkinModel& model);
