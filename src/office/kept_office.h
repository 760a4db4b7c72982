#pragma once
// A headless LibreOffice of the program's own, kept running and spoken to over UNO: a
// conversion then takes tens of milliseconds instead of an office start. It starts in the
// background, ends with its owner (and with the program when that is killed) and never holds
// a caller up: when it is not ready, has died or does not answer in time, convert() says so
// and the caller converts another way. Its UNO side is a module loaded on its own thread;
// when that does not load, the office is never started.
#include <QString>
#include <memory>

namespace hb {

class KeptOffice {
  public:
    struct Settings {
        QString programDir;         // of the LibreOffice to run
        QString workDir;            // its profile goes into a slot of its own here
        int callTimeoutMs = 20000;  // the bound while no call has been timed yet
        int hungAfterMs = 3000;     // beyond the median time of its calls: hung
        int startTimeoutMs = 120000;
        // Converted once the office is ready, so that the officer's first save does not wait
        // for the office to load its filters.
        QString warmUpSource;
        QString warmUpFilter;
    };

    explicit KeptOffice(Settings settings);
    ~KeptOffice();  // ends the office
    KeptOffice(const KeptOffice&) = delete;
    KeptOffice& operator=(const KeptOffice&) = delete;

    // Starts the office in the background, unless one runs or is starting.
    void start();
    bool isReady() const;
    bool waitUntilReady(int timeoutMs) const;
    // The office's process (leader of its own process group); 0 when none runs.
    qint64 processId() const;
    QString profileDir() const;

    // Loads input and stores it as output through the filter: "MS Word 97",
    // "writer_pdf_Export", or "Text (encoded):UTF8" (name, then the filter's options).
    // Returns false with the reason when the office is not ready, the document does not
    // convert, the office dies, or it does not answer in time (then it is killed and *hung
    // is set).
    bool convert(const QString& input, const QString& filter, const QString& output, QString* error,
                 bool* hung = nullptr);

  private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace hb
