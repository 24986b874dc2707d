#include "ui/localized_strings.h"

#include <cstddef>

#include "common/number_text.h"

namespace {

constexpr std::size_t kEntriesPerBlock = 16;
constexpr std::size_t kUnitBytes = 2;

// One little-endian UTF-16 code unit at byte offset `at`; the caller has checked the bounds.
char16_t UnitAt(const std::uint8_t* data, std::size_t at) {
  return static_cast<char16_t>(data[at] | (data[at + 1] << 8));
}

const char16_t* AnswerName(int button) {
  switch (button) {
    case kIdOk:
      return u"OK";
    case kIdYes:
      return u"Yes";
    case kIdNo:
      return u"No";
    case 0:
      return u"no box could be shown";
    default:
      return u"closed";
  }
}

}  // namespace

// A block holds 16 entries, each a count word followed by that many code units. Every step of
// the walk checks that it stays inside the block, so a short or damaged block gives the empty
// text instead of reading past its end.
std::u16string LoadLocalizedString(ResourceApi& resources, std::uint16_t id) {
  const auto blockName = static_cast<std::uint16_t>(id / kEntriesPerBlock + 1);
  const std::size_t index = id % kEntriesPerBlock;
  const std::uint8_t* data = nullptr;
  std::uint32_t size = 0;
  if (!resources.FindResourceBytes(kRtString, blockName, &data, &size) || data == nullptr) {
    return {};
  }
  std::size_t position = 0;
  for (std::size_t entry = 0; entry < index; ++entry) {
    if (position + kUnitBytes > size) return {};
    position += kUnitBytes + kUnitBytes * UnitAt(data, position);
  }
  if (position + kUnitBytes > size) return {};
  const std::size_t count = UnitAt(data, position);
  const std::size_t first = position + kUnitBytes;
  if (count == 0 || count * kUnitBytes > size - first) return {};
  std::u16string text(count, u'\0');
  for (std::size_t unit = 0; unit < count; ++unit) {
    text[unit] = UnitAt(data, first + unit * kUnitBytes);
  }
  return text;
}

int ShowMessage(const System& sys, const Prompts& prompts, BoxKind kind, std::uint16_t textId,
                std::uint16_t captionId, std::uint32_t style, std::optional<std::uint32_t> code) {
  const bool question = (style & kMbButtonsMask) == kMbYesNo;
  const BoxFate fate = prompts.FateOf(kind);
  if (fate == BoxFate::kLeftOut) return question ? kIdYes : kIdOk;
  const std::u16string caption = LoadLocalizedString(sys.resources, captionId);
  std::u16string text = LoadLocalizedString(sys.resources, textId);
  if (code) text += u": " + DecimalText(*code) + u".";
  sys.trace.MessageChosen(textId);
  if (fate == BoxFate::kUnseen) {
    // Nobody could ever answer: the run goes on as after the answer that agrees to nothing.
    const int answer = question ? kIdNo : kIdOk;
    sys.log.Line({"message ", DecimalText(textId), " not shown: nobody can see it: ", text});
    sys.log.Line({"message ", DecimalText(textId), " taken as answered: ", AnswerName(answer)});
    return answer;
  }
  sys.log.Line({"message ", DecimalText(textId), ": ", text});
  const int answer = sys.ui.ShowMessageBox(text, caption, style);
  sys.log.Line({"message ", DecimalText(textId), " answered: ", AnswerName(answer)});
  return answer;
}
