#include "hw/messages.h"

#include <array>
#include <utility>

TMessageList MessageList;

namespace {

// Index order; the two tables stay parallel: entry i means the same message in both.
constexpr std::array<const char*, kMessageCount> kEnglish = {
    "Command line parametr must be from 0 to 10.",                     // 0
    "Command line parametr must be a number.",                         // 1
    "In one of the fields do not enter a value.",                      // 2
    "This function is only available for bitstream.",                  // 3
    "Error.",                                                          // 4
    "Device not found.",                                               // 5
    "Can not initialize the device.",                                  // 6
    "Error writing to the synthesizer.",                               // 7
    "File ",                                                           // 8
    " not found.",                                                     // 9
    "No signal DONE.",                                                 // 10
    "FPGA not reset.",                                                 // 11
    "FPGA not load.",                                                  // 12
    "bitstream file ",                                                 // 13
    "Polyphase filter file ",                                          // 14
    "Filter file ",                                                    // 15
    "Error AD9786",                                                    // 16
    "Frequency reference error.",                                      // 17
    "Frequency is too low",                                            // 18
    "I2C not ready.",                                                  // 19
    "I2C not answer",                                                  // 20
    "Sensor not answer ACK<>0",                                        // 21
    "(THWOutput) Failed to open event: ",                              // 22
    "(THWOutput_L) Failed to open event: ",                            // 23
    "(TReadThread) Failed to open event \"Read_Ev\"",                  // 24
    "In this field should be entered only numeric values.",            // 25
    "In this field should be entered only hexadecimal (HEX) values.",  // 26
    "The field is empty.",                                             // 27
    "Value for the field above the maximum : 0x",                      // 28
    "Value for the field below the minimum : 0x",                      // 29
    "Entered an invalid value. Value will be set by default.",         // 30
    "Value for the field above the maximum : ",                        // 31
    ". Value will be set by default.",                                 // 32
    "Value for the field below the minimum : ",                        // 33
    "Do you want to delete the set?",                                  // 34
    "Do you want to delete the configuration?",                        // 35
    "Clock ",                                                          // 36
    " MHz is higher than Fs/2. Digital filter is disabled.",           // 37
    "No privileges granted to run the application.",                   // 38
    "Correct work is not guaranteed.",                                 // 39
    "Invalid configuration name.",                                     // 40
};

// Entry 24 says "could not be created" where the English one says "could not be opened"; both are
// shown as they stand.
constexpr std::array<const char*, kMessageCount> kRussian = {
    "Параметр командной строки должен быть от 0 до 10.",                               // 0
    "Параметр командной строки должен быть числом.",                                   // 1
    "В одном из полей не введено значение",                                            // 2
    "Данная функция доступна только для битового потока.",                             // 3
    "Ошибка!",                                                                         // 4
    "Не удалось найти ни одного устройства.",                                          // 5
    "Не удалось инициализировать устройство.",                                         // 6
    "Ошибка записи в синтезатор.",                                                     // 7
    "Файл ",                                                                           // 8
    " не найден.",                                                                     // 9
    "Нет сигнала DONE.",                                                               // 10
    "ПЛИС не сбросилась.",                                                             // 11
    "ПЛИС не загрузилась.",                                                            // 12
    "Файл битового потока ",                                                           // 13
    "Файл полифазного фильтра ",                                                       // 14
    "Файл фильтра ",                                                                   // 15
    "Ошибка AD9786",                                                                   // 16
    "Ошибка задания частоты",                                                          // 17
    "Частота слишком низкая",                                                          // 18
    "I2C не готов",                                                                    // 19
    "I2C не ответил",                                                                  // 20
    "Сенсор не ответил ACK<>0",                                                        // 21
    "(THWOutput) Не удалось открыть событие: ",                                        // 22
    "(THWOutput_L) Не удалось открыть событие: ",                                      // 23
    "(TReadThread) Не удалось создать событие \"Read_Ev\"",                            // 24
    "В данном поле должны вводится только числовые значения.",                         // 25
    "В данном поле должны вводится только шестнадцатиричные(HEX) значения.",           // 26
    "В поле ничего не введено.",                                                       // 27
    "Введенное значение выше максимального для данного поля : 0x",                     // 28
    "Введенное значение ниже минимального для данного поля : 0x",                      // 29
    "В поле введено недопустимое значение. Будет установлено значение по умолчанию.",  // 30
    "Введенное значение выше максимального для данного поля : ",                       // 31
    ". Будет установлено значение по умолчанию.",                                      // 32
    "Введенное значение ниже минимального для данного поля : ",                        // 33
    "Удалить набор?",                                                                  // 34
    "Удалить конфигурацию?",                                                           // 35
    "Тактовая частота ",                                                               // 36
    " МГц выше чем Fs/2. Цифровой фильтр отключен.",                                   // 37
    "Недостаточно прав для запуска приложения.",                                       // 38
    "Корректное функционирование не гарантировано.",                                   // 39
    "Недопустимое имя конфигурации.",                                                  // 40
};

}  // namespace

std::string TMessageList::operator[](int index) const {
    std::lock_guard lock(mutex_);
    if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return {};
    return entries_[static_cast<std::size_t>(index)];
}

std::size_t TMessageList::Count() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

void TMessageList::Assign(std::vector<std::string> entries) {
    std::lock_guard lock(mutex_);
    entries_ = std::move(entries);
}

std::vector<std::string> WarningTexts(int lang) {
    if (lang != 0 && lang != 1) return {};
    const auto& table = lang == 0 ? kEnglish : kRussian;
    return std::vector<std::string>(table.begin(), table.end());
}

void CreateWarning(int lang) {
    MessageList.Assign(WarningTexts(lang));
}
