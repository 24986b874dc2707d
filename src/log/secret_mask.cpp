#include "log/secret_mask.h"

#include <cstddef>
#include <vector>

#include "common/ascii_text.h"

namespace {

// Each followed by one blank. msiexec reads property names in any letter case as upper case.
constexpr const char* kShownProperties =
    "REBOOT REBOOTPROMPT ALLUSERS ADDLOCAL ADDSOURCE ADDDEFAULT ADVERTISE REMOVE REINSTALL "
    "REINSTALLMODE TRANSFORMS INSTALLDIR TARGETDIR MSIFASTINSTALL ";
// The launcher's options that take a value.
constexpr const char* kValueOptions = "-CSPARGS -UCSPARGS -ZIRELARGS -KC -LANG ";

// The place of `name` in `list` (words each followed by one blank), counted from 1, in any
// letter case; 0 when it is not listed.
int Listed(const char* list, const char16_t* name, std::size_t length) {
  int place = 1;
  std::size_t matched = 0;  // units of `name` matched by the word so far; beyond it on a difference
  for (; *list != '\0'; ++list) {
    if (*list != ' ') {
      matched = matched < length && UpperAscii(name[matched]) == *list ? matched + 1 : length + 1;
    } else if (matched == length) {
      return place;
    } else {
      ++place;
      matched = 0;
    }
  }
  return 0;
}

// Appends text[from, end) as the log writes it, each masked value (or its part from `from` on)
// as "***"; the text before `from` is read for the quotes and properties that reach into it.
void AppendMasked(std::u16string& masked, const std::u16string& text, std::size_t from) {
  const std::size_t size = text.size();
  bool quoted = false;  // inside msiexec's quotes
  std::size_t at = 0;
  while (at < size) {
    std::size_t nameEnd = at;
    if (at == 0 || text[at - 1] == u' ' || text[at - 1] == u'"') {
      while (nameEnd < size && text[nameEnd] != u' ' && text[nameEnd] != u'=') ++nameEnd;
    }
    std::size_t value = nameEnd;
    while (value > at && value < size && text[value] == u' ') ++value;
    const bool property = value > at && value < size && text[value] == u'=';
    if (property) {
      do {
        ++value;
      } while (value < size && text[value] == u' ');
    } else {
      value = at + 1;
    }
    // The text up to the value stays, or the one unit that starts no property.
    const bool shown = !property || Listed(kShownProperties, &text[at], nameEnd - at) != 0;
    for (; at < value; ++at) {
      quoted ^= text[at] == u'"';
      if (at >= from) masked += text[at];
    }
    // A shown value is read on, so that no property hides in it; a name inside quotes may be
    // the end of a longer one.
    if (shown && (!property || !quoted)) continue;
    // The value ends at a blank outside quotes. One that begins inside quotes has no end that
    // can be told: it takes the rest.
    if (quoted) at = size;
    while (at < size && (quoted || text[at] != u' ')) quoted ^= text[at++] == u'"';
    // Stars where the value reaches past `from`, or reaches the end (also when it is empty).
    if (at >= from + (at < size)) masked.append(u"***", 3);
  }
}

// Appends `argument` so that the split gives it back: in quotes when it is empty or holds a
// blank, a tab or a quote; a quote as \" and the backslashes before a quote or before the
// closing quote doubled.
void AppendArgument(std::u16string& line, const std::u16string& argument) {
  const std::size_t size = argument.size();
  bool quote = size == 0;
  for (const char16_t c : argument) quote |= c == u' ' || c == u'\t' || c == u'"';
  if (quote) line += u'"';
  std::size_t backslashes = 0;
  for (std::size_t i = 0; i < size + quote; ++i) {
    const char16_t c = i < size ? argument[i] : u'"';  // the closing quote last
    if (c == u'"') {
      for (std::size_t n = backslashes + (i < size); n > 0; --n) line += u'\\';
    }
    backslashes = c == u'\\' ? backslashes + 1 : 0;
    line += c;
  }
}

}  // namespace

std::u16string MaskSecrets(const std::u16string& text, QuoteReading) {
  std::u16string masked;
  AppendMasked(masked, text, 0);
  return masked;
}

std::u16string MaskCommandLine(PlatformApi& platform, const std::u16string& text) {
  std::vector<std::u16string> arguments;
  std::u16string line;
  if (!text.empty() && !platform.SplitCommandLine(text, &arguments)) {
    AppendMasked(line, text, 0);
    return line;
  }
  int taking = 0;  // the value option read last, as the launcher reads its options
  const std::u16string* const first = arguments.data();
  for (const std::u16string* argument = first; argument != first + arguments.size(); ++argument) {
    const int option = taking;
    taking = option != 0 ? 0 : Listed(kValueOptions, argument->data(), argument->size());
    // The argument after the earlier values of its option, joined as msiexec gets them.
    std::u16string joined;
    int earlier = 0;
    for (const std::u16string* before = first; option != 0 && before != argument; ++before) {
      const int of = earlier;
      earlier = of != 0 ? 0 : Listed(kValueOptions, before->data(), before->size());
      if (of == option) (joined += *before) += u' ';
    }
    const std::size_t from = joined.size();
    joined += *argument;
    std::u16string masked;
    AppendMasked(masked, joined, from);
    if (argument != first) line += u' ';
    AppendArgument(line, masked);
  }
  return line;
}
