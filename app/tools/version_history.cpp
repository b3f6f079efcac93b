#include "version_history.h"

namespace {

struct Version {
    const char* number;
    std::vector<const char*> english;  // empty: the version has no entry in English
    std::vector<const char*> russian;
};

// Newest first.
const std::vector<Version>& History() {
    static const std::vector<Version> history = {
        {"2.16",
         {"* modified run as Administrator", "* improved data transfer unit",
          "+ added a single-loaded cycle mode", "* minor fixes"},
         {"* доработан запуск с правами Администратора", "* усовершенствован модуль передачи данных",
          "+ добавлен режим однократной загрузки буферов для циклического режима "
          "(Single-loaded.cycle.mode.txt)",
          "* исправлены незначительные ошибки"}},
        {"2.15",
         {"+ Windows x64 compatible", "* data transfer module fix", "* FPGA configurations update",
          "* minor fixes"},
         {"+ добавлена совместимость с 64-разрядными средами исполнения",
          "* модернизация модуля передачи данных", "* обновление конфигураций ПЛИС",
          "* незначительные изменения"}},
        {"2.14",
         {"* Master mode modified for clock above 160 MHz", "* minor fixes"},
         {"* доработан режим Master для тактовых выше 160МГц", "* незначительные изменения"}},
        {"2.13",
         {"+ modulation 8QAM-PD added", "* I/Q coordinates load from file", "+ logging mode added",
          "* minor fixes"},
         {"+ добавлена модуляция 8QAM-PD", "* загрузка координат I/Q из файла",
          "+ добавлен режим протоколирования работы", "* незначительные изменения"}},
        {"2.12",
         {"+ added Manchester code", "+ added Viterbi 1/2I IQ code",
          "+ added OQPSK signal simulation on max clock frequencies",
          "+ an ability to preserve simulation after application exit (TxDisableOnExit = 0)", "* bug fixes"},
         {"+ формирование сигналов с Манчестерским кодом",
          "+ формирование сигналов с ПУ кодом НСК 1/2 с независимым кодированием каналов I и Q",
          "+ введена поддержка формирования сигналов ФМ4С на максимальных скоростях",
          "+ возможность продолжения передачи имитационных данных после закрытия программы (TxDisableOnExit "
          "= 0)",
          "* незначительные изменения"}},
        {"2.11", {"* extended command line parameters"}, {"* расширены параметры командной строки"}},
        {"2.10",
         {"* extended carrier low limit to 800MHz"},
         {"* расширена нижняя граница несущей частоты до 800МГц"}},
        {"2.09",
         {"* added 8QAM-DS mode", "* cosmetic changes"},
         {"+ добавлен режим КАМ8-DS", "* незначительные изменения интерфейса"}},
        {"2.08", {"* small fixes"}, {"* незначительные изменения"}},
        {"2.07",
         {"* modified work with configurations and sets",
          "  Ctrl + \"x\" : enable/disable configuration remove",
          "* added ability to set the carrier with higher accuracy",
          "+ added the measurement of PCB and LCA temperature", "* cosmetic changes"},
         {"* модернизирована работа с конфигурациями и наборами конфигураций ",
          "  Ctrl + \"x\" : разрешить/запретить удаление конфигураций",
          "* добавлена возможность установки несущей частоты с большей точностью",
          "+ добавлено измерение температуры платы и ПЛИС", "* незначительные изменения интерфейса"}},
        {"2.06.1", {}, {"* доработан интерфейс приложения"}},
        {"2.06", {"* added translation of new fields"}, {"* добавлен перевод новых полей (англ.)"}},
        {"2.05",
         {"* modified algorithm for the validation of input fields"},
         {"* изменен алгоритм проверки корректности данных полей ввода"}},
        {"2.04",
         {"* fixed \"Sine\" and \"Sweep\" modes algorithm"},
         {"* откорректирован алгоритм режимов \"Синусоидальная помеха\" и \"Шаговая перестройка несущей "
          "частоты\""}},
        {"2.03", {"* application interface fix"}, {"* доработан и откорректирован интерфейс приложения"}},
        {"2.02",
         {"* cosmetic interface fixes", "+ added English version of the interface"},
         {"* модернизирован интерфейс приложения",
          "+ добавлена возможность выбора анлийской версии интерфейса"}},
        {"2.01",
         {"+ choose the order of bits and bytes in the \"bitstream\" is available for all versions of the "
          "modules"},
         {"+ доступна опция перестановки бит и байт в режиме \"Битовый поток\" для всех версий модулей"}},
        {"2.0",
         {"+ added selecting a device from the command line ", "+ added support for modules with version 2",
          "+ added read/write of the DAC adjustment coefficient for modules with version 2",
          "+ added the order of bits and bytes in the \"bitstream\"",
          "+ RAM-bit mode is extended to 2 MB for modules with version 2",
          "* firmware, driver, library update"},
         {"+ добавлен выбор устройства с командной строки",
          "+ добавлена поддержка модулей имитации версии 2 ",
          "+ добавлено считывание и запись коэффициента подстройки ЦАП для модулей версии 2",
          "+ добавлена опция перестановки бит и байт в режиме \"Битовый поток\"",
          "+ для модулей версии 2 режим RAM-бит увеличен до 2МБ",
          "* обновлены файлы конфигурации ПЛИС, драйвера, бибилиотеки"}},
    };
    return history;
}

}  // namespace

std::vector<std::string> VersionHistoryLines(int lang) {
    std::vector<std::string> lines;
    if (lang != 0 && lang != 1) return lines;
    for (const Version& version : History()) {
        const auto& entries = lang == 0 ? version.english : version.russian;
        if (entries.empty()) continue;
        if (!lines.empty()) lines.emplace_back();
        lines.push_back(std::string(lang == 0 ? "Version " : "Версия ") + version.number + ":");
        lines.insert(lines.end(), entries.begin(), entries.end());
    }
    return lines;
}
