// The postponement value: its text, the bounds it keeps, and its life from the first
// postponement of a version to the run that leaves that version installed.

#include "actions/postponement.h"

#include "common/product_catalogue.h"
#include "common/win_errors.h"
#include "installer/installer_access.h"
#include "installer/upgrade_decision.h"
#include "log/log_lines.h"

namespace {

void AppendDecimal(std::u16string& text, std::uint64_t value) {
  char16_t digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0) text.push_back(digits[--count]);
}

// The decimal number of text[at, end); false when it is empty, has another character or
// exceeds 18 digits.
bool ReadDecimal(const std::u16string& text, std::size_t at, std::size_t end,
                 std::uint64_t* value) {
  if (at >= end || end - at > 18) return false;
  *value = 0;
  for (; at < end; ++at) {
    if (text[at] < u'0' || text[at] > u'9') return false;
    *value = *value * 10 + (text[at] - u'0');
  }
  return true;
}

}  // namespace

std::u16string PostponementText(const Postponement& postponement) {
  std::u16string text = postponement.version;
  for (const std::uint64_t number :
       {postponement.first, postponement.last, std::uint64_t{postponement.declined}}) {
    text.push_back(u';');
    AppendDecimal(text, number);
  }
  return text;
}

bool ParsePostponement(const std::u16string& text, Postponement* postponement) {
  std::size_t ends[4];
  std::size_t at = 0;
  for (std::size_t& end : ends) {
    end = text.find(u';', at);
    if (end == std::u16string::npos) end = text.size();
    at = end + 1;
  }
  if (ends[3] != text.size() || ends[0] == 0) return false;
  Postponement read;
  read.version = text.substr(0, ends[0]);
  std::uint64_t declined = 0;
  if (!ReadDecimal(text, ends[0] + 1, ends[1], &read.first) ||
      !ReadDecimal(text, ends[1] + 1, ends[2], &read.last) ||
      !ReadDecimal(text, ends[2] + 1, ends[3], &declined) || declined > 0xFFFF) {
    return false;
  }
  read.declined = static_cast<std::uint32_t>(declined);
  *postponement = read;
  return true;
}

Postponement LoadPostponement(const System& sys, const std::u16string& version, std::uint64_t now) {
  Postponement kept;
  std::u16string text;
  const SysResult<bool> read = sys.holders->ReadPostponement(&text);
  if (!read.value) {
    if (read.error != kErrorFileNotFound) {
      sys.log.Line({"postponement: unreadable (error ", ErrorCodeText(read.error), ")"});
    }
  } else if (!ParsePostponement(text, &kept)) {
    sys.log.Line({"postponement: not understood: ", Quoted(text)});
  } else if (kept.version == version) {
    if (kept.first > now) kept.first = now;
    if (kept.last > now) kept.last = now;
    sys.log.Line({"postponement: ", Quoted(text)});
    return kept;
  } else {
    sys.log.Line({"postponement: kept for another version: ", Quoted(text)});
  }
  Postponement fresh;
  fresh.version = version;
  return fresh;
}

bool PostponingAllowed(const Postponement& postponement, std::uint32_t maxDefer,
                       std::uint64_t now) {
  return postponement.declined < maxDefer &&
         (postponement.first == 0 || now - postponement.first < kPostponeSeconds);
}

bool PostponedWithinTheHour(const Postponement& postponement, std::uint64_t now) {
  return postponement.last != 0 && now - postponement.last < kAskAgainSeconds;
}

bool SavePostponement(const System& sys, Postponement& postponement, std::uint64_t now) {
  if (postponement.first == 0) postponement.first = now;
  postponement.last = now;
  const std::u16string text = PostponementText(postponement);
  const SysResult<bool> written = sys.holders->WritePostponement(text);
  if (!written.value) {
    sys.log.Line({"postponement: cannot be kept (error ", ErrorCodeText(written.error), ")"});
    return false;
  }
  sys.log.Line({"postponement: kept as ", Quoted(text)});
  return true;
}

void ForgetPostponement(const System& sys) {
  if (sys.holders == nullptr) return;
  std::u16string text;
  if (!sys.holders->ReadPostponement(&text).value) return;
  Postponement kept;
  std::u16string installed;
  if (ParsePostponement(text, &kept) &&
      (ReadProductInfo(sys.installer, kPluginProductCode, u"VersionString", installed) != 0 ||
       CompareVersionText(installed, kept.version) < 0)) {
    return;
  }
  const SysResult<bool> deleted = sys.holders->DeletePostponement();
  sys.log.Line({"postponement: forgotten", deleted.value ? u"" : u" in vain, error ",
                deleted.value ? std::u16string() : ErrorCodeText(deleted.error)});
}
