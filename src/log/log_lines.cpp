#include "log/log_lines.h"

#include "common/number_text.h"
#include "system/installer_api.h"

std::u16string Quoted(const std::u16string& text) {
  return u"\"" + text + u"\"";
}

const char16_t* YesNo(bool value) {
  return value ? u"yes" : u"no";
}

std::u16string SignedText(int value) {
  const auto magnitude =
      static_cast<std::uint32_t>(value < 0 ? -static_cast<std::int64_t>(value) : value);
  return (value < 0 ? u"-" : u"") + DecimalText(magnitude);
}

std::u16string ErrorCodeText(std::uint32_t code) {
  if ((code & 0x80000000u) == 0) return DecimalText(code);
  std::u16string text = u"0x00000000";
  for (std::size_t digit = text.size() - 1; code != 0; --digit, code >>= 4) {
    text[digit] = HexDigit(code);
  }
  return text;
}

void LogProductState(RunLog& log, LogPart product, const char16_t* productCode, int state) {
  const char16_t* meaning = state == kInstallStateDefault   ? u" (installed)"
                            : state == kInstallStateUnknown ? u" (not installed)"
                                                            : u"";
  log.Line({product, " ", productCode, ": installer state ", SignedText(state), meaning});
}

std::uint32_t LogExitCode(RunLog& log, std::uint32_t code) {
  log.Closing({"exit code ", DecimalText(code)});
  return code;
}
