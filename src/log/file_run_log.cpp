#include "log/file_run_log.h"

#include <memory>

#include "common/number_text.h"
#include "common/win_errors.h"
#include "log/utf8_text.h"
#include "system/file_api.h"
#include "version.h"

namespace {

constexpr int kNameAttempts = 100;  // the name, then "_1" to "_99"
constexpr std::size_t kAsciiTextMax = 200;
constexpr std::size_t kAsciiLineMax = kRunLogPrefixMax + kAsciiTextMax + 2;
constexpr char kDroppedText[] =
    "the log reached its limit of 1 MiB; the rest of the run is not recorded";
// Room kept below the limit for the line above.
constexpr std::size_t kDroppedReserve = kRunLogPrefixMax + sizeof(kDroppedText) + 2;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::size_t kUtf8PerUnit = 3;  // the most bytes one UTF-16 code unit becomes here

// "zirelpluginsetup_yyyyMMdd_HHmmss_<pid>.log", or with "_<attempt>" before ".log".
std::u16string LogFileName(const LocalTime& time, std::uint32_t processId, int attempt) {
  static constexpr char16_t kStem[] = u"zirelpluginsetup_";
  char16_t name[64];
  char16_t* end =
      std::char_traits<char16_t>::copy(name, kStem, sizeof(kStem) / 2 - 1) + sizeof(kStem) / 2 - 1;
  end = PutDecimal<char16_t>(end, time.year, 4, u'0');
  end = PutDecimal<char16_t>(end, time.month, 2, u'0');
  end = PutDecimal<char16_t>(end, time.day, 2, u'0');
  *end++ = u'_';
  end = PutDecimal<char16_t>(end, time.hour, 2, u'0');
  end = PutDecimal<char16_t>(end, time.minute, 2, u'0');
  end = PutDecimal<char16_t>(end, time.second, 2, u'0');
  *end++ = u'_';
  end = PutDecimal<char16_t>(end, processId, 1, u'0');
  if (attempt > 0) {
    *end++ = u'_';
    end = PutDecimal<char16_t>(end, static_cast<std::uint32_t>(attempt), 1, u'0');
  }
  for (const char16_t* c = u".log"; *c != u'\0'; ++c) *end++ = *c;
  return std::u16string(name, end);
}

// The elapsed milliseconds right-aligned in six places and a blank.
char* PutPrefix(char* out, std::uint32_t ms) {
  out = PutDecimal<char>(out, ms, 6, ' ');
  *out++ = ' ';
  return out;
}

// Printable ASCII as it is, anything else as '?'.
char* PutAscii(char* out, const char* text, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) *out++ = text[i] >= ' ' && text[i] <= '~' ? text[i] : '?';
  return out;
}

// UTF-16 as UTF-8 on one line: a line break inside the text becomes "\n" or "\r", an unpaired
// surrogate U+FFFD. At most kUtf8PerUnit bytes per code unit.
char* PutUtf16(char* out, const char16_t* text, std::size_t size) {
  for (std::size_t at = 0; at < size;) {
    const char32_t c = NextCodePoint(text, size, at);
    if (c == u'\n' || c == u'\r') {
      *out++ = '\\';
      *out++ = c == u'\n' ? 'n' : 'r';
    } else {
      out = PutUtf8(out, c);
    }
  }
  return out;
}

// One whole line of ASCII text at `out` (room: kAsciiLineMax); returns its length.
std::size_t PutAsciiLine(char* out, std::uint32_t ms, const char* text) {
  std::size_t size = 0;
  while (text[size] != '\0' && size < kAsciiTextMax) ++size;
  char* end = PutAscii(PutPrefix(out, ms), text, size);
  *end++ = '\r';
  *end++ = '\n';
  return static_cast<std::size_t>(end - out);
}

}  // namespace

FileRunLog::FileRunLog(LogFileApi& files) : files_(files), startTick_(files.TickCount()) {}

FileRunLog::~FileRunLog() {
  if (file_ != kInvalidHandle<FileHandle>) files_.CloseFile(file_);
}

bool FileRunLog::Open() {
  if (file_ != kInvalidHandle<FileHandle>) return true;
  // GetTempPath2W and GetTempPathW give at most MAX_PATH + 1 code units.
  char16_t folderText[kMaxPath + 2];
  const std::uint32_t length = files_.ReadTempPath(kMaxPath + 2, folderText);
  if (length == 0 || length > kMaxPath + 1) return false;
  std::u16string folder(folderText, length);
  if (folder.back() != u'\\') folder += u'\\';

  const LocalTime time = files_.ReadLocalTime();
  const std::uint32_t processId = files_.ProcessId();
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::u16string path = folder + LogFileName(time, processId, attempt);
    const SysResult<FileHandle> file = files_.CreateNewFile(path.c_str());
    if (file.value != kInvalidHandle<FileHandle>) {
      file_ = file.value;
      path_ = std::move(path);
      Append(kByteOrderMark, sizeof(kByteOrderMark) - 1, false);
      Line({"zirelpluginsetup " ZIREL_VERSION_TEXT});
      return true;
    }
    const std::uint32_t reason = file.error;
    if (reason != kErrorFileExists && reason != kErrorAlreadyExists) return false;
  }
  return false;
}

std::uint32_t FileRunLog::ElapsedMs() {
  return files_.TickCount() - startTick_;
}

void FileRunLog::Line(LogParts parts) {
  Write(parts, false);
}

void FileRunLog::Closing(LogParts parts) {
  Write(parts, true);
}

void FileRunLog::Write(LogParts parts, bool closing) {
  if (file_ == kInvalidHandle<FileHandle> || broken_) return;
  if (dropping_ && !closing) return;
  std::size_t room = kRunLogPrefixMax + 2;
  for (const LogPart& part : parts) room += part.size() * kUtf8PerUnit;
  const std::unique_ptr<char[]> line(new char[room]);
  char* end = PutPrefix(line.get(), ElapsedMs());
  for (const LogPart& part : parts) {
    end = part.ascii() != nullptr ? PutAscii(end, part.ascii(), part.size())
                                  : PutUtf16(end, part.wide(), part.size());
  }
  *end++ = '\r';
  *end++ = '\n';
  Append(line.get(), static_cast<std::size_t>(end - line.get()), closing);
}

void FileRunLog::AppendAscii(const char* text, LineKind kind) {
  if (file_ == kInvalidHandle<FileHandle> || broken_) return;
  const bool closing = kind == LineKind::kClosing;
  if (dropping_ && !closing) return;
  char line[kAsciiLineMax];
  Append(line, PutAsciiLine(line, ElapsedMs(), text), closing);
}

// Every line leaves room below the limit for the line that says the rest was dropped, and
// every line but a closing one also for the closing lines behind it. The first line that does
// not fit is replaced by the dropped line; a closing line then still goes in if it fits.
void FileRunLog::Append(const char* bytes, std::size_t size, bool closing) {
  if (dropping_ && !closing) return;
  const std::size_t reserve =
      (dropping_ ? 0 : kDroppedReserve) + (closing ? 0 : kRunLogClosingRoom);
  if (written_ + size + reserve > kRunLogLimit) {
    if (!dropping_) {
      dropping_ = true;
      char line[kAsciiLineMax];
      AppendUnbounded(line, PutAsciiLine(line, ElapsedMs(), kDroppedText));
    }
    if (!closing || written_ + size > kRunLogLimit) return;
  }
  AppendUnbounded(bytes, size);
}

// A write that fails ends the log: a later line could only follow a torn one.
void FileRunLog::AppendUnbounded(const char* bytes, std::size_t size) {
  if (broken_) return;
  if (!files_.WriteToFile(file_, bytes, static_cast<std::uint32_t>(size))) broken_ = true;
  written_ += size;
}
