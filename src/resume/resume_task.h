#pragma once

#include <cstdint>
#include <string>

#include "system/resume_api.h"

// What the resume after a restart registers and leaves on disk, as texts: the task's name and
// definition, the schtasks.exe command lines, the folder's name and the file that carries the
// resumed run's arguments. Nothing here touches the system.

inline constexpr char16_t kResumeTaskName[] = u"zirelpluginsetup-resume";
// Where Task Scheduler 1.0 (XP, Server 2003) keeps the task, in the Windows folder.
inline constexpr char16_t kResumeTaskJobFile[] = u"Tasks\\zirelpluginsetup-resume.job";
// The copy's folder is this prefix and eight hexadecimal digits, under Program Files.
inline constexpr char16_t kResumeFolderPrefix[] = u"zirelpluginsetup-resume-";
inline constexpr char16_t kResumeFileName[] = u"resume.txt";
inline constexpr char16_t kResumeTaskFileName[] = u"resume-task.xml";

// How long the boot trigger stays active, and how long the resumed run may take.
inline constexpr std::uint32_t kResumeActiveDays = 28;
inline constexpr char16_t kResumeTimeLimit[] = u"PT1H";

// Which schtasks.exe a Windows has.
enum class TaskScheduler {
  kNone,      // Windows 2000: no schtasks.exe
  kVersion1,  // Windows XP and Server 2003: no /xml, no /f for /create
  kVersion2,  // Windows Vista and later
};
TaskScheduler SchedulerOf(std::uint32_t major, std::uint32_t minor);

// /tr of Task Scheduler 1.0 takes at most this many characters.
inline constexpr std::size_t kMaxTaskRunLength = 261;

// `time` plus `days`, in the calendar.
UtcTime AddDays(UtcTime time, std::uint32_t days);
// "2026-12-07T22:05:09Z".
std::u16string XmlDateTime(const UtcTime& time);
// `text` with &, <, >, " and ' written as entities.
std::u16string XmlEscaped(const std::u16string& text);

// The Task Scheduler 2.0 definition: a description naming the product and `folder`, a boot
// trigger from `now` for kResumeActiveDays, deleted by Windows once expired, run as LocalSystem
// on batteries too, `command` started in `folder` without arguments. It begins with a byte-order
// mark: written as UTF-16LE, it is what schtasks /xml reads.
std::u16string BuildTaskXml(const UtcTime& now, const std::u16string& command,
                            const std::u16string& folder);

// The command lines given to schtasks.exe (the program's bare name first, as the log shows it).
std::u16string CreateTaskCommand(const std::u16string& xmlPath);          // Task Scheduler 2.0
std::u16string CreateStartupTaskCommand(const std::u16string& copyPath);  // Task Scheduler 1.0
// Task Scheduler 1.0 has no /f for /create: a registered task is pointed at the new copy.
std::u16string ChangeStartupTaskCommand(const std::u16string& copyPath);
std::u16string QueryTaskCommand();  // Task Scheduler 2.0: exit code 0 when the task exists
std::u16string DeleteTaskCommand();

// The resume file: the registration id on its first line, the plug-in's arguments after it.
std::u16string BuildResumeFile(const std::u16string& id, const std::u16string& pluginArgs);
// False when `text` is not such a file.
bool ParseResumeFile(const std::u16string& text, std::u16string* id, std::u16string* pluginArgs);

// The registration id and folder name part of a random number: eight lower-case hex digits.
std::u16string RegistrationId(std::uint32_t random);
