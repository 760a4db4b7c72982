#include "app/backends.h"

#include <QString>
#include <mutex>
#include <tuple>

#include "exchange/ftp_client.h"
#include "extras/http_client.h"
#include "platform/modules.h"
#include "recorder/audio_devices.h"

namespace hb {
namespace {

// The module's object behind the interface, made when first needed.
template <class Interface, class... Args>
class Loaded {
  public:
    using Factory = Interface* (*)(Args...);
    Loaded(const char* module, const char* factory, Args... args)
        : module_(module), factory_(factory), args_(args...) {}
    // Thread-safe: a transfer's thread loads the module while the window may cancel it.
    Interface* get() {
        std::call_once(loaded_, [this] {
            if (const auto make =
                    moduleFunction<Factory>(QLatin1String(module_), factory_, &error_))
                object_.reset(std::apply(make, args_));
        });
        return object_.get();
    }
    QString error() const {
        return QStringLiteral("无法载入模块 %1：%2").arg(QLatin1String(module_), error_);
    }

  private:
    const char* module_;
    const char* factory_;
    std::tuple<Args...> args_;
    std::once_flag loaded_;
    QString error_;
    std::unique_ptr<Interface> object_;
};

class ModuleFtpClient : public FtpClient {
  public:
    explicit ModuleFtpClient(int port) : real_("hengbi-network", "hengbiCreateFtpClient", port) {}
    bool connect(const QString& host, const QString& account, const QString& password) override {
        FtpClient* c = real_.get();
        return c && c->connect(host, account, password);
    }
    bool setCurrentDirectory(const QString& path) override {
        FtpClient* c = real_.get();
        return c && c->setCurrentDirectory(path);
    }
    bool putFile(const QString& localPath, const QString& remoteName) override {
        FtpClient* c = real_.get();
        return c && c->putFile(localPath, remoteName);
    }
    bool getFile(const QString& remoteName, const QString& localPath) override {
        FtpClient* c = real_.get();
        return c && c->getFile(remoteName, localPath);
    }
    QString lastError() const override {
        FtpClient* c = real_.get();
        return c ? c->lastError() : real_.error();
    }
    void cancel() override {
        if (FtpClient* c = real_.get()) c->cancel();
    }

  private:
    mutable Loaded<FtpClient, int> real_;  // the reason it did not load is its last error
};

class ModuleHttpClient : public HttpClient {
  public:
    ModuleHttpClient() : real_("hengbi-network", "hengbiCreateHttpClient") {}
    bool get(const QString& address, QByteArray* body, QString* error) override {
        if (HttpClient* c = real_.get()) return c->get(address, body, error);
        if (error) *error = real_.error();
        return false;
    }

  private:
    Loaded<HttpClient> real_;
};

class ModuleAudioDevices : public AudioDevices {
  public:
    ModuleAudioDevices() : real_("hengbi-audio", "hengbiCreateAudioDevices") {}
    std::unique_ptr<AudioInput> openInput(const AudioFormat& format, int bufferBytes,
                                          CaptureSink sink, CaptureLost lost) override {
        AudioDevices* d = real_.get();
        return d ? d->openInput(format, bufferBytes, std::move(sink), std::move(lost)) : nullptr;
    }
    bool play(const AudioFormat& format, const QByteArray& samples) override {
        AudioDevices* d = real_.get();
        return d && d->play(format, samples);
    }
    void stopPlayback() override {
        if (AudioDevices* d = real_.get()) d->stopPlayback();
    }

  private:
    Loaded<AudioDevices> real_;
};

}  // namespace

std::unique_ptr<FtpClient> makeFtpClient(int port) {
    return std::make_unique<ModuleFtpClient>(port);
}

std::unique_ptr<HttpClient> makeHttpClient() {
    return std::make_unique<ModuleHttpClient>();
}

std::unique_ptr<AudioDevices> makeAudioDevices() {
    return std::make_unique<ModuleAudioDevices>();
}

}  // namespace hb
