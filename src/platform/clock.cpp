#include "platform/clock.h"

#include <QThread>

namespace hb {

void RealPause::pause(int milliseconds) {
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

}  // namespace hb
