// The postponement value: its text, the bounds it keeps, and its life from the first
// postponement of a version to the run that leaves that version installed.

#include "actions/postponement.h"

#include "common/number_text.h"
#include "common/product_catalogue.h"
#include "installer/installer_access.h"
#include "installer/upgrade_decision.h"
#include "log/log_lines.h"

namespace {

// The decimal number of text[at, end); false when it is empty, has another character or
// does not fit 32 bits.
bool ReadDecimal(const std::u16string& text, std::size_t at, std::size_t end,
                 std::uint32_t* value) {
  std::uint64_t number = 0;
  for (std::size_t i = at; i < end; ++i) {
    if (text[i] < u'0' || text[i] > u'9' || end - at > 10) return false;
    number = number * 10 + (text[i] - u'0');
  }
  *value = static_cast<std::uint32_t>(number);
  return at < end && number <= 0xFFFFFFFFu;
}

}  // namespace

std::u16string PostponementText(const Postponement& postponement) {
  return postponement.version + u';' + DecimalText(postponement.first) + u';' +
         DecimalText(postponement.last) + u';' + DecimalText(postponement.declined);
}

bool ParsePostponement(const std::u16string& text, Postponement* postponement) {
  std::size_t ends[4];
  std::size_t at = 0;
  for (std::size_t& end : ends) {
    end = std::min(text.find(u';', at), text.size());
    at = end + 1;
  }
  Postponement read;
  read.version = text.substr(0, ends[0]);
  if (ends[3] != text.size() || ends[0] == 0 ||
      !ReadDecimal(text, ends[0] + 1, ends[1], &read.first) ||
      !ReadDecimal(text, ends[1] + 1, ends[2], &read.last) ||
      !ReadDecimal(text, ends[2] + 1, ends[3], &read.declined)) {
    return false;
  }
  *postponement = read;
  return true;
}

Postponement LoadPostponement(const System& sys, const std::u16string& version, std::uint32_t now) {
  Postponement kept;
  std::u16string text;
  const SysResult<bool> read = sys.holders->ReadPostponement(&text);
  if (read.value) sys.log.Line({"postponement: found ", Quoted(text)});
  if (read.value && ParsePostponement(text, &kept) && kept.version == version) {
    kept.first = std::min(kept.first, now);
    kept.last = std::min(kept.last, now);
    return kept;
  }
  // Another version's, none, or one that cannot be read: this version starts afresh.
  Postponement fresh;
  fresh.version = version;
  return fresh;
}

bool PostponingAllowed(const Postponement& postponement, std::uint32_t maxDefer,
                       std::uint32_t now) {
  return postponement.declined < maxDefer &&
         (postponement.first == 0 || now - postponement.first < kPostponeSeconds);
}

bool PostponedWithinTheHour(const Postponement& postponement, std::uint32_t now) {
  return postponement.last != 0 && now - postponement.last < kAskAgainSeconds;
}

bool SavePostponement(const System& sys, Postponement& postponement, std::uint32_t now) {
  if (postponement.first == 0) postponement.first = now;
  postponement.last = now;
  const std::u16string text = PostponementText(postponement);
  const SysResult<bool> written = sys.holders->WritePostponement(text);
  sys.log.Line({"postponement: ", written.value ? u"kept " : u"cannot be kept ", Quoted(text),
                written.value ? u"" : u", error ",
                written.value ? std::u16string() : ErrorCodeText(written.error)});
  return written.value;
}

void ForgetPostponement(const System& sys) {
  std::u16string text;
  if (sys.holders == nullptr || !sys.holders->ReadPostponement(&text).value) return;
  Postponement kept;
  std::u16string installed;
  if (ParsePostponement(text, &kept) &&
      (ReadProductInfo(sys.installer, kPluginProductCode, u"VersionString", installed) != 0 ||
       CompareVersionText(installed, kept.version) < 0)) {
    return;
  }
  const SysResult<bool> deleted = sys.holders->DeletePostponement();
  sys.log.Line({"postponement: forgotten", deleted.value ? u"" : u", in vain: error ",
                deleted.value ? std::u16string() : ErrorCodeText(deleted.error)});
}
