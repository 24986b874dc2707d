#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ResourceApi;

// Dialog 141: template, icon and control ids.
constexpr std::uint16_t kConfigDialogId = 141;
constexpr std::uint16_t kConfigDialogIconId = 100;
constexpr int kConfigDialogIconSize = 32;
constexpr int kCtlCancel = 2;
constexpr int kCtlNext = 140;
constexpr int kCtlRussian = 1006;
constexpr int kCtlEnglish = 1007;
constexpr int kCtlKc1 = 1008;
constexpr int kCtlKc2 = 1009;
constexpr int kCtlKc3 = 1010;
constexpr int kCtlMakerGroup = 1011;
constexpr int kCtlLanguageGroup = 1012;
constexpr int kCtlLevelGroup = 1013;
constexpr int kCtlInformation = 1014;
constexpr int kCtlOptions = 1015;

// The options button's caption is read with room for this many code units.
constexpr std::size_t kOptionsCaptionReadLimit = 9;

// The system interface language that presets "Русский" (Russian, Russia).
constexpr std::uint16_t kLangIdRussianRussia = 0x0419;

// Radio buttons checked when the dialog opens: the language (Русский only for exactly
// 0x0419, English otherwise) and KC1.
std::array<int, 2> InitialCheckedButtons(std::uint16_t systemUiLanguage);

// What a WM_COMMAND from a control does.
enum class DialogCommand {
  kCancel,      // end the dialog; the launcher ends with exit code 0
  kProceed,     // append the choice, end the dialog
  kSwitchView,  // options button
  kIgnore,
};
DialogCommand ClassifyDialogCommand(int controlId);

struct ControlVisibility {
  int id = 0;
  bool visible = false;
};

struct ViewSwitch {
  std::vector<ControlVisibility> controls;  // ids 1006 to 1014 in increasing order
  std::u16string caption;                   // the options button's new caption
};

// The options button was pressed while showing `caption` (only its first nine code units
// count). A caption equal to string 143 opens the options view, anything else returns to the
// information view.
ViewSwitch SwitchOptionsView(ResourceApi& resources, const std::u16string& caption);

// The radio buttons of the choice, in increasing id order; each has a bit of its own in
// ConfigDialogChoice.
constexpr int kChoiceButtons[] = {kCtlRussian, kCtlEnglish, kCtlKc1, kCtlKc2, kCtlKc3};
static_assert(kCtlKc3 - kCtlRussian < 32, "the radio buttons fit the choice's bits");
