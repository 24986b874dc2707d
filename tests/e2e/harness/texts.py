"""Texts the launcher shows, written out here independently of its resources.

Each text is the exact UTF-16 content expected in a message box; "\n" is a line feed and
"\t" a tab, with no carriage returns.
"""

CAPTION = 104
HELP_CAPTION = "Справка"

# The string table by id.
STRINGS = {
    101: "Программа должна быть запущена от имени администратора.",
    102: "Установить Vestacor Signavel и CSP?",
    103: "Установить Vestacor Signavel?",
    104: "Vestacor Signavel",
    105: "В процессе установки Vestacor CSP возникла ошибка",
    106: "В процессе установки или обновления Vestacor Signavel возникла ошибка",
    107: "Vestacor Signavel и CSP успешно установлены.\nДля корректной работы Vestacor Signavel и CSP необходимо перезагрузить компьютер.\nПроизвести перезагрузку сейчас?",
    108: "Vestacor Signavel успешно установлен.\nДля корректной работы Vestacor Signavel необходимо перезагрузить компьютер.\nПроизвести перезагрузку сейчас?",
    109: "Vestacor Signavel и CSP успешно установлены.\nДля корректной работы Vestacor Signavel и CSP необходимо перезапустить браузер.",
    110: "Vestacor Signavel успешно установлен.\nДля корректной работы Vestacor Signavel необходимо перезапустить браузер.",
    111: "Не удалось произвести перезагрузку.\nПерезагрузите компьютер вручную.",
    112: "Ошибка при обновлении zirelcom.msi.",
    113: "Установка Vestacor Signavel и CSP...",
    114: "Установка Vestacor Signavel...",
    115: "Для продолжения установки требуется перезагрузка.\nПосле перезагрузки необходимо снова запустить установщик.\nПроизвести перезагрузку сейчас?",
    116: "Установка продукта не возможна на ОС старше Windows 2000.",
    117: "Для установки продукта на Windows 2000 требуется пакет обновлений SP4.",
    118: "Для установки продукта на Windows XP требуется пакет обновлений SP2.",
    119: "Для установки продукта на Windows 2003 требуется пакет обновлений SP2.",
    120: "Для установки продукта на Windows Vista или Windows 2008 требуется пакет обновлений SP2.",
    121: "Для установки продукта на Windows Vista или Windows 2008 требуется пакет обновлений SP2.",
    122: "Установить Vestacor Signavel и VAZ CSP?",
    123: "Vestacor Signavel и VAZ CSP успешно установлены.\nДля корректной работы Vestacor Signavel и VAZ CSP необходимо перезагрузить компьютер.\nПроизвести перезагрузку сейчас?",
    124: "Vestacor Signavel и VAZ CSP успешно установлены.\nДля корректной работы Vestacor Signavel и VAZ CSP необходимо перезапустить браузер.",
    125: "Установить Vestacor Signavel, CSP и VAZ CSP?",
    126: "Vestacor Signavel, CSP и VAZ CSP успешно установлены.\nДля корректной работы Vestacor Signavel, CSP и UCSP необходимо перезагрузить компьютер.\nПроизвести перезагрузку сейчас?",
    127: "Vestacor Signavel, CSP и UCSP успешно установлены.\nДля корректной работы Vestacor Signavel, CSP и VAZ CSP необходимо перезапустить браузер.",
    128: "Обновление",
    129: "Ошибка",
    130: "Установленная версия Vestacor CSP 3.6 слишком старая для обновления.\nДля установки удалите её из Add/Remove Programs и запустите установку заново.",
    131: "Не возможно узнать версию установленного msi-пакета.",
    133: "Не возможно открыть новый msi-пакет.",
    134: "Не возможно узнать версию нового msi-пакета.",
    135: "Не возможно найти полный путь установленного msi-пакета.",
    136: "Не возможно узнать путь до установленного msi-пакета.",
    137: "Не возможно узнать свойство ISReleaseFlags нового msi-пакета.",
    138: "Не возможно узнать свойство ProductLanguage нового msi-пакета.",
    139: "Не возможно найти msi-пакет.",
    142: "Скрыть",
    143: "Опции",
    144: "Для обновления Vestacor Signavel закройте программы:",
    145: "Да — закрыть их сейчас: обновление начнётся, как только они будут закрыты.\nНет — отложить обновление. Осталось отложений:",
    146: "Отложить обновление больше нельзя: закройте их сейчас. Обновление начнётся, как только они будут закрыты, но не позже",
    147: "Вопрос действует до",
    148: "Обновление Vestacor Signavel отложено: его файлы заняты открытыми программами.\nОбновление будет предложено снова.",
}

# The pieces of the help text, numbered in the order in which they are joined.
HELP_PIECES = {
    1: "Установщик Vestacor Signavel.\n",
    2: "При запуске без параметров осуществляет установку с параметрами по умолчанию.\n",
    3: "\n",
    4: "Возможные параметры командной строки:\n",
    5: "  -?\t\t вывести данную справку\n",
    6: "  -zirelargs \"<args>\" дополнительные параметры командной\n \t\t строки(<args>) для вызова msiexec /i\n \t\t при установке пакета MSI плагина\n",
    7: "  -silent\t\t подавить диалоговые окна\n",
    8: "  -cspargs \"<args>\"     дополнителные параметры командной\n \t\t строки (<args>) для вызова msiexec /i\n \t\t при установке пакета MSI Vestacor CSP\n",
    9: "  -ucspargs \"<args>\"   дополнительные параметры командной\n \t\t строки (<args>) для вызова msiexec /i\n \t\t при установке пакета MSI Vestacor VAZ CSP\n",
    10: "  -selectDlg\t вывести диалог выбора конфигурации\n \t\t Vestacor CSP\n",
    11: "  -KC\t\t уровень KC Vestacor CSP\n",
    12: "  -Lang\t\t язык Vestacor CSP\n",
}

# Pieces shown whatever the options, and those that follow -csp and -ucsp.
HELP_ALWAYS = (1, 2, 3, 4, 5, 6, 7)
HELP_CSP_ONLY = (8, 10, 11, 12)
HELP_UCSP_ONLY = (9,)


def help_text(csp=False, ucsp=False):
    """The help text after -csp (csp) and -ucsp (ucsp) were seen left of the token that asked
    for it."""
    numbers = list(HELP_ALWAYS)
    if csp:
        numbers.append(8)
    if ucsp:
        numbers.append(9)
    if csp:
        numbers.extend((10, 11, 12))
    return "".join(HELP_PIECES[n] for n in numbers)
