// The service window: board identity, temperatures, streaming counters, logging options, and raw
// register access on its Registers tab.
#pragma once

#include <QString>
#include <QWidget>
#include <array>

struct TStreamCounters;

class TfmService : public QWidget {
    Q_OBJECT

 public:
    explicit TfmService(QWidget* parent = nullptr);

    // On for a source played from the board's RAM: the streaming counters do not apply then.
    void RAMModeView(bool En);
    // The counters the streaming engine writes (nullptr: none).
    void SetStreamCounters(const TStreamCounters* counters);

    bool RAMModeViewEn = false;
    // Captions of the write and the read button, filled by the language switch: [0] single access,
    // [1] repeated access idle, [2] repeated access running.
    std::array<QString, 3> arrBWRCaptions;
    std::array<QString, 3> arrBRDCaptions;

 private:
    const TStreamCounters* counters_ = nullptr;
};
