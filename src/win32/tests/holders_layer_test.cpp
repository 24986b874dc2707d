// WindowsHolders against the system under Wine: the launcher's key in the real registry, the
// clock, and questions shown through the stand-in wtsapi32.dll (wtsapi_stand_in.cpp) that this
// test's CMake rules put into the prefix's system folder.
#include <windows.h>

#include <ctime>
#include <string>
#include <vector>

#include "win32/find_export.h"
#include "win32/launcher/windows_holders.h"
#include "win32/system_libraries.h"
#include "win32/tests/check.h"
#include "win32/wide_text.h"
#include "win32/windows_platform.h"

CheckLog checks;

namespace {

std::uint32_t Refusal(const SysResult<bool>& result) {
  return result.value ? 0 : result.error;
}

// The test reaches the key as a 32-bit process does by default: in the 32-bit view.
LSTATUS SetValue(const char16_t* name, DWORD type, const void* data, DWORD bytes) {
  return RegSetKeyValueW(HKEY_LOCAL_MACHINE, Wide(kLauncherKey), Wide(name), type, data, bytes);
}
bool KeyExists() {
  RegistryKey key;
  return RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(kLauncherKey), 0, KEY_READ, key.Receive()) == 0;
}

void PostponementsLiveInTheLaunchersKey(HoldersApi& holders) {
  holders.DeletePostponement();  // left by a run that stopped half-way
  std::u16string text;
  CHECK_EQ(Refusal(holders.DeletePostponement()), 2u);  // ERROR_FILE_NOT_FOUND
  CHECK(holders.WritePostponement(u"1.2.3;13400000000;13400000100;1").value);
  CHECK(holders.ReadPostponement(&text).value);
  CHECK_EQ(text, u"1.2.3;13400000000;13400000100;1");
  CHECK(holders.DeletePostponement().value);
  CHECK(!KeyExists());
  CHECK_EQ(Refusal(holders.ReadPostponement(&text)), 2u);

  // Another type, or more than 1 KiB, is ERROR_INVALID_DATA; a text stored without its zero is
  // read to its end. Another value keeps the key.
  const DWORD other = 1;
  const std::u16string tooLong(512, u'x');
  CHECK_EQ(SetValue(u"Other", REG_DWORD, &other, sizeof other), 0L);
  CHECK_EQ(SetValue(kPostponementValue, REG_EXPAND_SZ, u"1.2.3", 12), 0L);
  CHECK_EQ(Refusal(holders.ReadPostponement(&text)), 13u);
  CHECK_EQ(Refusal(holders.WritePostponement(tooLong)), 13u);
  CHECK_EQ(SetValue(kPostponementValue, REG_SZ, tooLong.c_str(), 1026), 0L);
  CHECK_EQ(Refusal(holders.ReadPostponement(&text)), 13u);
  CHECK_EQ(SetValue(kPostponementValue, REG_SZ, u"1.2.3;4", 14), 0L);
  CHECK(holders.ReadPostponement(&text).value);
  CHECK_EQ(text, u"1.2.3;4");
  CHECK(holders.DeletePostponement().value);
  CHECK(KeyExists());
  CHECK_EQ(Refusal(holders.ReadPostponement(&text)), 2u);
  CHECK_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, Wide(kLauncherKey)), 0L);
}

// The clock counts the C library's seconds since 1970.
void ClockCountsFrom1970(HoldersApi& holders) {
  const auto before = static_cast<std::uint32_t>(std::time(nullptr));
  const std::uint32_t now = holders.NowSeconds();
  CHECK(now >= before && now <= before + 2);
}

// Four boxes at once (the stand-in answers only when lengths are in bytes, and times out a box
// shown alone): Yes, No, refused, and one still shown when the holders object goes, which does
// not wait for it; that box's thread ends later, in the answers it shares with nobody then.
void QuestionsAreShownAtOnce(DllSearch search, WindowsPlatform& platform) {
  const OwnedModule standIn(LoadSystemLibrary(L"wtsapi32.dll", search));
  void(WINAPI * release)() = nullptr;
  CHECK(standIn && FindExport(standIn.Get(), "StandInRelease", &release));
  if (release == nullptr) return;
  std::vector<std::uint32_t> answers;
  DWORD gone = 0;
  {
    WindowsHolders holders(search, platform);
    const std::u16string title = u"\u0412\u043e\u043f\u0440\u043e\u0441";
    CHECK(holders.SendQuestions({{1, title, std::u16string(300, u'\u044f'), MB_YESNO, 60},
                                 {2, title, u"no", MB_OK, 60},
                                 {4, title, u"refused", MB_OK, 60},
                                 {3, title, u"held", MB_OK, 60}}));
    for (int i = 0; i < 500; ++i, Sleep(10)) {
      answers = holders.ReadAnswers();
      if (answers.size() != 4 || (answers[0] && answers[1] && answers[2])) break;
    }
    gone = GetTickCount();
  }
  CHECK(GetTickCount() - gone < 1000);
  const std::vector<std::uint32_t> expected{kAnswerYes, kAnswerNo, kAnswerNotShown, kAnswerPending};
  CHECK(answers == expected);
  release();
  Sleep(200);
}

}  // namespace

int wmain() {
  const DllSearch search = RestrictDllSearch();
  WindowsPlatform platform;
  WindowsHolders holders(search, platform);
  PostponementsLiveInTheLaunchersKey(holders);
  ClockCountsFrom1970(holders);
  QuestionsAreShownAtOnce(search, platform);
  return checks.Finish();
}
