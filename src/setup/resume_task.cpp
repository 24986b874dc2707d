#include "setup/resume_task.h"

#include "common/number_text.h"

namespace {

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar, and back.
std::int64_t DaysFromCivil(std::int64_t year, std::uint32_t month, std::uint32_t day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(std::int64_t days, UtcTime& time) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  time.day = static_cast<std::uint16_t>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  time.month = static_cast<std::uint16_t>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  time.year = static_cast<std::uint16_t>(yearOfEra + era * 400 + (time.month <= 2));
}

std::u16string Padded(std::uint32_t value, int width) {
  char16_t digits[12];
  return std::u16string(digits, PutDecimal(digits, value, width, u'0'));
}

}  // namespace

TaskScheduler SchedulerOf(std::uint32_t major, std::uint32_t minor) {
  if (major > 5) return TaskScheduler::kVersion2;
  if (major == 5 && minor >= 1) return TaskScheduler::kVersion1;
  return TaskScheduler::kNone;
}

UtcTime AddDays(UtcTime time, std::uint32_t days) {
  CivilFromDays(DaysFromCivil(time.year, time.month, time.day) + days, time);
  return time;
}

std::u16string XmlDateTime(const UtcTime& time) {
  return Padded(time.year, 4) + u"-" + Padded(time.month, 2) + u"-" + Padded(time.day, 2) + u"T" +
         Padded(time.hour, 2) + u":" + Padded(time.minute, 2) + u":" + Padded(time.second, 2) +
         u"Z";
}

std::u16string XmlEscaped(const std::u16string& text) {
  std::u16string escaped;
  for (const char16_t c : text) {
    switch (c) {
      case u'&':
        escaped += u"&amp;";
        break;
      case u'<':
        escaped += u"&lt;";
        break;
      case u'>':
        escaped += u"&gt;";
        break;
      case u'"':
        escaped += u"&quot;";
        break;
      case u'\'':
        escaped += u"&apos;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::u16string BuildTaskXml(const UtcTime& now, const std::u16string& command,
                            const std::u16string& folder) {
  return u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
         u"<Task version=\"1.2\" "
         u"xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
         u"  <RegistrationInfo>\r\n"
         u"    <Description>Finishes the plug-in upgrade of zirelpluginsetup after the restart, "
         u"once.</Description>\r\n"
         u"  </RegistrationInfo>\r\n"
         u"  <Triggers>\r\n"
         u"    <BootTrigger>\r\n"
         u"      <StartBoundary>" +
         XmlDateTime(now) +
         u"</StartBoundary>\r\n"
         u"      <EndBoundary>" +
         XmlDateTime(AddDays(now, kResumeActiveDays)) +
         u"</EndBoundary>\r\n"
         u"      <Enabled>true</Enabled>\r\n"
         u"    </BootTrigger>\r\n"
         u"  </Triggers>\r\n"
         u"  <Principals>\r\n"
         u"    <Principal id=\"LocalSystem\">\r\n"
         u"      <UserId>S-1-5-18</UserId>\r\n"
         u"    </Principal>\r\n"
         u"  </Principals>\r\n"
         u"  <Settings>\r\n"
         u"    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\r\n"
         u"    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\r\n"
         u"    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\r\n"
         u"    <Enabled>true</Enabled>\r\n"
         u"    <ExecutionTimeLimit>" +
         std::u16string(kResumeTimeLimit) +
         u"</ExecutionTimeLimit>\r\n"
         u"    <DeleteExpiredTaskAfter>PT0S</DeleteExpiredTaskAfter>\r\n"
         u"  </Settings>\r\n"
         u"  <Actions Context=\"LocalSystem\">\r\n"
         u"    <Exec>\r\n"
         u"      <Command>" +
         XmlEscaped(command) +
         u"</Command>\r\n"
         u"      <WorkingDirectory>" +
         XmlEscaped(folder) +
         u"</WorkingDirectory>\r\n"
         u"    </Exec>\r\n"
         u"  </Actions>\r\n"
         u"</Task>\r\n";
}

std::string Utf16LeFile(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  bytes.reserve(2 + text.size() * 2);
  for (const char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

std::u16string CreateTaskCommand(const std::u16string& xmlPath) {
  return std::u16string(u"schtasks /create /tn ") + kResumeTaskName + u" /xml \"" + xmlPath +
         u"\" /ru SYSTEM /f";
}

std::u16string CreateStartupTaskCommand(const std::u16string& copyPath) {
  return std::u16string(u"schtasks /create /tn ") + kResumeTaskName +
         u" /sc onstart /ru SYSTEM /tr \"\\\"" + copyPath + u"\\\"\"";
}

std::u16string DeleteTaskCommand() {
  return std::u16string(u"schtasks /delete /tn ") + kResumeTaskName + u" /f";
}

std::string BuildResumeFile(const std::u16string& id, const std::u16string& pluginArgs) {
  return Utf16LeFile(id + u"\r\n" + pluginArgs);
}

bool ParseResumeFile(const std::string& bytes, std::u16string* id, std::u16string* pluginArgs) {
  if (bytes.size() < 2 || bytes.size() % 2 != 0 || bytes.compare(0, 2, "\xFF\xFE") != 0) {
    return false;
  }
  std::u16string text;
  for (std::size_t i = 2; i < bytes.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                  static_cast<unsigned char>(bytes[i + 1]) << 8);
  }
  const std::size_t end = text.find(u"\r\n");
  if (end == std::u16string::npos || end == 0) return false;
  *id = text.substr(0, end);
  *pluginArgs = text.substr(end + 2);
  return true;
}

std::u16string RegistrationId(std::uint32_t random) {
  std::u16string id;
  for (int shift = 28; shift >= 0; shift -= 4) id += LowerHexDigit(random >> shift);
  return id;
}
