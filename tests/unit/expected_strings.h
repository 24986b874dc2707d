#pragma once

// The program's string table as it must be carried, transcribed independently of the
// resource script: every id from 101 to 148, the empty ones included. Shared by the unit
// tests, the fake resources and any check of the built executable's strings.

#include <cstdint>
#include <map>
#include <string>

struct ExpectedStringEntry {
  std::uint16_t id;
  const char16_t* text;
};

inline constexpr std::uint16_t kFirstExpectedStringId = 101;
inline constexpr std::uint16_t kLastExpectedStringId = 148;

inline constexpr ExpectedStringEntry kExpectedStrings[] = {
    {101, u"Программа должна быть запущена от имени администратора."},
    {102, u"Установить Vestacor Signavel и CSP?"},
    {103, u"Установить Vestacor Signavel?"},
    {104, u"Vestacor Signavel"},
    {105, u"В процессе установки Vestacor CSP возникла ошибка"},
    {106, u"В процессе установки или обновления Vestacor Signavel возникла ошибка"},
    {107,
     u"Vestacor Signavel и CSP успешно установлены.\nДля корректной работы Vestacor Signavel и CSP "
     u"необходимо перезагрузить компьютер.\nПроизвести перезагрузку сейчас?"},
    {108,
     u"Vestacor Signavel успешно установлен.\nДля корректной работы Vestacor Signavel необходимо "
     u"перезагрузить компьютер.\nПроизвести перезагрузку сейчас?"},
    {109,
     u"Vestacor Signavel и CSP успешно установлены.\nДля корректной работы Vestacor Signavel и CSP "
     u"необходимо перезапустить браузер."},
    {110,
     u"Vestacor Signavel успешно установлен.\nДля корректной работы Vestacor Signavel необходимо "
     u"перезапустить браузер."},
    {111, u"Не удалось произвести перезагрузку.\nПерезагрузите компьютер вручную."},
    {112, u"Ошибка при обновлении zirelcom.msi."},
    {113, u"Установка Vestacor Signavel и CSP..."},
    {114, u"Установка Vestacor Signavel..."},
    {115,
     u"Для продолжения установки требуется перезагрузка.\nПосле перезагрузки необходимо снова "
     u"запустить установщик.\nПроизвести перезагрузку сейчас?"},
    {116, u"Установка продукта не возможна на ОС старше Windows 2000."},
    {117, u"Для установки продукта на Windows 2000 требуется пакет обновлений SP4."},
    {118, u"Для установки продукта на Windows XP требуется пакет обновлений SP2."},
    {119, u"Для установки продукта на Windows 2003 требуется пакет обновлений SP2."},
    {120,
     u"Для установки продукта на Windows Vista или Windows 2008 требуется пакет обновлений SP2."},
    {121,
     u"Для установки продукта на Windows Vista или Windows 2008 требуется пакет обновлений SP2."},
    {122, u"Установить Vestacor Signavel и VAZ CSP?"},
    {123,
     u"Vestacor Signavel и VAZ CSP успешно установлены.\nДля корректной работы Vestacor Signavel и "
     u"VAZ CSP необходимо перезагрузить компьютер.\nПроизвести перезагрузку сейчас?"},
    {124,
     u"Vestacor Signavel и VAZ CSP успешно установлены.\nДля корректной работы Vestacor Signavel и "
     u"VAZ CSP необходимо перезапустить браузер."},
    {125, u"Установить Vestacor Signavel, CSP и VAZ CSP?"},
    {126,
     u"Vestacor Signavel, CSP и VAZ CSP успешно установлены.\nДля корректной работы Vestacor "
     u"Signavel, CSP и UCSP необходимо перезагрузить компьютер.\nПроизвести перезагрузку сейчас?"},
    {127,
     u"Vestacor Signavel, CSP и UCSP успешно установлены.\nДля корректной работы Vestacor "
     u"Signavel, CSP и VAZ CSP необходимо перезапустить браузер."},
    {128, u"Обновление"},
    {129, u"Ошибка"},
    {130,
     u"Установленная версия Vestacor CSP 3.6 слишком старая для обновления.\nДля установки удалите "
     u"её из Add/Remove Programs и запустите установку заново."},
    {131, u"Не возможно узнать версию установленного msi-пакета."},
    {132, u""},
    {133, u"Не возможно открыть новый msi-пакет."},
    {134, u"Не возможно узнать версию нового msi-пакета."},
    {135, u"Не возможно найти полный путь установленного msi-пакета."},
    {136, u"Не возможно узнать путь до установленного msi-пакета."},
    {137, u"Не возможно узнать свойство ISReleaseFlags нового msi-пакета."},
    {138, u"Не возможно узнать свойство ProductLanguage нового msi-пакета."},
    {139, u"Не возможно найти msi-пакет."},
    {140, u""},
    {141, u""},
    {142, u"Скрыть"},
    {143, u"Опции"},
    {144, u"Для обновления Vestacor Signavel закройте программы:"},
    {145,
     u"Да — закрыть их сейчас: обновление начнётся, как только они будут закрыты.\nНет — "
     u"отложить обновление. Осталось отложений:"},
    {146,
     u"Отложить обновление больше нельзя: закройте их сейчас. Обновление начнётся, как только "
     u"они будут закрыты, но не позже"},
    {147, u"Вопрос действует до"},
    {148,
     u"Обновление Vestacor Signavel отложено: его файлы заняты открытыми программами.\n"
     u"Обновление будет предложено снова."},
};

// Id -> text, ready for FakeResources::SetStrings.
inline std::map<std::uint16_t, std::u16string> ExpectedStringTable() {
  std::map<std::uint16_t, std::u16string> table;
  for (const auto& entry : kExpectedStrings) table[entry.id] = entry.text;
  return table;
}

// The expected text of `id`; empty for ids without a string.
inline std::u16string ExpectedText(std::uint16_t id) {
  for (const auto& entry : kExpectedStrings) {
    if (entry.id == id) return entry.text;
  }
  return {};
}
