#include "record/template.h"

#include <QDir>
#include <QFile>

#include "app/inquiry_record.h"
#include "platform/context.h"
#include "platform/dialogs.h"
#include "platform/ini.h"

namespace hb {
namespace {
const QString kSection = QStringLiteral("set");
}

TemplateRead loadTemplate(InquiryRecord& record, const QString& path) {
    QFile file(path);
    const bool readable = file.open(QIODevice::ReadOnly);
    const IniFile ini(readable ? file.readAll() : QByteArray());
    // A file that is not a template still empties every field, as every key reads empty.
    for (int i = 0; i < kFieldCount; ++i)
        record.setText(static_cast<Field>(i), ini.value(kSection, fields()[i].key));
    if (!readable) return TemplateRead::Unreadable;
    return ini.hasSection(kSection) ? TemplateRead::Loaded : TemplateRead::NotATemplate;
}

bool writeTemplate(const InquiryRecord& record, const QString& path, QString* error) {
    IniFile ini = IniFile::load(path);
    for (int i = 0; i < kFieldCount; ++i)
        ini.setValue(kSection, fields()[i].key, record.text(static_cast<Field>(i)));
    return ini.save(path, error);
}

void openTemplateCommand(AppContext& ctx) {
    FileDialogSpec spec;
    spec.designName = QStringLiteral("通用对话框2");
    spec.mode = FileDialogSpec::Mode::Open;
    spec.filter = QStringLiteral("*.ini 笔录模板文件|*.ini");
    spec.defaultSuffix = QStringLiteral("ini");
    const QString path = ctx.dialogs->chooseFile(spec);
    if (path.isEmpty()) {
        ctx.dialogs->message(QStringLiteral(" 没有选择正确的笔录模板 *.ini文件，模板文件保存在 <") +
                                 QDir::toNativeSeparators(ctx.paths.blDir() + QLatin1Char('/')) +
                                 QStringLiteral("> 目录中。"),
                             QStringLiteral("提示："));
        return;
    }
    ctx.record->setHidden(Hidden::templatePath, path);
    loadTemplate(*ctx.record, path);
}

}  // namespace hb
