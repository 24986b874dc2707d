#include "resume/boot_paths.h"

#include <vector>

#include "common/ascii_text.h"

namespace {

// Blank-separated arguments; double quotes group blanks and are taken away.
std::vector<std::u16string> Arguments(const std::u16string& text) {
  std::vector<std::u16string> arguments;
  std::u16string current;
  bool quoted = false, any = false;
  for (const char16_t c : text) {
    if (c == u'"') {
      quoted = !quoted;
      any = true;
    } else if (c == u' ' && !quoted) {
      if (any) arguments.push_back(current);
      current.clear();
      any = false;
    } else {
      current += c;
      any = true;
    }
  }
  if (any) arguments.push_back(current);
  return arguments;
}

void Judge(const std::u16string& path, std::u16string& unfit) {
  const char16_t* why = nullptr;
  if (path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\') {
    why = u" (network share)";
  } else if (path.size() < 3 || path[1] != u':' || path[2] != u'\\') {
    why = u" (relative)";
  }
  if (why == nullptr || path.empty()) return;
  if (!unfit.empty()) unfit += u", ";
  unfit += path + why;
}

}  // namespace

std::u16string PathsUnfitAtBoot(const std::u16string& args) {
  std::u16string unfit;
  const std::vector<std::u16string> arguments = Arguments(args);
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::u16string& argument = arguments[i];
    const bool logSwitch = argument.size() >= 2 && (argument[0] == u'/' || argument[0] == u'-') &&
                           LowerAscii(argument[1]) == u'l';
    if (logSwitch) {
      if (i + 1 < arguments.size()) Judge(arguments[++i], unfit);
      continue;
    }
    const std::size_t equals = argument.find(u'=');
    if (equals == std::u16string::npos) continue;
    const std::u16string name = LowerAsciiText(argument.substr(0, equals));
    const std::u16string value = argument.substr(equals + 1);
    if (name == u"installdir" || name == u"targetdir") {
      Judge(value, unfit);
    } else if (name == u"transforms") {
      for (std::size_t start = 0; start <= value.size();) {
        std::size_t end = value.find(u';', start);
        if (end == std::u16string::npos) end = value.size();
        std::u16string transform = value.substr(start, end - start);
        if (!transform.empty() && (transform[0] == u'@' || transform[0] == u'|')) {
          transform.erase(0, 1);
        }
        if (!transform.empty() && transform[0] != u':') Judge(transform, unfit);
        start = end + 1;
      }
    }
  }
  return unfit;
}
