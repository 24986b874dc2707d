#pragma once

#include <cstdint>
#include <string>

// Builds one JSON text in UTF-8. Callers open and close objects and arrays in order; the
// writer inserts the commas.
class JsonWriter {
 public:
  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  void Key(const char* name);

  void String(const std::wstring& value);
  void String(const std::string& utf8);
  void Number(std::int64_t value);
  void Bool(bool value);
  void Null();

  const std::string& Text() const { return text_; }

 private:
  void BeforeValue();
  std::string text_;
  bool needComma_ = false;
};

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);
