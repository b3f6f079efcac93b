#include "hw/messages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

bool isCyrillic(const std::string& text) {
    // Cyrillic letters U+0400-U+04FF begin with the UTF-8 lead bytes 0xD0-0xD3.
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0xD0 && static_cast<unsigned char>(c) <= 0xD3) return true;
    return false;
}

}  // namespace

TEST(WarningTexts, BothLanguagesHoldTheSameFortyOneMessages) {
    const auto english = WarningTexts(0);
    const auto russian = WarningTexts(1);
    ASSERT_EQ(english.size(), 41u);
    ASSERT_EQ(russian.size(), 41u);
    for (std::size_t i = 0; i < 41; ++i) {
        EXPECT_FALSE(english[i].empty()) << i;
        EXPECT_FALSE(isCyrillic(english[i])) << i << ": " << english[i];
        EXPECT_TRUE(isCyrillic(russian[i])) << i << ": " << russian[i];
        EXPECT_NE(english[i], russian[i]) << i;
    }
}

TEST(WarningTexts, EntriesKeepTheirExactWording) {
    const auto english = WarningTexts(0);
    const auto russian = WarningTexts(1);
    EXPECT_EQ(english[0], "Command line parametr must be from 0 to 10.");
    EXPECT_EQ(english[2], "In one of the fields do not enter a value.");
    EXPECT_EQ(russian[2], "В одном из полей не введено значение");  // without a full stop
    EXPECT_EQ(english[4], "Error.");
    EXPECT_EQ(russian[4], "Ошибка!");
    EXPECT_EQ(english[21], "Sensor not answer ACK<>0");
    EXPECT_EQ(english[24], "(TReadThread) Failed to open event \"Read_Ev\"");
    EXPECT_EQ(russian[24], "(TReadThread) Не удалось создать событие \"Read_Ev\"");
    EXPECT_EQ(english[26], "In this field should be entered only hexadecimal (HEX) values.");
    EXPECT_EQ(russian[26], "В данном поле должны вводится только шестнадцатиричные(HEX) значения.");
    EXPECT_EQ(english[28], "Value for the field above the maximum : 0x");
    EXPECT_EQ(russian[29], "Введенное значение ниже минимального для данного поля : 0x");
    EXPECT_EQ(russian[30], "В поле введено недопустимое значение. Будет установлено значение по умолчанию.");
    EXPECT_EQ(english[37], " MHz is higher than Fs/2. Digital filter is disabled.");
    EXPECT_EQ(russian[37], " МГц выше чем Fs/2. Цифровой фильтр отключен.");
    EXPECT_EQ(english[38], "No privileges granted to run the application.");
    EXPECT_EQ(russian[38], "Недостаточно прав для запуска приложения.");
    EXPECT_EQ(english[40], "Invalid configuration name.");
    EXPECT_EQ(russian[40], "Недопустимое имя конфигурации.");
}

TEST(WarningTexts, FragmentsKeepTheBlanksTheyAreJoinedWith) {
    for (const int lang : {0, 1}) {
        const auto texts = WarningTexts(lang);
        for (const std::size_t i : {8, 13, 14, 15, 22, 23, 31, 33, 36}) {
            EXPECT_EQ(texts[i].back(), ' ') << "entry " << i << " language " << lang;
            EXPECT_NE(texts[i][texts[i].size() - 2], ' ') << "entry " << i << " language " << lang;
        }
        for (const std::size_t i : {9, 37}) {
            EXPECT_EQ(texts[i].front(), ' ') << "entry " << i << " language " << lang;
            EXPECT_NE(texts[i][1], ' ') << "entry " << i << " language " << lang;
        }
        EXPECT_EQ(texts[32].substr(0, 2), ". ") << lang;
        for (const std::size_t i : {28, 29})
            EXPECT_EQ(texts[i].substr(texts[i].size() - 2), "0x") << "entry " << i << " language " << lang;
        // Every other entry is a whole sentence without outer blanks.
        for (std::size_t i = 0; i < texts.size(); ++i) {
            if (i == 8 || i == 9 || (i >= 13 && i <= 15) || i == 22 || i == 23 || i == 31 || i == 33 ||
                i == 36 || i == 37)
                continue;
            EXPECT_NE(texts[i].front(), ' ') << "entry " << i << " language " << lang;
            EXPECT_NE(texts[i].back(), ' ') << "entry " << i << " language " << lang;
        }
    }
}

TEST(CreateWarning, BuildsTheListInTheChosenLanguageAsAWhole) {
    CreateWarning(0);
    ASSERT_EQ(MessageList.Count(), 41u);
    EXPECT_EQ(MessageList[38], "No privileges granted to run the application.");
    EXPECT_EQ(MessageList[8] + "Lab.bin" + MessageList[9], "File Lab.bin not found.");

    CreateWarning(1);
    EXPECT_EQ(MessageList.Count(), 41u);  // replaced, not appended to
    EXPECT_EQ(MessageList[8] + "Lab.bin" + MessageList[9], "Файл Lab.bin не найден.");
    EXPECT_EQ(MessageList[22] + "qmbus" + std::to_string(3) + "evnt0",
              "(THWOutput) Не удалось открыть событие: qmbus3evnt0");

    CreateWarning(0);
    EXPECT_EQ(MessageList.Count(), 41u);
    EXPECT_EQ(MessageList[0], "Command line parametr must be from 0 to 10.");
}

TEST(CreateWarning, AnotherLanguageLeavesAnEmptyListThatAnswersEmptyTexts) {
    for (const int lang : {2, -1, 255}) {
        CreateWarning(1);
        CreateWarning(lang);
        EXPECT_EQ(MessageList.Count(), 0u) << lang;
        EXPECT_EQ(MessageList[0], "") << lang;
        EXPECT_EQ(MessageList[38], "") << lang;
        EXPECT_TRUE(WarningTexts(lang).empty()) << lang;
    }
    CreateWarning(0);
    EXPECT_EQ(MessageList[41], "");
    EXPECT_EQ(MessageList[-1], "");
    EXPECT_EQ(MessageList[40], "Invalid configuration name.");
}

TEST(CreateWarning, LookupsDuringALanguageSwitchSeeOneWholeList) {
    CreateWarning(0);
    std::atomic<bool> done{false};
    std::thread switcher([&] {
        for (int i = 0; i < 2000; ++i)
            CreateWarning(i % 2);
        done = true;
    });
    int lookups = 0;
    while (!done || lookups == 0) {
        const std::string text = MessageList[8];
        ASSERT_TRUE(text == "File " || text == "Файл ") << text;
        ++lookups;
    }
    switcher.join();
}
