#include "office/soffice.h"

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QVersionNumber>
#include <algorithm>

#include "platform/files.h"

namespace hb {
namespace {

bool hasWriter(const QString& dir) {
    if (dir.isEmpty() || !QFileInfo(dir + QStringLiteral("/soffice")).isExecutable()) return false;
    return QFileInfo::exists(dir + QStringLiteral("/swriter")) ||
           QFileInfo::exists(dir + QStringLiteral("/libswlo.so"));
}

QString programDirOf(const QString& path) {
    const QFileInfo fi(path);
    if (fi.isDir()) return QDir::cleanPath(fi.absoluteFilePath());
    const QString real = fi.canonicalFilePath();
    return real.isEmpty() ? QString() : QFileInfo(real).absolutePath();
}

QString lastLine(const QByteArray& output) {
    const QList<QByteArray> lines = output.trimmed().split('\n');
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        const QString line = QString::fromLocal8Bit(lines[i]).trimmed();
        // The launcher's notice about Java says nothing about the document.
        if (!line.isEmpty() && !line.contains(QLatin1String("javaldx"))) return line;
    }
    return {};
}

// A profile that has "seen" this version skips the first-start checks (seconds each run).
// Faces are left to fontconfig, whose alias draws 宋体 in a real SimSun where there is one.
QString profileItems(const QString& version) {
    QString items = QStringLiteral(
        "<item oor:path=\"/org.openoffice.Setup/Office\"><prop oor:name=\"FirstRun\" "
        "oor:op=\"fuse\"><value>false</value></prop></item>\n");
    if (!version.isEmpty())
        items += QStringLiteral(
                     "<item oor:path=\"/org.openoffice.Setup/Product\"><prop "
                     "oor:name=\"ooSetupLastVersion\" oor:op=\"fuse\"><value>%1</value></prop>"
                     "</item>\n")
                     .arg(version);
    return items;
}

// A program of that id runs (or a process that took its id over).
bool running(pid_t pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno != ESRCH);
}

// Folders named by jobFolderTemplate: the id of the program that made them, or 0 for a name
// without one (older versions).
qint64 ownerOf(const QString& folderName) {
    const QStringList parts = folderName.split(QLatin1Char('-'));
    return parts.size() == 3 ? parts[1].toLongLong() : 0;
}

QStringList jobFolders(const QString& workDir) {
    return QDir(workDir).entryList({QStringLiteral("job-*"), QStringLiteral("run-*")},
                                   QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
}

}  // namespace

QString officePipePath(const QString& pipeName) {
    return QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(getuid()).arg(pipeName);
}

QString jobFolderTemplate(const QString& workDir, const QString& kind) {
    return QStringLiteral("%1/%2-%3-XXXXXX").arg(workDir, kind).arg(::getpid());
}

void removeLeftoversOfEndedPrograms(const QString& workDir) {
    // A folder without an owner's id is older than any run still converting in it.
    const QDateTime oldest = QDateTime::currentDateTime().addSecs(-3600);
    for (const QString& name : jobFolders(workDir)) {
        const QString path = workDir + QLatin1Char('/') + name;
        const qint64 owner = ownerOf(name);
        if (owner > 0 ? !running(pid_t(owner)) : QFileInfo(path).lastModified() < oldest)
            QDir(path).removeRecursively();
    }
    const QString prefix = QFileInfo(officePipePath(QStringLiteral("hengbi-"))).fileName();
    for (const QString& name :
         QDir(QStringLiteral("/tmp"))
             .entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::System)) {
        const pid_t owner = name.mid(prefix.size()).section(QLatin1Char('-'), 0, 0).toInt();
        if (owner > 0 && !running(owner)) QFile::remove(QStringLiteral("/tmp/") + name);
    }
}

void removeOwnJobFolders(const QString& workDir) {
    for (const QString& name : jobFolders(workDir))
        if (ownerOf(name) == ::getpid())
            QDir(workDir + QLatin1Char('/') + name).removeRecursively();
}

bool seedOfficeProfile(const QString& profileDir, const QString& programDir) {
    const QString xcu = profileDir + QStringLiteral("/user/registrymodifications.xcu");
    // A profile of an earlier version, which replaced 宋体 always, is made anew: nothing else
    // in it matters.
    if (QFileInfo::exists(xcu) && !readFileBytes(xcu).contains("Font/Substitution")) return true;
    if (!QDir().mkpath(profileDir + QStringLiteral("/user"))) return false;
    const QString text = QStringLiteral(
                             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
                             "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                             "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
                             "%1</oor:items>\n")
                             .arg(profileItems(SofficeRunner::version(programDir)));
    return writeFileBytes(xcu, text.toUtf8());
}

QStringList headlessArguments(const QString& profileDir) {
    return {
        QStringLiteral("--headless"),
        QStringLiteral("--invisible"),
        QStringLiteral("--nologo"),
        QStringLiteral("--norestore"),
        QStringLiteral("--nolockcheck"),
        QStringLiteral("--nodefault"),
        QStringLiteral("-env:UserInstallation=") +
            QUrl::fromLocalFile(profileDir).toString(QUrl::FullyEncoded),
    };
}

QString convertedPath(const QString& input, const QString& extension, const QString& outDir) {
    return outDir + QLatin1Char('/') + QFileInfo(input).completeBaseName() + QLatin1Char('.') +
           extension;
}

QString findOfficeProgramDir(const QString& overridePath, const QStringList& candidates) {
    if (!overridePath.isEmpty()) {
        const QString dir = programDirOf(overridePath);
        return hasWriter(dir) ? dir : QString();
    }
    for (const QString& candidate : candidates) {
        const QString dir = programDirOf(candidate);
        if (hasWriter(dir)) return dir;
    }
    return {};
}

QString findOfficeProgramDir() {
    QStringList candidates;
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (!onPath.isEmpty()) candidates << onPath;
    candidates << QStringLiteral("/usr/lib/libreoffice/program");
    QStringList opt =
        QDir(QStringLiteral("/opt"))
            .entryList({QStringLiteral("libreoffice*")}, QDir::Dirs | QDir::NoDotAndDotDot);
    auto versionOf = [](const QString& name) {
        return QVersionNumber::fromString(name.mid(int(sizeof("libreoffice") - 1)));
    };
    std::sort(opt.begin(), opt.end(),
              [&](const QString& a, const QString& b) { return versionOf(a) > versionOf(b); });
    for (const QString& name : opt) candidates << QStringLiteral("/opt/%1/program").arg(name);
    return findOfficeProgramDir(qEnvironmentVariable("HENGBI_SOFFICE"), candidates);
}

RunResult runProgram(const QString& program, const QStringList& arguments, int timeoutMs,
                     const QStringList& extraEnvironment) {
    RunResult result;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!extraEnvironment.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& pair : extraEnvironment) {
            const qsizetype eq = pair.indexOf(QLatin1Char('='));
            env.insert(pair.left(eq), pair.mid(eq + 1));
        }
        process.setProcessEnvironment(env);
    }
    // Its own process group, so that a timeout ends the launcher and the office it started;
    // it ends with this thread, which waits for it, or with the program when that is killed.
    process.setChildProcessModifier([] {
        ::setsid();
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    process.start(program, arguments);
    if (!process.waitForStarted(10000)) return result;
    result.started = true;
    if (!process.waitForFinished(timeoutMs)) {
        result.timedOut = true;
        ::kill(-static_cast<pid_t>(process.processId()), SIGKILL);
        process.waitForFinished(5000);
        result.output = process.readAll();
        return result;
    }
    result.output = process.readAll();
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

SofficeRunner::SofficeRunner(QString programDir, QString workDir, int timeoutMs)
    : programDir_(std::move(programDir)), workDir_(std::move(workDir)), timeoutMs_(timeoutMs) {}

QString SofficeRunner::version(const QString& programDir) {
    const RunResult r =
        runProgram(programDir + QStringLiteral("/soffice"), {QStringLiteral("--version")}, 30000);
    static const QRegularExpression number(QStringLiteral("\\b(\\d+\\.\\d+)\\."));
    const QRegularExpressionMatch m = number.match(QString::fromLocal8Bit(r.output));
    return m.hasMatch() ? m.captured(1) : QString();
}

QString SofficeRunner::convert(const QString& input, const QString& filter,
                               const QString& extension, const QString& outDir, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return QString();
    };
    if (programDir_.isEmpty()) return fail(QStringLiteral("没有找到 LibreOffice"));
    if (!QDir().mkpath(workDir_) || !QDir().mkpath(outDir))
        return fail(QStringLiteral("无法建立工作目录 %1").arg(workDir_));
    QTemporaryDir job(jobFolderTemplate(workDir_, QStringLiteral("run")));
    if (!job.isValid()) return fail(QStringLiteral("无法建立工作目录 %1").arg(workDir_));
    const QString tmp = job.filePath(QStringLiteral("tmp"));
    QDir().mkpath(tmp);

    // Two conversions must not share a profile: the second would be handed to the first.
    QLockFile lock(workDir_ + QStringLiteral("/profile.lock"));
    lock.setStaleLockTime(0);
    const QString profile = lock.tryLock(0) ? workDir_ + QStringLiteral("/profile")
                                            : job.filePath(QStringLiteral("profile"));
    if (!seedOfficeProfile(profile, programDir_))
        return fail(QStringLiteral("无法建立 LibreOffice 配置目录 %1").arg(profile));

    const QString output = convertedPath(input, extension, outDir);
    QFile::remove(output);
    const QStringList args =
        headlessArguments(profile) +
        QStringList{
            QStringLiteral("--convert-to"), filter, QStringLiteral("--outdir"), outDir, input,
        };
    const RunResult r = runProgram(programDir_ + QStringLiteral("/soffice"), args, timeoutMs_,
                                   {QStringLiteral("TMPDIR=") + tmp});
    if (!r.started) return fail(QStringLiteral("无法启动 %1/soffice").arg(programDir_));
    if (r.timedOut) {
        // The killed office leaves its profile marked as in use.
        QFile::remove(profile + QStringLiteral("/.lock"));
        QFile::remove(profile + QStringLiteral("/user/.lock"));
        return fail(QStringLiteral("LibreOffice 在 %1 秒内没有完成转换").arg(timeoutMs_ / 1000));
    }
    if (r.exitCode != 0)
        return fail(QStringLiteral("LibreOffice 转换失败（退出码 %1）%2")
                        .arg(r.exitCode)
                        .arg(lastLine(r.output)));
    if (QFileInfo(output).size() <= 0)
        return fail(QStringLiteral("LibreOffice 没有生成 %1 %2")
                        .arg(QFileInfo(output).fileName(), lastLine(r.output)));
    return output;
}

}  // namespace hb
