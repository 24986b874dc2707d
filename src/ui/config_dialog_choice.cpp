#include "ui/config_dialog_choice.h"

#include "actions/setup_options.h"
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

void AppendDialogChoice(const std::function<bool(int controlId)>& isChecked,
                        SetupOptions& options) {
  struct Fragment {
    int id;
    const char16_t* text;
    std::u16string SetupOptions::*target;
  };
  static constexpr Fragment kFragments[] = {
      {kCtlKc1, u"kc1*", &SetupOptions::kcPattern},
      {kCtlKc2, u"kc2*", &SetupOptions::kcPattern},
      {kCtlKc3, u"kc3*", &SetupOptions::kcPattern},
      {kCtlRussian, u"rus*", &SetupOptions::langPattern},
      {kCtlEnglish, u"eng*", &SetupOptions::langPattern},
  };
  for (const Fragment& fragment : kFragments) {
    if (isChecked(fragment.id)) options.*fragment.target += fragment.text;
  }
}
