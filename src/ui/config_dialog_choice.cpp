#include "ui/config_dialog_choice.h"

#include "ui/localized_strings.h"
#include "ui/string_ids.h"

std::array<int, 2> InitialCheckedButtons(std::uint16_t systemUiLanguage) {
  return {systemUiLanguage == kLangIdRussianRussia ? kCtlRussian : kCtlEnglish, kCtlKc1};
}

DialogCommand ClassifyDialogCommand(int controlId) {
  switch (controlId) {
    case kCtlCancel:
      return DialogCommand::kCancel;
    case kCtlNext:
      return DialogCommand::kProceed;
    case kCtlOptions:
      return DialogCommand::kSwitchView;
    default:
      return DialogCommand::kIgnore;
  }
}

ViewSwitch SwitchOptionsView(ResourceApi& resources, const std::u16string& caption) {
  const bool toOptions = caption.substr(0, kOptionsCaptionReadLimit) ==
                         LoadLocalizedString(resources, kStrShowOptions);
  ViewSwitch result;
  for (int id = kCtlRussian; id <= kCtlInformation; ++id) {
    const bool informationControl = id == kCtlMakerGroup || id == kCtlInformation;
    result.controls.push_back({id, informationControl != toOptions});
  }
  result.caption = LoadLocalizedString(resources, toOptions ? kStrHideOptions : kStrShowOptions);
  return result;
}
