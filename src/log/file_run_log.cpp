#include "log/file_run_log.h"

#include "installer/sized_text.h"
#include "system/file_api.h"
#include "version.h"

namespace {

constexpr int kNameAttempts = 100;  // the name, then "_1" to "_99"
constexpr std::size_t kAsciiTextMax = 200;
constexpr std::size_t kPrefixMax = 12;  // ten digits, blanks, the separating blank
constexpr std::size_t kAsciiLineMax = kPrefixMax + kAsciiTextMax + 2;
constexpr char kDroppedText[] =
    "the log reached its limit of 1 MiB; the rest of the run is not recorded";
// Room kept below the limit for the line above.
constexpr std::size_t kDroppedReserve = kPrefixMax + sizeof(kDroppedText) + 2;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

void AppendDigits(std::u16string& text, unsigned value, int width) {
  char16_t digits[10];
  int count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value != 0 && count < 10);
  for (int pad = count; pad < width; ++pad) text += u'0';
  while (count > 0) text += digits[--count];
}

std::u16string LogFileName(const LocalTime& time, int attempt) {
  std::u16string name = u"zirelpluginsetup_";
  AppendDigits(name, time.year, 4);
  AppendDigits(name, time.month, 2);
  AppendDigits(name, time.day, 2);
  name += u'_';
  AppendDigits(name, time.hour, 2);
  AppendDigits(name, time.minute, 2);
  AppendDigits(name, time.second, 2);
  if (attempt > 0) {
    name += u'_';
    AppendDigits(name, static_cast<unsigned>(attempt), 1);
  }
  return name + u".log";
}

// The elapsed milliseconds right-aligned in six places and a blank; returns the length.
std::size_t FormatPrefix(std::uint32_t ms, char* out) {
  char digits[10];
  std::size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + ms % 10);
    ms /= 10;
  } while (ms != 0);
  std::size_t length = 0;
  for (std::size_t pad = count; pad < 6; ++pad) out[length++] = ' ';
  while (count > 0) out[length++] = digits[--count];
  out[length++] = ' ';
  return length;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// UTF-16 to UTF-8 on one line: a line break inside the text is written as "\n" or "\r", an
// unpaired surrogate as U+FFFD.
void AppendLineText(std::string& out, const std::u16string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit == u'\n' || unit == u'\r') {
      out += unit == u'\n' ? "\\n" : "\\r";
    } else if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
               text[i + 1] < 0xE000) {
      AppendUtf8(out, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[++i] - 0xDC00));
    } else if (unit >= 0xD800 && unit < 0xE000) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, unit);
    }
  }
}

}  // namespace

FileRunLog::FileRunLog(LogFileApi& files, PlatformApi& platform)
    : files_(files), platform_(platform), startTick_(files.TickCount()) {}

FileRunLog::~FileRunLog() {
  if (file_ != kInvalidSysHandle) files_.CloseFile(file_);
}

bool FileRunLog::Open() {
  if (file_ != kInvalidSysHandle) return true;
  std::u16string folder;
  const std::uint32_t error = ReadSizedText(
      platform_, kMaxPath + 1,
      [&](char16_t* buffer, std::uint32_t length) { return files_.ReadTempPath(length, buffer); },
      folder);
  if (error != 0 || folder.empty()) return false;
  if (folder.back() != u'\\') folder += u'\\';

  const LocalTime time = files_.ReadLocalTime();
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::u16string path = folder + LogFileName(time, attempt);
    const SysHandle file = files_.CreateNewFile(path.c_str());
    if (file != kInvalidSysHandle) {
      file_ = file;
      path_ = std::move(path);
      Append(kByteOrderMark, sizeof(kByteOrderMark) - 1);
      Line(u"zirelpluginsetup " ZIREL_VERSION_TEXT);
      return true;
    }
    const std::uint32_t reason = platform_.LastError();
    if (reason != kErrorFileExists && reason != kErrorAlreadyExists) return false;
  }
  return false;
}

std::uint32_t FileRunLog::ElapsedMs() {
  return files_.TickCount() - startTick_;
}

void FileRunLog::Line(const std::u16string& text) {
  if (file_ == kInvalidSysHandle || full_) return;
  char prefix[kPrefixMax];
  std::string line(prefix, FormatPrefix(ElapsedMs(), prefix));
  AppendLineText(line, text);
  line += "\r\n";
  Append(line.data(), line.size());
}

void FileRunLog::AppendAscii(const char* text) {
  if (file_ == kInvalidSysHandle || full_) return;
  char line[kAsciiLineMax];
  std::size_t length = FormatPrefix(ElapsedMs(), line);
  for (std::size_t i = 0; text[i] != '\0' && i < kAsciiTextMax; ++i) {
    const char c = text[i];
    line[length++] = c >= ' ' && c <= '~' ? c : '?';
  }
  line[length++] = '\r';
  line[length++] = '\n';
  Append(line, length);
}

// Keeps room for the line that says the rest was dropped, written in place of the first line
// that does not fit.
void FileRunLog::Append(const char* bytes, std::size_t size) {
  if (written_ + size + kDroppedReserve <= kRunLogLimit) {
    AppendUnbounded(bytes, size);
    return;
  }
  full_ = true;
  char line[kPrefixMax + sizeof(kDroppedText) + 2];
  std::size_t length = FormatPrefix(ElapsedMs(), line);
  for (const char* c = kDroppedText; *c != '\0'; ++c) line[length++] = *c;
  line[length++] = '\r';
  line[length++] = '\n';
  AppendUnbounded(line, length);
}

// A write that fails ends the log: a later line could only follow a torn one.
void FileRunLog::AppendUnbounded(const char* bytes, std::size_t size) {
  if (!files_.WriteToFile(file_, bytes, static_cast<std::uint32_t>(size))) full_ = true;
  written_ += size;
}
