#include "office/libreoffice.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include "office/kept_office.h"
#include "office/office_components.h"
#include "office/print_queue.h"
#include "office/soffice.h"
#include "platform/background.h"
#include "platform/files.h"
#include "platform/gbk.h"
#include "platform/shell.h"
#include "platform/termination.h"
#include "resources/resources.h"

namespace hb {

struct LibreOfficeSuite::Current {
    enum class Kind {
        Typed,     // the blank record document, typed into
        Text,      // a GBK text file, laid out on the blank page
        External,  // any other file, used as it is
    };
    QString path;
    Kind kind = Kind::External;
    DocumentModel model;
    QByteArray skeleton;
    QString savedAs;  // the file last written from the model, while it is unchanged
    QString title;
};

namespace {

struct Format {
    QString filter;
    QString extension;
};

// What --convert-to makes for a target name; other names get Word 97, as Word's own SaveAs.
Format formatFor(const QString& suffix) {
    if (suffix == QLatin1String("pdf")) return {QStringLiteral("pdf:writer_pdf_Export"), suffix};
    if (suffix == QLatin1String("docx")) return {QStringLiteral("docx:MS Word 2007 XML"), suffix};
    if (suffix == QLatin1String("odt")) return {QStringLiteral("odt:writer8"), suffix};
    if (suffix == QLatin1String("fodt"))
        return {QStringLiteral("fodt:OpenDocument Text Flat XML"), suffix};
    if (suffix == QLatin1String("rtf")) return {QStringLiteral("rtf:Rich Text Format"), suffix};
    return {QStringLiteral("doc:MS Word 97"), QStringLiteral("doc")};
}

QString lastLine(const QByteArray& output) {
    const QList<QByteArray> lines = output.trimmed().split('\n');
    return lines.isEmpty() ? QString() : QString::fromLocal8Bit(lines.back()).trimmed();
}

// A file of a job folder, gone with it: nothing to keep safe on disk, so no wait for the disk.
bool writeJobFile(const QString& path, const QByteArray& bytes, QString* why) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush())
        return true;
    *why = file.errorString();
    return false;
}

void removeOldShownFiles(const QString& dir) {
    const QDateTime limit = QDateTime::currentDateTime().addDays(-7);
    QDirIterator it(dir, QDir::Files);
    while (it.hasNext()) {
        it.next();
        if (it.fileInfo().lastModified() < limit) QFile::remove(it.filePath());
    }
}

}  // namespace

LibreOfficeSuite::LibreOfficeSuite(Shell* shell) : LibreOfficeSuite(shell, Settings{}) {}

LibreOfficeSuite::LibreOfficeSuite(Shell* shell, Settings settings)
    : shell_(shell), settings_(std::move(settings)) {
    if (settings_.workDir.isEmpty())
        settings_.workDir = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                            QStringLiteral("/hengbi/office");
    cleanup_ = addTerminationCleanup([dir = settings_.workDir] { removeOwnJobFolders(dir); });
}

LibreOfficeSuite::~LibreOfficeSuite() {
    removeTerminationCleanup(cleanup_);
}

void LibreOfficeSuite::removeLeftovers() {
    removeLeftoversOfEndedPrograms(settings_.workDir);
}

void LibreOfficeSuite::keepOfficeRunning() {
    removeLeftovers();
    installFontAlias();
    if (!kept_) {
        const QString dir = findOfficeProgramDir();
        if (dir.isEmpty()) return;
        KeptOffice::Settings kept;
        kept.programDir = dir;
        kept.workDir = settings_.workDir;
        kept.callTimeoutMs = settings_.keptTimeoutMs;
        // The blank record document: Writer, its Flat ODF reader and the Word 97 filter.
        const QString warmUp = settings_.workDir + QStringLiteral("/warm-up.fodt");
        if (QDir().mkpath(settings_.workDir) && writeFileBytes(warmUp, blankDocumentSource())) {
            kept.warmUpSource = warmUp;
            kept.warmUpFilter = QStringLiteral("MS Word 97");
        }
        kept_ = std::make_unique<KeptOffice>(kept);
    }
    kept_->start();
}

bool LibreOfficeSuite::fail(const QString& why) {
    error_ = why;
    return false;
}

QString LibreOfficeSuite::programDirectory() {
    return findOfficeProgramDir();
}

QString LibreOfficeSuite::officeDir() {
    const QString dir = findOfficeProgramDir();
    if (dir.isEmpty()) fail(QStringLiteral("没有找到安装了 Writer 的 LibreOffice"));
    return dir;
}

void LibreOfficeSuite::create() {
    // A new application holds no documents; whatever the old one held is out of reach.
    doc_.reset();
}

void LibreOfficeSuite::attach() {}

bool LibreOfficeSuite::open(const QString& path) {
    doc_.reset();
    const QFileInfo fi(path);
    QFile file(path);
    if (!fi.isFile() || !file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("无法打开文件 %1").arg(path));
    const QByteArray bytes = file.readAll();
    auto cur = std::make_unique<Current>();
    cur->path = fi.absoluteFilePath();
    const QString suffix = fi.suffix().toLower();
    if (bytes == shippedFile(QStringLiteral("document/Doc.doc"))) {
        cur->kind = Current::Kind::Typed;
        cur->skeleton = blankDocumentSource();
    } else if (suffix == QLatin1String("txt")) {
        cur->kind = Current::Kind::Text;
        cur->skeleton = blankDocumentSource();
        cur->model.type(fromGbk(bytes));
    }
    doc_ = std::move(cur);
    return true;
}

void LibreOfficeSuite::setVisible(bool visible) {
    // Hidden is how documents are composed and printed here anyway.
    if (!visible || !doc_) return;
    QString file = doc_->kind == Current::Kind::External ? doc_->path : doc_->savedAs;
    if (file.isEmpty()) {
        // The officer's LibreOffice gets a file of its own, kept after the call returns.
        const QString dir = settings_.workDir + QStringLiteral("/shown");
        QDir().mkpath(dir);
        removeOldShownFiles(dir);
        QTemporaryFile out(dir + QStringLiteral("/询问笔录-XXXXXX.fodt"));
        out.setAutoRemove(false);
        const QByteArray odf = doc_->model.toFlatOdf(doc_->skeleton);
        if (odf.isEmpty() || !out.open() || out.write(odf) != odf.size() || !out.flush()) {
            fail(QStringLiteral("无法写出要显示的文档 %1").arg(out.fileName()));
            return;
        }
        file = out.fileName();
    }
    const QString dir = officeDir();
    if (dir.isEmpty()) return;
    if (!shell_ || !shell_->startDetached(dir + QStringLiteral("/soffice"),
                                          {QStringLiteral("--writer"), file}))
        fail(QStringLiteral("无法启动 LibreOffice Writer"));
}

DocumentModel* LibreOfficeSuite::typing() {
    if (!doc_) {
        fail(QStringLiteral("没有打开的文档"));
        return nullptr;
    }
    if (doc_->kind != Current::Kind::Typed) {
        fail(QStringLiteral("只能在空白笔录文档中输入：%1").arg(doc_->path));
        return nullptr;
    }
    doc_->savedAs.clear();
    return &doc_->model;
}

const DocumentModel* LibreOfficeSuite::document() const {
    return doc_ && doc_->kind == Current::Kind::Typed ? &doc_->model : nullptr;
}

void LibreOfficeSuite::setTitle(const QString& title) {
    if (doc_) doc_->title = title;
}

void LibreOfficeSuite::type(const QString& text) {
    if (DocumentModel* m = typing()) m->type(text);
}

void LibreOfficeSuite::setBold(bool on) {
    if (DocumentModel* m = typing()) m->setBold(on);
}

void LibreOfficeSuite::setSize(int points) {
    if (DocumentModel* m = typing()) m->setSize(points);
}

void LibreOfficeSuite::setUnderline(bool on) {
    if (DocumentModel* m = typing()) m->setUnderline(on);
}

void LibreOfficeSuite::setAlignment(Alignment alignment) {
    if (DocumentModel* m = typing()) m->setAlignment(alignment);
}

void LibreOfficeSuite::setLineHeight(double points) {
    if (DocumentModel* m = typing()) m->setLineHeight(points);
}

void LibreOfficeSuite::setRuled(bool on) {
    if (DocumentModel* m = typing()) m->setRuled(on);
}

QString LibreOfficeSuite::writeSource(const QString& jobDir) {
    QString why;
    if (doc_->kind == Current::Kind::External) {
        // A copy under a plain name: a stale lock file beside the original can stop loading.
        const QString copy = jobDir + QStringLiteral("/document.") + QFileInfo(doc_->path).suffix();
        QFile original(doc_->path);
        if (!original.open(QIODevice::ReadOnly)) {
            fail(QStringLiteral("无法读取 %1").arg(doc_->path));
            return {};
        }
        if (!writeJobFile(copy, original.readAll(), &why)) {
            fail(QStringLiteral("无法写入 %1：%2").arg(copy, why));
            return {};
        }
        return copy;
    }
    const QByteArray odf = doc_->model.toFlatOdf(doc_->skeleton);
    if (odf.isEmpty()) {
        fail(QStringLiteral("空白笔录文档的格式无法识别"));
        return {};
    }
    const QString source = jobDir + QStringLiteral("/document.fodt");
    if (!writeJobFile(source, odf, &why)) {
        fail(QStringLiteral("无法写入 %1：%2").arg(source, why));
        return {};
    }
    return source;
}

QString LibreOfficeSuite::convertCurrent(const QString& jobDir, const QString& suffix) {
    const QString source = writeSource(jobDir);
    if (source.isEmpty()) return {};
    if (QFileInfo(source).suffix().toLower() == suffix) return source;
    const QString dir = officeDir();
    if (dir.isEmpty()) return {};
    // The office draws 宋体 as fontconfig has it, which needs the alias to hold its widths.
    installFontAlias();
    const Format format = formatFor(suffix);
    const QString outDir = jobDir + QStringLiteral("/out");
    QString why;
    if (kept_ && kept_->isReady() && QDir().mkpath(outDir)) {
        const QString out = convertedPath(source, format.extension, outDir);
        bool hung = false;
        if (kept_->convert(source, format.filter.section(QLatin1Char(':'), 1), out, &why, &hung))
            return out;
        if (hung) addBusyNote(QStringLiteral("（办公软件无响应，正在重试）"));
    }
    SofficeRunner runner(dir, settings_.workDir, settings_.timeoutMs);
    const QString out = runner.convert(source, format.filter, format.extension, outDir, &why);
    // A kept office that died or hung comes back for the next document.
    if (kept_) kept_->start();
    if (out.isEmpty()) fail(why);
    return out;
}

bool LibreOfficeSuite::print() {
    if (!doc_) return fail(QStringLiteral("没有打开的文档"));
    QDir().mkpath(settings_.workDir);
    QTemporaryDir job(jobFolderTemplate(settings_.workDir, QStringLiteral("job")));
    if (!job.isValid()) return fail(QStringLiteral("无法建立工作目录 %1").arg(settings_.workDir));
    const QString pdf = convertCurrent(job.path(), QStringLiteral("pdf"));
    if (pdf.isEmpty()) return false;

    // The queue shows the title: the record's own name, never the blank's.
    QString title = doc_->title;
    if (title.isEmpty())
        title = QFileInfo(doc_->savedAs.isEmpty() ? doc_->path : doc_->savedAs).completeBaseName();
    QStringList args = {QStringLiteral("-n"), QStringLiteral("1"), QStringLiteral("-t"), title};
    if (!settings_.printer.isEmpty()) args << QStringLiteral("-d") << settings_.printer;
    args << pdf;
    // lp hands the whole file to the spooler before it returns.
    const RunResult r = runProgram(settings_.printProgram, args, 60000);
    if (!r.started)
        return fail(QStringLiteral("无法启动打印程序 %1（CUPS）").arg(settings_.printProgram));
    if (r.timedOut || r.exitCode != 0)
        return fail(QStringLiteral("打印机没有接受打印任务：%1").arg(lastLine(r.output)));
    static const QRegularExpression requestId(QStringLiteral("request id is (\\S+)"));
    lastJob_ = requestId.match(QString::fromLocal8Bit(r.output)).captured(1);
    // Accepted is not printed: a paused printer keeps the job in its queue.
    const QString waiting =
        waitingJobReason(lastJob_.isEmpty() ? settings_.printer : lastJob_.section('-', 0, -2),
                         lastJob_.section('-', -1).toInt());
    if (!waiting.isEmpty()) return fail(waiting);
    return true;
}

bool LibreOfficeSuite::saveAs(const QString& path) {
    if (!doc_) return fail(QStringLiteral("没有打开的文档"));
    const QFileInfo target(path);
    const QString suffix = target.suffix().toLower();
    QByteArray bytes;
    if (doc_->kind != Current::Kind::External && suffix == QLatin1String("fodt")) {
        bytes = doc_->model.toFlatOdf(doc_->skeleton);
        if (bytes.isEmpty()) return fail(QStringLiteral("空白笔录文档的格式无法识别"));
    } else {
        QDir().mkpath(settings_.workDir);
        QTemporaryDir job(jobFolderTemplate(settings_.workDir, QStringLiteral("job")));
        if (!job.isValid())
            return fail(QStringLiteral("无法建立工作目录 %1").arg(settings_.workDir));
        const QString out = convertCurrent(job.path(), suffix);
        if (out.isEmpty()) return false;
        bytes = readFileBytes(out);
        if (bytes.isEmpty()) return fail(QStringLiteral("无法读取转换结果 %1").arg(out));
    }
    // The old file is replaced only once the new one is complete.
    QString why;
    if (!writeFileBytes(target.absoluteFilePath(), bytes, &why))
        return fail(QStringLiteral("无法写入 %1：%2").arg(target.absoluteFilePath(), why));
    if (doc_->kind != Current::Kind::External) doc_->savedAs = target.absoluteFilePath();
    return true;
}

void LibreOfficeSuite::close() {
    doc_.reset();
}

void LibreOfficeSuite::quit() {
    doc_.reset();
    sheetPath_.clear();
}

void LibreOfficeSuite::releaseDocuments() {
    doc_.reset();
}

void LibreOfficeSuite::releaseApplication() {}

void LibreOfficeSuite::spreadsheetCreate() {
    sheetPath_.clear();
}

void LibreOfficeSuite::spreadsheetAttach() {}

bool LibreOfficeSuite::spreadsheetOpen(const QString& path) {
    sheetPath_.clear();
    if (!QFileInfo(path).isFile()) return fail(QStringLiteral("无法打开文件 %1").arg(path));
    const QString dir = officeDir();
    if (dir.isEmpty()) return false;
    if (!hasSpreadsheet(dir)) return fail(missingSpreadsheetReason());
    sheetPath_ = QFileInfo(path).absoluteFilePath();
    return true;
}

void LibreOfficeSuite::spreadsheetShow() {
    if (sheetPath_.isEmpty()) return;
    const QString dir = officeDir();
    if (dir.isEmpty()) return;
    if (!shell_ || !shell_->startDetached(dir + QStringLiteral("/soffice"),
                                          {QStringLiteral("--calc"), sheetPath_}))
        fail(QStringLiteral("无法启动 LibreOffice Calc"));
}

}  // namespace hb
