#pragma once
#include <QDateTime>

namespace hb {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock : public Clock {
  public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// The fixed waits of the save and print flows; tests use none.
class Pause {
  public:
    virtual ~Pause() = default;
    virtual void pause(int milliseconds) = 0;
};

class RealPause : public Pause {
  public:
    void pause(int milliseconds) override;
};

}  // namespace hb
