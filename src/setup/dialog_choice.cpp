#include "setup/dialog_choice.h"

#include <string>

#include "actions/setup_options.h"
#include "ui/config_dialog_choice.h"

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
