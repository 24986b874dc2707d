#include "resume/resume_task.h"

#include <iterator>

#include "common/ascii_text.h"
#include "common/number_text.h"

TaskScheduler SchedulerOf(std::uint32_t major, std::uint32_t minor) {
  if (major > 5) return TaskScheduler::kVersion2;
  if (major == 5 && minor >= 1) return TaskScheduler::kVersion1;
  return TaskScheduler::kNone;
}

// Day by day: a few weeks are added, and the calendar's rules stay plain to see.
UtcTime AddDays(UtcTime time, std::uint32_t days) {
  static const std::uint8_t kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (; days > 0; --days) {
    const bool leap = time.year % 4 == 0 && (time.year % 100 != 0 || time.year % 400 == 0);
    const unsigned length = kMonthDays[(time.month + 11) % 12] + (time.month == 2 && leap);
    if (++time.day <= length) continue;
    time.day = 1;
    if (++time.month > 12) {
      time.month = 1;
      ++time.year;
    }
  }
  return time;
}

std::u16string XmlDateTime(const UtcTime& time) {
  char16_t text[24];
  char16_t* out = PutDecimal(text, time.year, 4, u'0');
  const std::uint16_t parts[] = {time.month, time.day, time.hour, time.minute, time.second};
  for (int i = 0; i < 5; ++i) {
    *out++ = u"--T::"[i];
    out = PutDecimal(out, parts[i], 2, u'0');
  }
  *out++ = u'Z';
  return std::u16string(text, out);
}

std::u16string XmlEscaped(const std::u16string& text) {
  static const char16_t kSpecial[] = u"&<>\"'";
  static const char16_t* const kEntities[] = {u"&amp;", u"&lt;", u"&gt;", u"&quot;", u"&apos;"};
  std::u16string escaped;
  for (const char16_t c : text) {
    const char16_t* special = std::char_traits<char16_t>::find(kSpecial, 5, c);
    if (special != nullptr) {
      escaped += kEntities[special - kSpecial];
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::u16string BuildTaskXml(const UtcTime& now, const std::u16string& command,
                            const std::u16string& folder) {
  // The fixed parts in ASCII, half the room of their UTF-16 form in the executable; the
  // variable parts go between them in this order.
  static const char* const kParts[] = {
      "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
      "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
      "<RegistrationInfo><Description>Vestacor Signavel: installs the new plug-in after the "
      "restart from ",
      ", then deletes this task</Description></RegistrationInfo>\r\n"
      "<Triggers><BootTrigger><StartBoundary>",
      "</StartBoundary><EndBoundary>",
      "</EndBoundary></BootTrigger></Triggers>\r\n"
      "<Principals><Principal id=\"System\"><UserId>S-1-5-18</UserId></Principal></Principals>\r\n"
      "<Settings><DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"
      "<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries><ExecutionTimeLimit>",
      "</ExecutionTimeLimit><DeleteExpiredTaskAfter>PT0S</DeleteExpiredTaskAfter></Settings>\r\n"
      "<Actions Context=\"System\"><Exec><Command>",
      "</Command><WorkingDirectory>",
      "</WorkingDirectory></Exec></Actions>\r\n"
      "</Task>\r\n"};
  const std::u16string values[] = {
      XmlEscaped(folder), XmlDateTime(now),    XmlDateTime(AddDays(now, kResumeActiveDays)),
      kResumeTimeLimit,   XmlEscaped(command), XmlEscaped(folder)};
  std::u16string xml = u"\uFEFF";  // schtasks /xml reads UTF-16LE behind a byte-order mark
  for (std::size_t i = 0; i < std::size(kParts); ++i) {
    AppendAscii(xml, kParts[i]);
    if (i < std::size(values)) xml += values[i];
  }
  return xml;
}

std::u16string CreateTaskCommand(const std::u16string& xmlPath) {
  return u"schtasks /create /tn zirelpluginsetup-resume /xml \"" + xmlPath + u"\" /ru SYSTEM /f";
}

std::u16string CreateStartupTaskCommand(const std::u16string& copyPath) {
  return u"schtasks /create /tn zirelpluginsetup-resume /sc onstart /ru SYSTEM /tr \"\\\"" +
         copyPath + u"\\\"\"";
}

std::u16string ChangeStartupTaskCommand(const std::u16string& copyPath) {
  return u"schtasks /change /tn zirelpluginsetup-resume /ru SYSTEM /tr \"\\\"" + copyPath +
         u"\\\"\"";
}

std::u16string QueryTaskCommand() {
  return u"schtasks /query /tn zirelpluginsetup-resume";
}

std::u16string DeleteTaskCommand() {
  return u"schtasks /delete /tn zirelpluginsetup-resume /f";
}

std::u16string BuildResumeFile(const std::u16string& id, const std::u16string& pluginArgs) {
  return u"\uFEFF" + id + u"\r\n" + pluginArgs;
}

bool ParseResumeFile(const std::u16string& text, std::u16string* id, std::u16string* pluginArgs) {
  const std::size_t end = text.find(u"\r\n");
  if (end == std::u16string::npos || end < 2 || text[0] != u'\uFEFF') return false;
  *id = text.substr(1, end - 1);
  *pluginArgs = text.substr(end + 2);
  return true;
}

std::u16string RegistrationId(std::uint32_t random) {
  std::u16string id;
  for (int shift = 28; shift >= 0; shift -= 4) id += LowerHexDigit(random >> shift);
  return id;
}
