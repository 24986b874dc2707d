#pragma once

#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

// A minimal check recorder for the Windows-side tests (GoogleTest does not build with the
// toolchain's thread model): every failed check prints its place and what it compared.
class CheckLog {
 public:
  void Expect(bool ok, const char* file, int line, const char* what) {
    if (ok) {
      ++passed_;
      return;
    }
    ++failed_;
    std::printf("%s:%d: failed: %s\n", file, line, what);
  }
  template <typename A, typename B>
  void ExpectEqual(const A& actual, const B& expected, const char* file, int line,
                   const char* what) {
    bool ok = actual == expected;
    Expect(ok, file, line, what);
    if (!ok) std::printf("    got %s, expected %s\n", Show(actual).c_str(), Show(expected).c_str());
  }
  int Finish() const {
    std::printf("%d passed, %d failed\n", passed_, failed_);
    return failed_ == 0 ? 0 : 1;
  }

 private:
  static std::string Show(long value) { return std::to_string(value); }
  static std::string Show(unsigned long long value) { return std::to_string(value); }
  static std::string Show(long long value) { return std::to_string(value); }
  static std::string Show(unsigned value) { return std::to_string(value); }
  static std::string Show(unsigned long value) { return std::to_string(value); }
  static std::string Show(int value) { return std::to_string(value); }
  static std::string Show(bool value) { return value ? "true" : "false"; }
  template <typename Handle, typename = std::enable_if_t<std::is_enum_v<Handle>>>
  static std::string Show(Handle value) {
    return std::to_string(static_cast<std::underlying_type_t<Handle>>(value));
  }
  static std::string Show(const std::u16string& text) {
    std::string out = "\"";
    for (char16_t c : text) {
      if (c >= 0x20 && c < 0x7F) {
        out.push_back(static_cast<char>(c));
      } else {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
        out += escaped;
      }
    }
    return out + "\"";
  }
  static std::string Show(const char16_t* text) { return Show(std::u16string(text)); }
  static std::string Show(const std::vector<std::u16string>& texts) {
    std::string out = "{";
    for (const auto& text : texts) out += (out.size() > 1 ? ", " : "") + Show(text);
    return out + "}";
  }

  int passed_ = 0;
  int failed_ = 0;
};

extern CheckLog checks;

#define CHECK(condition) checks.Expect((condition), __FILE__, __LINE__, #condition)
#define CHECK_EQ(actual, expected) \
  checks.ExpectEqual((actual), (expected), __FILE__, __LINE__, #actual " == " #expected)
