// The text of the question asking users to close the programs that hold the plug-in.

#include "ui/close_question.h"

#include "common/number_text.h"
#include "ui/localized_strings.h"
#include "ui/string_ids.h"

namespace {

bool IsUnsafe(char16_t c) {
  return c < 0x20 || c == 0x7F || (c >= 0x200E && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

std::u16string SafeHolderName(const std::u16string& name) {
  std::u16string safe = name.substr(0, kHolderNameMax);
  // A high surrogate cut from its low one.
  if (safe.size() < name.size() && (safe.back() & 0xFC00) == 0xD800) safe.pop_back();
  for (char16_t& c : safe) {
    if (IsUnsafe(c)) c = u'?';
  }
  return safe;
}

std::u16string HolderLine(const std::u16string& safeName) {
  return u"\n    " + safeName;
}

std::u16string CloseQuestionText(ResourceApi& resources, const std::u16string& lines,
                                 std::uint32_t postponementsLeft, const CalendarTime& until) {
  std::u16string text = LoadLocalizedString(resources, kStrCloseHead);
  text.append(lines).append(u"\n\n");
  if (postponementsLeft > 0) {
    text.append(LoadLocalizedString(resources, kStrCloseOrPostpone))
        .append(1, u' ')
        .append(DecimalText(postponementsLeft))
        .append(u".\n")
        .append(LoadLocalizedString(resources, kStrCloseUntil));
  } else {
    text.append(LoadLocalizedString(resources, kStrCloseNow));
  }
  char16_t clock[7] = {u' '};
  PutDecimal(PutDecimal(clock + 1, until.hour, 2, u'0') + 1, until.minute, 2, u'0');
  clock[3] = u':';
  return text.append(clock, 6).append(1, u'.');
}
