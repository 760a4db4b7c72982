#include "document/batch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include "document/composer.h"
#include "office/office.h"
#include "platform/context.h"
#include "platform/shell.h"
#include "record/inquiry_record.h"
#include "record/template.h"
#include "resources/resources.h"

namespace hb {
namespace {

// Whether a template at path holds other fields than record; no file there differs in nothing.
bool differs(const InquiryRecord& record, const QString& path) {
    if (!QFileInfo::exists(path)) return false;
    MemoryRecord there;
    if (loadTemplate(there, path) != TemplateRead::Loaded) return true;
    for (int i = 0; i < kFieldCount; ++i)
        if (there.text(Field(i)) != record.text(Field(i))) return true;
    return false;
}

}  // namespace

int runComposeCommand(const QStringList& arguments,
                      const std::function<std::unique_ptr<OfficeSuite>(Shell&)>& makeOffice) {
    QTextStream err(stderr);
    auto fail = [&err](int code, QString why) {
        why.replace(QLatin1Char('\n'), QLatin1Char(' '));
        err << "hengbi compose: " << why.trimmed() << Qt::endl;
        return code;
    };
    const QString usage =
        QStringLiteral("用法：hengbi compose TEMPLATE.ini --out FILE.doc|FILE.pdf [--force]");
    QString templateFile;
    QString out;
    bool force = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--out") && i + 1 < arguments.size())
            out = arguments[++i];
        else if (a.startsWith(QLatin1String("--out=")))
            out = a.mid(6);
        else if (a == QLatin1String("--force"))
            force = true;
        else if (templateFile.isEmpty() && !a.startsWith(QLatin1String("--")))
            templateFile = a;
        else
            return fail(2, usage);
    }
    if (templateFile.isEmpty() || out.isEmpty()) return fail(2, usage);
    const QString suffix = QFileInfo(out).suffix().toLower();
    if (suffix != QLatin1String("doc") && suffix != QLatin1String("pdf"))
        return fail(2, QStringLiteral("%1：输出文件必须以 .doc 或 .pdf 结尾").arg(out));

    AppContext ctx;
    ctx.paths = Paths::fromEnvironment(QCoreApplication::applicationDirPath());
    if (ctx.paths.seedProgramDir) seedProgramDir(ctx.paths.programDir, ctx.paths.defaultsDir);
    MemoryRecord record;
    DesktopShell shell;
    const std::unique_ptr<OfficeSuite> suite = makeOffice(shell);
    OfficeSuite& office = *suite;
    ctx.record = &record;
    ctx.shell = &shell;
    ctx.office = &office;

    QString unread;
    switch (loadTemplate(record, templateFile, &unread)) {
        case TemplateRead::Unreadable:
            return fail(1, QStringLiteral("无法读取笔录模板 %1：%2").arg(templateFile, unread));
        case TemplateRead::NotATemplate:
            return fail(1, QStringLiteral("%1 不是笔录模板（没有 [set] 一节）").arg(templateFile));
        case TemplateRead::Loaded:
            break;
    }
#ifdef Q_OS_WIN
    const QString missing = QStringLiteral("Word 或 WPS Office");
#else
    const QString missing = QStringLiteral("LibreOffice Writer");
#endif
    if (!isOfficeInstalled(ctx))
        return fail(
            1, QStringLiteral("电 脑 没 有 安 装 WORD 办 公 软 件.（没有找到 %1）").arg(missing));
    if (record.text(Field::workUnit).isEmpty())
        return fail(1, QStringLiteral(" 笔录没有录入完成，工作单位等资料都没有添写. "));
    if (record.text(Field::endHour).isEmpty() || record.text(Field::endMinute).isEmpty())
        return fail(1, QStringLiteral(" 笔录结束时间没有添写！ "));
    const QString unsafe = unsafeStemMessage(record);
    if (!unsafe.isEmpty()) return fail(1, unsafe);
    // Composing rewrites BL/<stem>.ini; nobody is there to ask before another record's goes.
    const QString kept =
        ctx.paths.blDir() + QLatin1Char('/') + record.fileStem() + QStringLiteral(".ini");
    if (!force && differs(record, kept))
        return fail(
            1, QStringLiteral("程序目录的 BL 中已有同名的笔录模板 %1，内容与 %2 不同；"
                              "没有改动任何文件。要替换它，请加 --force。")
                   .arg(QDir::toNativeSeparators(kept), QDir::toNativeSeparators(templateFile)));

    const Composition c = composeRecordDocument(ctx);
    if (!c.documentReady) return fail(1, c.documentError);
    const QString target = QFileInfo(out).absoluteFilePath();
    const bool saved = office.saveAs(target);
    const QString why = office.lastError();
    office.close();
    office.quit();
    if (!saved) return fail(1, QStringLiteral("%1 没有保存：%2").arg(target, why));
    if (!c.templateError.isEmpty())
        return fail(1,
                    QStringLiteral("笔录模板没有保存：%1 %2").arg(c.templatePath, c.templateError));
    return 0;
}

}  // namespace hb
