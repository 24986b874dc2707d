// Dialog 141's choice as the fragments of the package pattern that its buttons stand for.

#include "setup/dialog_choice.h"

#include "actions/setup_options.h"
#include "installer/carry_over.h"
#include "ui/config_dialog_choice.h"

namespace {

struct Fragment {
  int id;
  const char16_t* text;
  std::u16string SetupOptions::*target;
};
constexpr Fragment kFragments[] = {
    {kCtlKc1, u"kc1*", &SetupOptions::kcPattern},
    {kCtlKc2, u"kc2*", &SetupOptions::kcPattern},
    {kCtlKc3, u"kc3*", &SetupOptions::kcPattern},
    {kCtlRussian, kRussianFragment, &SetupOptions::langPattern},
    {kCtlEnglish, kEnglishFragment, &SetupOptions::langPattern},
};

}  // namespace

void AppendDialogChoice(const std::function<bool(int controlId)>& isChecked,
                        SetupOptions& options) {
  for (const Fragment& fragment : kFragments) {
    if (isChecked(fragment.id)) options.*fragment.target += fragment.text;
  }
}

int DialogButtonOf(const std::u16string& fragment) {
  for (const Fragment& button : kFragments) {
    if (fragment == button.text) return button.id;
  }
  return 0;
}
