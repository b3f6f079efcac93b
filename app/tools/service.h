// The service window: board identity, temperatures, streaming counters, logging options, and raw
// register access on its Registers tab.
//
// General tab. While the window is shown it refreshes once a second: the two temperatures, the
// interrupts and bytes of the current streamed run ("#,#" with the regional thousands separator), how
// many times the file has been played through (passes) and how often the board overtook the DMA ring
// (overruns), and the FPGA image and the post-filter file the board holds (the last ones loaded). A run
// from the board's RAM shows " - " in the counter fields, greyed out.
//
// Registers tab, hidden until the fifth Shift+Left in the window (then until the program ends). An
// index names a 32-bit register of the board's register window (never a byte offset); index and value
// are hexadecimal. The index and value fields take only hexadecimal digit keys and show them in upper
// case. An access is refused with the box "Incorrect parameters", without touching the board, when a
// text is not hexadecimal (a text put there other than by typing) or the index lies outside the
// register window; a refused tick of a repeated access also ends the repetition.
#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>

#include "ui_service.h"

struct TStreamCounters;

// The box of a refused register access, and the captions a refused repetition leaves on its button
// (the same in both languages).
inline constexpr const char* kIncorrectParameters = "Incorrect parameters";
inline constexpr const char* kStartReading = "Start reading";
inline constexpr const char* kStartWriting = "Start writing";

// Interval of a repetition whose interval text is not a whole number above 0, in ms.
inline constexpr int kFallbackInterval = 100;

class TfmService : public QWidget {
    Q_OBJECT

 public:
    explicit TfmService(QWidget* parent = nullptr);
    ~TfmService() override;

    // On for a source played from the board's RAM: the streaming counters do not apply then.
    void RAMModeView(bool En);
    // The counters the streaming engine writes (nullptr: none).
    void SetStreamCounters(const TStreamCounters* counters);

    // Event operations (the window's signals run them).
    void FormShow();
    void FormClose();
    void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void Timer1Timer();
    void chbDebugLogClick();  // both logging check boxes
    void btnRdClick();
    void btnWrClick();
    void chbRdTmrClick();
    void chbWrTmrClick();
    void tmrRdTimer();
    void tmrWrTimer();
    void btnCloseClick();

    // The read and write buttons show the entry of their caption arrays for their state: [2] while a
    // repetition runs, [1] with the repeat switch on, else [0]. For the language switch, after it has
    // filled the arrays.
    void ShowButtonCaptions();

    // The interval a repetition takes from its interval text, in ms.
    static int RepeatInterval(const QString& text);

    Ui::fmService ui;
    QTimer Timer1;  // refresh of the General tab, 1000 ms
    QTimer tmrWr;   // repeated write
    QTimer tmrRd;   // repeated read

    std::int32_t RegsVsblCnt = 0;  // Shift+Left presses seen since the window was created
    bool RAMModeViewEn = false;
    // Captions of the write and the read button, filled by the language switch: [0] single access,
    // [1] repeated access idle, [2] repeated access running.
    std::array<QString, 3> arrBWRCaptions;
    std::array<QString, 3> arrBRDCaptions;

 protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

 private:
    // Reads the register and appends its "HEX : " and "BIN : " lines to mReadReg.
    void AppendRead(std::uint32_t index);
    // Writes the register named by the index field with the value field; false when refused.
    bool WriteFromFields();
    // A repeated access ends after a refused tick.
    void EndRepetition(QTimer& timer, QPushButton* button, QCheckBox* repeat, QLineEdit* interval,
                       const char* caption);
    void ShowCounters();
    void ShowLoadedFiles();

    const TStreamCounters* counters_ = nullptr;
};
