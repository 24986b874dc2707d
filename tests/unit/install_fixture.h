#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_system.h"

// The string-table texts the installer queries and installation actions show.
inline void LoadInstallerStrings(FakeResources& resources) {
  resources.SetStrings({
      {128, u"Обновление"},
      {129, u"Ошибка"},
      {130,
       u"Установленная версия Vestacor CSP 3.6 слишком старая для обновления.\nДля установки "
       u"удалите её из Add/Remove Programs и запустите установку заново."},
      {131, u"Не возможно узнать версию установленного msi-пакета."},
      {133, u"Не возможно открыть новый msi-пакет."},
      {134, u"Не возможно узнать версию нового msi-пакета."},
      {136, u"Не возможно узнать путь до установленного msi-пакета."},
      {137, u"Не возможно узнать свойство ISReleaseFlags нового msi-пакета."},
      {138, u"Не возможно узнать свойство ProductLanguage нового msi-пакета."},
      {139, u"Не возможно найти msi-пакет."},
  });
}

// An IsWow64Process that fails after having written TRUE into the BOOL.
class FailingWow64Platform : public FakePlatform {
 public:
  using FakePlatform::FakePlatform;
  bool CallIsWow64Process(ProcAddress, ProcessHandle, int* isWow64) override {
    *isWow64 = 1;
    return false;
  }
};

// A fake system with the strings loaded; every test ends with each handle closed exactly once.
class InstallTest : public ::testing::Test {
 protected:
  InstallTest() { LoadInstallerStrings(fake.resources); }
  void TearDown() override { EXPECT_EQ(std::vector<std::string>{}, fake.kernel.Unbalanced()); }

  // The boxes shown so far as "caption|text|style".
  std::vector<std::string> Boxes() const {
    std::vector<std::string> boxes;
    for (const auto& box : fake.ui.boxes) {
      boxes.push_back(Utf8(box.caption) + "|" + Utf8(box.text) + "|" + std::to_string(box.style));
    }
    return boxes;
  }
  std::vector<std::string> CommandLines() const {
    std::vector<std::string> lines;
    for (const auto& line : fake.processes.CommandLines()) lines.push_back(Utf8(line));
    return lines;
  }

  FakeSystem fake;
};
