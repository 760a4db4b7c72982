#include "record/template.h"

#include <QDir>
#include <QFileInfo>

#include "platform/context.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "record/inquiry_record.h"

namespace hb {
namespace {
const QString kSection = QStringLiteral("set");
}

TemplateRead loadTemplate(InquiryRecord& record, const QString& path, QString* why) {
    QByteArray bytes;
    QString error;
    if (!readRegularFile(path, kMaxTemplateBytes, &bytes, &error)) {
        if (why) *why = error.isEmpty() ? QStringLiteral("文件不能读取") : error;
        return TemplateRead::Unreadable;
    }
    const IniFile ini(bytes);
    // Every key would read empty and wipe what the officer typed: leave the record alone.
    if (!ini.hasSection(kSection)) {
        if (why) *why = QStringLiteral("这不是笔录模板文件（没有 [set] 节）");
        return TemplateRead::NotATemplate;
    }
    for (int i = 0; i < kFieldCount; ++i)
        record.setText(static_cast<Field>(i), ini.value(kSection, fields()[i].key));
    return TemplateRead::Loaded;
}

bool writeTemplate(const InquiryRecord& record, const QString& path, QString* error) {
    // The lines of a file a link points to are none of this record's.
    IniFile ini = QFileInfo(path).isSymLink() ? IniFile() : IniFile::load(path);
    for (int i = 0; i < kFieldCount; ++i)
        ini.setValue(kSection, fields()[i].key, record.text(static_cast<Field>(i)));
    return ini.save(path, error);
}

void openTemplateCommand(AppContext& ctx) {
    FileDialogSpec request;
    request.designName = QStringLiteral("通用对话框2");
    request.mode = FileDialogSpec::Mode::Open;
    request.filter = QStringLiteral("*.ini 笔录模板文件|*.ini");
    request.defaultSuffix = QStringLiteral("ini");
    ctx.paths.offerIn(request);
    const QString path = ctx.dialogs->chooseFile(request);
    if (path.isEmpty()) {
        ctx.dialogs->message(QStringLiteral(" 没有选择正确的笔录模板 *.ini文件，模板文件保存在 <") +
                                 QDir::toNativeSeparators(ctx.paths.blDir() + QLatin1Char('/')) +
                                 QStringLiteral("> 目录中。"),
                             QStringLiteral("提示："));
        return;
    }
    QString why;
    if (loadTemplate(*ctx.record, path, &why) != TemplateRead::Loaded) {
        ctx.dialogs->message(QStringLiteral("无法打开笔录模板 %1\n%2。\n笔录内容没有改变。")
                                 .arg(QDir::toNativeSeparators(path), why),
                             QStringLiteral("提示："));
        return;
    }
    ctx.record->setHidden(Hidden::templatePath, path);
}

}  // namespace hb
