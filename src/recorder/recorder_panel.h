#pragma once
// The recorder panel: record, pause, continue, stop and save, play and stop playback, with
// the elapsed time of the recording driven by a one-second timer.
#include <QGroupBox>
#include <memory>

#include "recorder/audio_devices.h"

class QLabel;
class QPushButton;
class QSlider;
class QTimer;

namespace hb {

struct AppContext;
class Recorder;

class RecorderPanel : public QGroupBox {
    Q_OBJECT
  public:
    // Devices, dialogs and the record are taken from ctx when a command runs.
    RecorderPanel(AppContext& ctx, QWidget* parent);
    ~RecorderPanel() override;

    void record();
    void pause();
    void resume();
    void stopAndSave();
    void play();
    void stopPlayback();
    // One second of the timer 时钟1.
    void tick();

    QTimer* timer() const { return timer_; }
    // Null until the first recording started.
    Recorder* recorder() const { return recorder_.get(); }

  private:
    void status(const char* text);
    void showStopped();
    void deviceLost(CaptureFault fault);

    AppContext& ctx_;
    std::unique_ptr<Recorder> recorder_;
    QSlider* slider_;
    QLabel* elapsed_;
    QPushButton* record_;
    QPushButton* pause_;
    QPushButton* resume_;
    QPushButton* save_;
    QPushButton* play_;
    QPushButton* stopPlay_;
    QTimer* timer_;
    int hours_ = 0, minutes_ = 0, seconds_ = 0;
    QString lastSavePath_;
};

}  // namespace hb
