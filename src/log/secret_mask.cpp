#include "log/secret_mask.h"

#include <cstddef>

namespace {

// Each followed by one blank. msiexec reads property names in any letter case as upper case.
constexpr char kShownProperties[] =
    "REBOOT REBOOTPROMPT ALLUSERS ADDLOCAL ADDSOURCE ADDDEFAULT ADVERTISE REMOVE REINSTALL "
    "REINSTALLMODE TRANSFORMS INSTALLDIR TARGETDIR MSIFASTINSTALL ";

char16_t UpperAscii(char16_t c) {
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool IsShown(const char16_t* name, std::size_t length) {
  for (const char* listed = kShownProperties; *listed != '\0';) {
    std::size_t i = 0;
    while (i < length && listed[i] != ' ' && UpperAscii(name[i]) == listed[i]) ++i;
    if (i == length && listed[i] == ' ') return true;
    while (*listed++ != ' ') {
    }
  }
  return false;
}

// A property name is a letter or an underscore, then letters, digits, underscores and
// periods. Letters beyond ASCII count too, so that no such name keeps its value in the log.
bool StartsName(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' || c >= 0x80;
}
bool ContinuesName(char16_t c) {
  return StartsName(c) || (c >= u'0' && c <= u'9') || c == u'.';
}

enum class Piece { kOther, kValueQuote, kArgumentQuote };

// Moves `at` past one piece of `text`: a run of backslashes with the quote after it, or one
// code unit. The piece's quote is msiexec's (every quote for the installer; on the command
// line one after an odd number of backslashes, which the split leaves in the argument) or the
// command line's own, which the split takes out.
Piece Step(const std::u16string& text, std::size_t& at, QuoteReading reading) {
  std::size_t quote = at;
  while (quote < text.size() && text[quote] == u'\\') ++quote;
  if (quote == text.size() || text[quote] != u'"') {
    at = quote > at ? quote : at + 1;
    return Piece::kOther;
  }
  const bool escaped = reading == QuoteReading::kInstaller || (quote - at) % 2 == 1;
  at = quote + 1;
  return escaped ? Piece::kValueQuote : Piece::kArgumentQuote;
}

// Which quotes are open at a point of the text: msiexec's, counted over the whole text (as
// the options join the arguments) and within the current argument of a command line (as each
// was meant); and the command line's own.
struct OpenQuotes {
  bool joined = false;
  bool own = false;
  bool argument = false;

  bool Msiexec() const { return joined || own; }

  // Moves `at` past the next piece of `text` and takes its quote into account.
  Piece Pass(const std::u16string& text, std::size_t& at, QuoteReading reading) {
    const char16_t first = text[at];
    const Piece piece = Step(text, at, reading);
    if (piece == Piece::kValueQuote) {
      joined = !joined;
      own = !own;
    }
    if (piece == Piece::kArgumentQuote) argument = !argument;
    const bool blank = first == u' ' || first == u'\t';
    if (blank && !argument && reading == QuoteReading::kCommandLine) own = false;
    return piece;
  }
};

// Where the value that begins at `at` ends: at a blank outside quotes, or, on the command line,
// before the quote that closes an argument opened before the property. A blank inside quotes
// that the value opened itself, of either kind, is part of it. A value that begins inside
// msiexec's quotes has no end that can be told: it takes the rest of the text.
std::size_t ValueEnd(const std::u16string& text, std::size_t at, QuoteReading reading,
                     OpenQuotes& open) {
  if (open.Msiexec()) return text.size();
  bool enclosed = open.argument;
  while (at < text.size()) {
    if (text[at] == u' ' && !open.Msiexec() && (!open.argument || enclosed)) break;
    const Piece piece = open.Pass(text, at, reading);
    if (piece != Piece::kArgumentQuote || !enclosed) continue;
    if (!open.Msiexec() && (at == text.size() || text[at] == u' ')) {
      open.argument = true;  // the argument's closing quote stays, and is read on from there
      return at - 1;
    }
    enclosed = false;
  }
  return at;
}

}  // namespace

std::u16string MaskSecrets(const std::u16string& text, QuoteReading reading) {
  std::u16string masked;
  OpenQuotes open;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t nameEnd = at;
    if (at == 0 || text[at - 1] == u' ' || text[at - 1] == u'\t' || text[at - 1] == u'"') {
      if (StartsName(text[at])) ++nameEnd;
      while (nameEnd > at && nameEnd < text.size() && ContinuesName(text[nameEnd])) ++nameEnd;
    }
    std::size_t value = nameEnd;
    while (value > at && value < text.size() && text[value] == u' ') ++value;
    if (value > at && value < text.size() && text[value] == u'=') {
      ++value;
      while (value < text.size() && text[value] == u' ') ++value;
      masked.append(text, at, value - at);
      if (IsShown(text.data() + at, nameEnd - at)) {
        at = value;  // what follows is read on, so that no property hides in a shown value
      } else {
        at = ValueEnd(text, value, reading, open);
        masked += u"***";
      }
      continue;
    }
    const std::size_t from = at;
    open.Pass(text, at, reading);
    masked.append(text, from, at - from);
  }
  return masked;
}
