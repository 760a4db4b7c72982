#pragma once
// Real servers for the network tests: /usr/bin/python3 modules on 127.0.0.1 at a free high
// port, stopped when the object goes.
#include <QProcess>
#include <QStringList>

#include "support/require.h"

namespace hb::test {

// True when /usr/bin/python3 exists and can import the module.
bool pythonHas(const QString& module);
// What python prints for the script and its arguments (paths as this program names them).
QByteArray runPython(const QString& script, const QStringList& arguments = {});
// A port on 127.0.0.1 that nothing listens on at the moment.
int freePort();

class LocalServer {
  public:
    LocalServer() = default;
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;
    ~LocalServer() { stop(); }

    // Runs python3 with the arguments, "{port}" standing for the port chosen, and waits
    // until the server accepts connections. On failure, why holds the server's output.
    bool start(const QStringList& arguments, QString* why = nullptr);
    void stop();
    int port() const { return port_; }

  private:
    QProcess process_;
    int port_ = 0;
    QString hostPid_;  // under Wine, which can neither watch nor end a host program
};

}  // namespace hb::test
