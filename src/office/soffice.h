#pragma once
// LibreOffice as a converter: where it is installed, and headless runs that never touch the
// officer's own profile or an open LibreOffice window.
#include <QString>
#include <QStringList>

namespace hb {

// The program directory of an installed LibreOffice with Writer: HENGBI_SOFFICE (the soffice
// program or its directory; when set, nothing else is tried), else soffice on PATH,
// /usr/lib/libreoffice/program, /opt/libreoffice*/program newest first. Empty when none.
QString findOfficeProgramDir();
// The same search over given places, for tests.
QString findOfficeProgramDir(const QString& overridePath, const QStringList& candidates);

// Seeds a private profile: no first-start checks. False when it cannot be written.
bool seedOfficeProfile(const QString& profileDir, const QString& programDir);

// An office without windows, dialogs or recovery, on a private profile.
QStringList headlessArguments(const QString& profileDir);

// Where the office stores input converted to extension in outDir, as --convert-to names it.
QString convertedPath(const QString& input, const QString& extension, const QString& outDir);

// Where LibreOffice makes the socket of a named pipe; it stays when the office is killed.
QString officePipePath(const QString& pipeName);
// A job folder of this program under workDir ("job", "run"), for QTemporaryDir: the
// program's id in its name tells whose it is.
QString jobFolderTemplate(const QString& workDir, const QString& kind);
// What programs killed before they could clean up left: job folders under workDir, which
// hold records' text, and their offices' sockets.
void removeLeftoversOfEndedPrograms(const QString& workDir);
// This program's own job folders, when a signal ends it.
void removeOwnJobFolders(const QString& workDir);

class SofficeRunner {
  public:
    // workDir holds the private profile and the job folders.
    SofficeRunner(QString programDir, QString workDir, int timeoutMs);

    // Converts input into outDir with the filter ("doc:MS Word 97", "pdf:writer_pdf_Export").
    // Returns the output file, or empty with the reason in *error.
    QString convert(const QString& input, const QString& filter, const QString& extension,
                    const QString& outDir, QString* error);

    // "7.4" from `soffice --version`, empty when it cannot be told.
    static QString version(const QString& programDir);

  private:
    QString programDir_;
    QString workDir_;
    int timeoutMs_;
};

// Runs a program with a timeout in its own process group (killed whole on timeout).
struct RunResult {
    bool started = false;
    bool timedOut = false;
    int exitCode = -1;
    QByteArray output;  // stdout and stderr
};
RunResult runProgram(const QString& program, const QStringList& arguments, int timeoutMs,
                     const QStringList& extraEnvironment = {});

}  // namespace hb
