#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <memory>

class QSaveFile;

namespace hb {

// A file the program reads whole: a template is at most 70 values of 10,239 bytes; an
// office's Set.ini with long phrase lists runs to about 11 MB.
inline constexpr qint64 kMaxTemplateBytes = 1 << 20;
inline constexpr qint64 kMaxSettingsBytes = qint64(64) << 20;

// The bytes of a regular file (through links) of at most maxBytes. A FIFO, a device or a
// folder is refused without waiting on it, a larger file without reading it; *error then
// holds the reason, with the size for a large file.
bool readRegularFile(const QString& path, qint64 maxBytes, QByteArray* bytes, QString* error);
// All bytes of a regular file; empty when it cannot be read.
QByteArray readFileBytes(const QString& path);
// GBK text of the file up to the first NUL.
QString readFileText(const QString& path);
// Why a file that is there cannot be read (a folder, a FIFO, no rights); empty when it reads,
// or when there is no file.
QString unreadableReason(const QString& path);

// A file written piece by piece (a recording, a download). The old file stays as it was
// until commit() has seen every byte on disk, the last buffered ones included. A symbolic
// link at the path is replaced, never written through.
class StreamedFile {
  public:
    explicit StreamedFile(const QString& path);
    ~StreamedFile();  // without commit() nothing changes
    StreamedFile(const StreamedFile&) = delete;
    StreamedFile& operator=(const StreamedFile&) = delete;

    bool open();
    // False from the first failure on.
    bool write(QByteArrayView bytes);
    bool commit();
    // The reason of the failure, in Chinese; empty while all went well.
    QString error() const { return error_; }

  private:
    bool fail(const QString& fallback);

    QString path_;
    bool replacedLink_ = false;
    std::unique_ptr<QSaveFile> file_;
    QString error_;
};

// A whole file through StreamedFile. On failure, *error (when given) holds the reason.
bool writeFileBytes(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// A folder only the officer may open (names and ID numbers go into it); one that is
// already there is left as it is.
bool makePrivateDir(const QString& path);

// A name made from record fields or typed by the officer must stay a plain, visible file name
// that Windows accepts too: not empty, no leading ".", none of \ / : * ? " < > | and no control
// character. Returns the reason, naming the character, or empty.
QString unsafeFileNameReason(const QString& name);
// The same without the checks of the whole name: for a part of one.
QString unsafeCharacterReason(const QString& part);

// The longest name a file of ours may have, counted by fileNameLength(): the file systems
// take 255 (bytes on Linux, UTF-16 units on Windows), and a save writes beside the old file
// under the name with ".XXXXXX" added until the new one is complete.
constexpr int kMaxFileNameLength = 255 - 7;
int fileNameLength(const QString& name);

}  // namespace hb
