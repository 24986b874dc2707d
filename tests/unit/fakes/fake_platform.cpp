#include "fakes/fake_platform.h"

// Arguments after the program name: blanks and tabs separate; double quotes group; 2n
// backslashes before a quote give n backslashes and a quote toggle, 2n+1 give n and a literal
// quote; "" inside quotes gives a literal quote.
bool FakePlatform::SplitCommandLine(const std::u16string& text,
                                    std::vector<std::u16string>* tokens) {
  splitTexts.push_back(text);
  tokens->clear();
  if (splitFails) return false;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    if (i >= text.size()) break;
    std::u16string token;
    bool quoted = false;
    while (i < text.size() && (quoted || (text[i] != u' ' && text[i] != u'\t'))) {
      if (text[i] == u'\\') {
        std::size_t count = 0;
        while (i < text.size() && text[i] == u'\\') {
          ++count;
          ++i;
        }
        if (i < text.size() && text[i] == u'"') {
          token.append(count / 2, u'\\');
          if (count % 2 == 1) {
            token.push_back(u'"');
            ++i;
          }
        } else {
          token.append(count, u'\\');
        }
      } else if (text[i] == u'"') {
        if (quoted && i + 1 < text.size() && text[i + 1] == u'"') {
          token.push_back(u'"');
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        token.push_back(text[i++]);
      }
    }
    tokens->push_back(token);
  }
  return true;
}
