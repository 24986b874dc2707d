#include "json_writer.h"

#include <windows.h>

#include <cstdio>

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], length,
                      nullptr, nullptr);
  return out;
}

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], length);
  return out;
}

void JsonWriter::BeforeValue() {
  if (needComma_) text_ += ',';
  needComma_ = true;
}

void JsonWriter::BeginObject() {
  BeforeValue();
  text_ += '{';
  needComma_ = false;
}

void JsonWriter::EndObject() {
  text_ += '}';
  needComma_ = true;
}

void JsonWriter::BeginArray() {
  BeforeValue();
  text_ += '[';
  needComma_ = false;
}

void JsonWriter::EndArray() {
  text_ += ']';
  needComma_ = true;
}

void JsonWriter::Key(const char* name) {
  String(std::string(name));
  text_ += ':';
  needComma_ = false;
}

void JsonWriter::String(const std::wstring& value) {
  String(ToUtf8(value));
}

void JsonWriter::String(const std::string& utf8) {
  BeforeValue();
  text_ += '"';
  for (const char c : utf8) {
    const auto code = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        text_ += "\\\"";
        break;
      case '\\':
        text_ += "\\\\";
        break;
      case '\n':
        text_ += "\\n";
        break;
      case '\r':
        text_ += "\\r";
        break;
      case '\t':
        text_ += "\\t";
        break;
      default:
        if (code < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(code));
          text_ += escaped;
        } else {
          text_ += c;
        }
    }
  }
  text_ += '"';
}

void JsonWriter::Number(std::int64_t value) {
  BeforeValue();
  text_ += std::to_string(value);
}

void JsonWriter::Bool(bool value) {
  BeforeValue();
  text_ += value ? "true" : "false";
}

void JsonWriter::Null() {
  BeforeValue();
  text_ += "null";
}
