#include "document/batch.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

#include "document/composer.h"
#include "document/libreoffice.h"
#include "platform/context.h"
#include "platform/shell.h"
#include "record/inquiry_record.h"
#include "record/template.h"
#include "resources/resources.h"

namespace hb {

int runComposeCommand(const QStringList& arguments) {
    QTextStream err(stderr);
    auto fail = [&err](int code, QString why) {
        why.replace(QLatin1Char('\n'), QLatin1Char(' '));
        err << "hengbi compose: " << why.trimmed() << Qt::endl;
        return code;
    };
    QString templateFile;
    QString out;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--out") && i + 1 < arguments.size())
            out = arguments[++i];
        else if (a.startsWith(QLatin1String("--out=")))
            out = a.mid(6);
        else if (templateFile.isEmpty() && !a.startsWith(QLatin1String("--")))
            templateFile = a;
        else
            return fail(
                2, QStringLiteral("usage: hengbi compose TEMPLATE.ini --out FILE.doc|FILE.pdf"));
    }
    if (templateFile.isEmpty() || out.isEmpty())
        return fail(2,
                    QStringLiteral("usage: hengbi compose TEMPLATE.ini --out FILE.doc|FILE.pdf"));
    const QString suffix = QFileInfo(out).suffix().toLower();
    if (suffix != QLatin1String("doc") && suffix != QLatin1String("pdf"))
        return fail(2, QStringLiteral("%1: the output must end in .doc or .pdf").arg(out));

    AppContext ctx;
    ctx.paths = Paths::fromEnvironment(QCoreApplication::applicationDirPath());
    if (ctx.paths.seedProgramDir) seedProgramDir(ctx.paths.programDir, ctx.paths.defaultsDir);
    MemoryRecord record;
    DesktopShell shell;
    LibreOfficeSuite office(&shell);
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
    if (!isOfficeInstalled(ctx))
        return fail(1, QStringLiteral(
                           "电 脑 没 有 安 装 WORD 办 公 软 件.（没有找到 LibreOffice Writer）"));
    if (record.text(Field::workUnit).isEmpty())
        return fail(1, QStringLiteral(" 笔录没有录入完成，工作单位等资料都没有添写. "));
    if (record.text(Field::endHour).isEmpty() || record.text(Field::endMinute).isEmpty())
        return fail(1, QStringLiteral(" 笔录结束时间没有添写！ "));
    const QString unsafe = unsafeStemMessage(record);
    if (!unsafe.isEmpty()) return fail(1, unsafe);

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
