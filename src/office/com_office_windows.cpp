#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <QDir>
#include <QFileInfo>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "office/com_office.h"
#include "platform/registry_value_windows.h"

namespace hb {
namespace {

// Word's constants, as its type library names them.
constexpr int wdLineSpaceExactly = 4;
constexpr int wdBorderBottom = -3;
constexpr int wdBorderHorizontal = -6;  // between paragraphs of one bordered group
constexpr int wdLineStyleSingle = 1;
constexpr int wdDoNotSaveChanges = 0;
constexpr int wdFormatDocument97 = 0;
constexpr int wdFormatPDF = 17;

class Variant {
  public:
    Variant() { VariantInit(&v_); }
    Variant(bool b) : Variant() { v_.vt = VT_BOOL, v_.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE; }
    Variant(int i) : Variant() { v_.vt = VT_I4, v_.lVal = i; }
    Variant(double d) : Variant() { v_.vt = VT_R8, v_.dblVal = d; }
    Variant(const QString& s) : Variant() {
        v_.vt = VT_BSTR;
        v_.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(s.utf16()), s.size());
    }
    static Variant missing() {
        Variant m;
        m.v_.vt = VT_ERROR;
        m.v_.scode = DISP_E_PARAMNOTFOUND;
        return m;
    }
    Variant(const Variant& o) : Variant() { VariantCopy(&v_, const_cast<VARIANT*>(&o.v_)); }
    Variant& operator=(const Variant& o) {
        if (this != &o) VariantCopy(&v_, const_cast<VARIANT*>(&o.v_));
        return *this;
    }
    ~Variant() { VariantClear(&v_); }
    VARIANT* get() { return &v_; }
    const VARIANT& raw() const { return v_; }

  private:
    VARIANT v_;
};

// One IDispatch reference; a null one makes every call fail without a word to the server.
class Dispatch {
  public:
    Dispatch() = default;
    explicit Dispatch(IDispatch* p) : p_(p) {}  // takes the reference
    Dispatch(const Dispatch& o) : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    Dispatch& operator=(Dispatch o) {
        std::swap(p_, o.p_);
        return *this;
    }
    ~Dispatch() {
        if (p_) p_->Release();
    }
    explicit operator bool() const { return p_ != nullptr; }

    // A property read or method call whose result is an object; null on failure.
    Dispatch object(const wchar_t* name, std::vector<Variant> args, QString* error) const {
        Variant result;
        if (!invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, &result, error)) return {};
        VARIANT& r = *result.get();
        if (r.vt != VT_DISPATCH || !r.pdispVal) {
            *error = QStringLiteral("%1 没有返回对象").arg(QString::fromWCharArray(name));
            return {};
        }
        r.pdispVal->AddRef();
        return Dispatch(r.pdispVal);
    }
    bool call(const wchar_t* name, std::vector<Variant> args, QString* error) const {
        Variant result;
        return invoke(name, DISPATCH_METHOD, args, &result, error);
    }
    bool put(const wchar_t* name, Variant value, QString* error) const {
        std::vector<Variant> args{std::move(value)};
        return invoke(name, DISPATCH_PROPERTYPUT, args, nullptr, error);
    }

  private:
    bool invoke(const wchar_t* name, WORD flags, std::vector<Variant>& args, Variant* result,
                QString* error) const {
        const QString what = QString::fromWCharArray(name);
        if (!p_) {
            *error = QStringLiteral("办公软件没有启动（%1）").arg(what);
            return false;
        }
        DISPID id = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        HRESULT hr = p_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr)) return fail(what, hr, nullptr, error);
        // IDispatch takes the arguments last first.
        std::vector<VARIANT> reversed;
        for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(it->raw());
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        DISPID put = DISPID_PROPERTYPUT;
        if (flags & DISPATCH_PROPERTYPUT) params.rgdispidNamedArgs = &put, params.cNamedArgs = 1;
        EXCEPINFO info{};
        hr = p_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                        result ? result->get() : nullptr, &info, nullptr);
        if (SUCCEEDED(hr)) return true;
        return fail(what, hr, &info, error);
    }
    static bool fail(const QString& what, HRESULT hr, EXCEPINFO* info, QString* error) {
        QString why;
        if (info && info->bstrDescription)
            why =
                QString::fromWCharArray(info->bstrDescription, SysStringLen(info->bstrDescription));
        if (info) {
            SysFreeString(info->bstrSource);
            SysFreeString(info->bstrDescription);
            SysFreeString(info->bstrHelpFile);
        }
        if (why.isEmpty())
            why = QStringLiteral("错误 0x%1").arg(quint32(hr), 8, 16, QLatin1Char('0'));
        *error = QStringLiteral("办公软件的 %1 失败：%2").arg(what, why);
        return false;
    }

    IDispatch* p_ = nullptr;
};

// The office resolves a relative name against its own folder, not ours.
QString nativeAbsolute(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

Dispatch createObject(const QString& progId, QString* error) {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(progId.toStdWString().c_str(), &clsid))) {
        *error = QStringLiteral("没有安装 %1").arg(progId);
        return {};
    }
    IDispatch* p = nullptr;
    const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch,
                                        reinterpret_cast<void**>(&p));
    if (FAILED(hr)) {
        *error = QStringLiteral("无法启动 %1：错误 0x%2")
                     .arg(progId)
                     .arg(quint32(hr), 8, 16, QLatin1Char('0'));
        return {};
    }
    return Dispatch(p);
}

// The one thread that holds and calls the automation objects.
class ComThread {
  public:
    ComThread() : thread_([this] { loop(); }) {}
    ~ComThread() {
        {
            std::lock_guard lock(m_);
            stop_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    void run(const std::function<void()>& work) {
        if (std::this_thread::get_id() == thread_.get_id()) return work();
        bool done = false;
        std::unique_lock lock(m_);
        jobs_.push_back([&] {
            work();
            std::lock_guard l(m_);
            done = true;
            cv_.notify_all();
        });
        cv_.notify_all();
        cv_.wait(lock, [&] { return done; });
    }

  private:
    void loop() {
        // The multithreaded apartment has no window: a thread idling between jobs leaves no
        // broadcast message unanswered. Word and WPS answer from their own processes anyway.
        const HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        std::unique_lock lock(m_);
        for (;;) {
            cv_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
            if (jobs_.empty()) break;
            auto job = std::move(jobs_.front());
            jobs_.pop_front();
            lock.unlock();
            job();
            lock.lock();
        }
        lock.unlock();
        if (SUCCEEDED(init)) CoUninitialize();
    }

    std::mutex m_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> jobs_;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace

ComSuite wordSuite() {
    return {QStringLiteral("Word.Application"), QStringLiteral("Excel.Application")};
}

ComSuite wpsSuite() {
    return {QStringLiteral("KWPS.Application"), QStringLiteral("KET.Application")};
}

QString wordProgramDirectory() {
    const QString key =
        QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Winword.exe");
    // A 32-bit Word writes its entry in the 32-bit view.
    for (REGSAM view : {REGSAM(KEY_WOW64_64KEY), REGSAM(KEY_WOW64_32KEY)}) {
        const QString path =
            readRegistryString(HKEY_LOCAL_MACHINE, key, QStringLiteral("Path"), view);
        if (path.contains(QLatin1String("Office"))) return path;
    }
    return {};
}

QString registeredServerDirectory(const QString& progId) {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(progId.toStdWString().c_str(), &clsid))) return {};
    wchar_t text[64];
    StringFromGUID2(clsid, text, 64);
    const QString base = QStringLiteral("CLSID\\") + QString::fromWCharArray(text);
    for (const char* kind : {"\\LocalServer32", "\\InprocServer32"}) {
        QString server = readRegistryString(HKEY_CLASSES_ROOT, base + QLatin1String(kind), {}, 0);
        if (server.isEmpty()) continue;
        // "C:\...\wps.exe" /automation, or unquoted without arguments.
        if (server.startsWith(QLatin1Char('"')))
            server = server.mid(1).section(QLatin1Char('"'), 0, 0);
        else if (!QFileInfo::exists(server))
            server = server.section(QLatin1Char(' '), 0, 0);
        return QDir::toNativeSeparators(QFileInfo(server).absolutePath());
    }
    // Registered without a server path of its own: the ProgID is all there is to show.
    return progId;
}

struct ComOfficeSuite::Impl {
    ComThread com;
    ComSuite suite = wordSuite();
    Dispatch app, documents, document, selection;
    Dispatch excel, workbooks;
    QString error;

    // References are dropped in the apartment that took them.
    void releaseAll() { document = documents = selection = app = workbooks = excel = Dispatch(); }
    // Keeps why the last failing call failed; the work goes on, as callers expect.
    void note(bool ok, const QString& why) {
        if (!ok) error = why;
    }
    // One step on the COM thread; a failure is kept for lastError.
    bool attempt(const std::function<bool(QString* why)>& step) {
        bool ok = false;
        com.run([&] {
            QString why;
            ok = step(&why);
            note(ok, why);
        });
        return ok;
    }
    void selectionSet(const wchar_t* part, const wchar_t* name, Variant value) {
        QString why;
        Dispatch target = part ? selection.object(part, {}, &why) : selection;
        note(target && target.put(name, value, &why), why);
    }
};

ComOfficeSuite::ComOfficeSuite() : d_(std::make_unique<Impl>()) {}

ComOfficeSuite::~ComOfficeSuite() {
    d_->com.run([&] { d_->releaseAll(); });
}

QString ComOfficeSuite::programDirectory() {
    QString dir;
    d_->com.run([&] {
        dir = wordProgramDirectory();
        if (!dir.isEmpty()) {
            d_->suite = wordSuite();
            return;
        }
        dir = registeredServerDirectory(wpsSuite().writer);
        d_->suite = dir.isEmpty() ? wordSuite() : wpsSuite();
    });
    return dir;
}

void ComOfficeSuite::create() {
    d_->attempt([&](QString* why) {
        d_->document = d_->documents = d_->selection = Dispatch();
        d_->app = createObject(d_->suite.writer, why);
        return bool(d_->app);
    });
}

void ComOfficeSuite::attach() {
    d_->attempt([&](QString* why) {
        d_->documents = d_->app.object(L"Documents", {}, why);
        return bool(d_->documents);
    });
}

bool ComOfficeSuite::open(const QString& path) {
    return d_->attempt([&](QString* why) {
        d_->document = d_->documents.object(L"Open", {nativeAbsolute(path)}, why);
        if (d_->document) d_->selection = d_->app.object(L"Selection", {}, why);
        return d_->document && d_->selection;
    });
}

void ComOfficeSuite::setVisible(bool visible) {
    d_->attempt([&](QString* why) { return d_->app.put(L"Visible", visible, why); });
}

// Word names a print job by its document.
void ComOfficeSuite::setTitle(const QString&) {}

void ComOfficeSuite::type(const QString& text) {
    d_->attempt([&](QString* why) { return d_->selection.call(L"TypeText", {text}, why); });
}

void ComOfficeSuite::setBold(bool on) {
    d_->com.run([&] { d_->selectionSet(L"Font", L"Bold", on ? 1 : 0); });
}

void ComOfficeSuite::setSize(int points) {
    d_->com.run([&] { d_->selectionSet(L"Font", L"Size", points); });
}

void ComOfficeSuite::setUnderline(bool on) {
    d_->com.run([&] { d_->selectionSet(L"Font", L"Underline", on ? 1 : 0); });
}

void ComOfficeSuite::setAlignment(Alignment alignment) {
    d_->com.run([&] {
        d_->selectionSet(L"ParagraphFormat", L"Alignment", alignment == Alignment::Centre ? 1 : 0);
    });
}

void ComOfficeSuite::setLineHeight(double points) {
    d_->com.run([&] {
        d_->selectionSet(L"ParagraphFormat", L"LineSpacingRule", wdLineSpaceExactly);
        d_->selectionSet(L"ParagraphFormat", L"LineSpacing", points);
    });
}

void ComOfficeSuite::setRuled(bool on) {
    d_->com.run([&] {
        QString why;
        const Dispatch format = d_->selection.object(L"ParagraphFormat", {}, &why);
        // Word joins neighbours with the same bottom border into one box ruled only at its
        // foot; the rule between them gives each line its own.
        for (int which : {wdBorderBottom, wdBorderHorizontal}) {
            const Dispatch border = format ? format.object(L"Borders", {which}, &why) : Dispatch();
            d_->note(border && border.put(L"LineStyle", on ? wdLineStyleSingle : 0, &why), why);
        }
    });
}

bool ComOfficeSuite::print() {
    return d_->attempt([&](QString* why) {
        // Not in the background: the job is spooled when PrintOut returns, so closing the
        // document and quitting right after cannot cancel it.
        const Variant m = Variant::missing();
        return d_->document.call(
            L"PrintOut",
            {false, false, 0, QString(), QStringLiteral("1"), QStringLiteral("1"), 0, 1, QString(),
             0, false, false, m, m, 1, 1, 11907, 16839},
            why);
    });
}

bool ComOfficeSuite::saveAs(const QString& path) {
    return d_->attempt([&](QString* why) {
        const bool pdf =
            QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0;
        return d_->document.call(
            L"SaveAs", {nativeAbsolute(path), pdf ? wdFormatPDF : wdFormatDocument97}, why);
    });
}

void ComOfficeSuite::close() {
    d_->com.run([&] {
        // A hidden Word asked whether to save would wait for an answer nobody can give.
        QString why;
        if (d_->document) d_->note(d_->document.call(L"Close", {wdDoNotSaveChanges}, &why), why);
        d_->document = d_->selection = Dispatch();
    });
}

void ComOfficeSuite::quit() {
    d_->com.run([&] {
        QString why;
        if (d_->app) d_->note(d_->app.call(L"Quit", {wdDoNotSaveChanges}, &why), why);
        d_->document = d_->documents = d_->selection = d_->app = Dispatch();
    });
}

void ComOfficeSuite::releaseDocuments() {
    d_->com.run([&] { d_->document = d_->documents = d_->selection = Dispatch(); });
}

void ComOfficeSuite::releaseApplication() {
    d_->com.run([&] { d_->app = Dispatch(); });
}

void ComOfficeSuite::spreadsheetCreate() {
    d_->attempt([&](QString* why) {
        d_->workbooks = Dispatch();
        d_->excel = createObject(d_->suite.spreadsheet, why);
        return bool(d_->excel);
    });
}

void ComOfficeSuite::spreadsheetAttach() {
    d_->attempt([&](QString* why) {
        d_->workbooks = d_->excel.object(L"Workbooks", {}, why);
        return bool(d_->workbooks);
    });
}

bool ComOfficeSuite::spreadsheetOpen(const QString& path) {
    return d_->attempt(
        [&](QString* why) { return d_->workbooks.call(L"Open", {nativeAbsolute(path)}, why); });
}

void ComOfficeSuite::spreadsheetShow() {
    d_->attempt([&](QString* why) { return d_->excel.put(L"Visible", true, why); });
}

QString ComOfficeSuite::lastError() const {
    return d_->error;
}

}  // namespace hb
