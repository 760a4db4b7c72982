// UNO headers first: Qt's keyword macros must not reach them.
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/ustring.hxx>

#include <QFileInfo>
#include <QUrl>
#include <mutex>
#include <vector>

#include "office/office_bridge.h"

namespace hb {
namespace {

namespace uno = com::sun::star::uno;
namespace beans = com::sun::star::beans;
namespace frame = com::sun::star::frame;
namespace lang = com::sun::star::lang;
using rtl::OUString;

OUString toOu(const QString& s) {
    return OUString(reinterpret_cast<const sal_Unicode*>(s.utf16()), s.size());
}

QString fromOu(const OUString& s) {
    return QString(reinterpret_cast<const QChar*>(s.getStr()), s.getLength());
}

OUString fileUrl(const QString& path) {
    return toOu(
        QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded));
}

beans::PropertyValue property(const char* name, const uno::Any& value) {
    beans::PropertyValue p;
    p.Name = OUString::createFromAscii(name);
    p.Value = value;
    return p;
}

uno::Sequence<beans::PropertyValue> properties(const std::vector<beans::PropertyValue>& list) {
    return uno::Sequence<beans::PropertyValue>(list.data(), static_cast<sal_Int32>(list.size()));
}

class UnoBridge : public OfficeBridge {
  public:
    explicit UnoBridge(QString unoIni) : ini_(std::move(unoIni)) {}

    ~UnoBridge() override {
        disconnect();
        try {
            const uno::Reference<lang::XComponent> runtime(local_, uno::UNO_QUERY);
            if (runtime.is()) runtime->dispose();
        } catch (const uno::Exception&) {
        }
    }

    Result connect(const QString& pipeName, QString* why) override {
        try {
            if (!local_.is()) local_ = cppu::defaultBootstrap_InitialComponentContext(toOu(ini_));
            const uno::Reference<com::sun::star::bridge::XUnoUrlResolver> resolver =
                com::sun::star::bridge::UnoUrlResolver::create(local_);
            const OUString url = toOu(
                QStringLiteral("uno:pipe,name=%1;urp;StarOffice.ComponentContext").arg(pipeName));
            const uno::Reference<uno::XComponentContext> remote(resolver->resolve(url),
                                                                uno::UNO_QUERY_THROW);
            const uno::Reference<frame::XDesktop2> desktop = frame::Desktop::create(remote);
            std::lock_guard lock(m_);
            desktop_ = desktop;
            return Result::Done;
        } catch (const com::sun::star::connection::NoConnectException&) {
            return Result::NotYet;
        } catch (const uno::Exception& e) {
            *why = fromOu(e.Message);
            return Result::Failed;
        }
    }

    Result convert(const QString& input, const QString& filter, const QString& output,
                   QString* why) override {
        uno::Reference<frame::XDesktop2> desktop;
        {
            std::lock_guard lock(m_);
            desktop = desktop_;
        }
        if (!desktop.is()) return Result::Lost;
        try {
            // A document the officer picked runs no macros and fetches no links.
            const uno::Sequence<beans::PropertyValue> load = properties({
                property("Hidden", uno::Any(true)), property("ReadOnly", uno::Any(true)),
                property("MacroExecutionMode", uno::Any(sal_Int16(0))),  // NEVER_EXECUTE
                property("UpdateDocMode", uno::Any(sal_Int16(0))),       // NO_UPDATE
            });
            const uno::Reference<lang::XComponent> doc = desktop->loadComponentFromURL(
                fileUrl(input), OUString::createFromAscii("_blank"), 0, load);
            if (!doc.is()) {
                *why = QStringLiteral("LibreOffice 无法打开 %1").arg(input);
                return Result::Failed;
            }
            const qsizetype colon = filter.indexOf(QLatin1Char(':'));
            std::vector<beans::PropertyValue> store = {
                property("FilterName", uno::Any(toOu(filter.left(colon)))),
                property("Overwrite", uno::Any(true)),
            };
            if (colon >= 0)
                store.push_back(property("FilterOptions", uno::Any(toOu(filter.mid(colon + 1)))));
            try {
                uno::Reference<frame::XStorable>(doc, uno::UNO_QUERY_THROW)
                    ->storeToURL(fileUrl(output), properties(store));
            } catch (const lang::DisposedException&) {
                throw;
            } catch (const uno::Exception& e) {
                *why = fromOu(e.Message);
            }
            const uno::Reference<com::sun::star::util::XCloseable> closeable(doc, uno::UNO_QUERY);
            if (closeable.is())
                closeable->close(true);
            else
                doc->dispose();
        } catch (const lang::DisposedException&) {
            return Result::Lost;
        } catch (const uno::Exception& e) {
            if (why->isEmpty()) *why = fromOu(e.Message);
        }
        return why->isEmpty() ? Result::Done : Result::Failed;
    }

    void disconnect() override {
        std::lock_guard lock(m_);
        desktop_.clear();
    }

  private:
    QString ini_;
    uno::Reference<uno::XComponentContext> local_;
    std::mutex m_;
    uno::Reference<frame::XDesktop2> desktop_;
};

}  // namespace
}  // namespace hb

extern "C" __attribute__((visibility("default"))) hb::OfficeBridge* hengbiCreateOfficeBridge(
    const QString& unoIni) {
    return new hb::UnoBridge(unoIni);
}
