// An automation server standing in for Word, Excel and WPS: every object answers every name,
// each property read or method call gives a further object, and each call goes to the log
// named by HB_FAKE_OFFICE_LOG as one UTF-8 line, e.g. "Application.Selection.TypeText(问：…\r\n)".
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string utf8(const std::wstring& w) {
    std::string s(WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, 0, 0), 0);
    WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), s.data(), int(s.size()), 0, 0);
    return s;
}

void log(const std::wstring& line) {
    wchar_t path[MAX_PATH];
    if (!GetEnvironmentVariableW(L"HB_FAKE_OFFICE_LOG", path, MAX_PATH)) return;
    if (FILE* f = _wfopen(path, L"ab")) {
        std::fputs((utf8(line) + "\n").c_str(), f);
        std::fclose(f);
    }
}

std::wstring text(const VARIANT& v) {
    VARIANT s;
    VariantInit(&s);
    if (v.vt == VT_ERROR) return L"-";
    if (FAILED(VariantChangeType(&s, const_cast<VARIANT*>(&v), VARIANT_ALPHABOOL, VT_BSTR)))
        return L"?";
    std::wstring out;
    for (UINT i = 0; i < SysStringLen(s.bstrVal); ++i)  // one line per call
        out += s.bstrVal[i] == L'\r'   ? L"\\r"
               : s.bstrVal[i] == L'\n' ? L"\\n"
                                       : std::wstring(1, s.bstrVal[i]);
    VariantClear(&s);
    return out;
}

class Object : public IDispatch {
  public:
    explicit Object(std::wstring path) : path_(std::move(path)) {}
    virtual ~Object() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid != IID_IUnknown && iid != IID_IDispatch) return *out = nullptr, E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG n = --refs_;
        if (!n) delete this;
        return n;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return *n = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT n, LCID,
                                            DISPID* ids) override {
        for (UINT i = 0; i < n; ++i) {
            names_.push_back(names[i]);
            ids[i] = DISPID(names_.size());
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        if (id < 1 || size_t(id) > names_.size()) return DISP_E_MEMBERNOTFOUND;
        const std::wstring member = path_ + L"." + names_[id - 1];
        std::wstring args;
        for (UINT i = params->cArgs; i-- > 0;) args += text(params->rgvarg[i]) + (i ? L", " : L"");
        if (flags & DISPATCH_PROPERTYPUT) {
            log(member + L"=" + args);
            return S_OK;
        }
        log(member + L"(" + args + L")");
        if (result) {
            std::wstring child = member;
            if (!args.empty()) child += L"(" + args + L")";
            // A document is a document whichever call gave it.
            if (names_[id - 1] == L"Open") child = L"Document";
            result->vt = VT_DISPATCH;
            result->pdispVal = new Object(child);
        }
        return S_OK;
    }

  private:
    ULONG refs_ = 1;  // called in one apartment only
    std::wstring path_;
    std::vector<std::wstring> names_;
};

class Factory : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid != IID_IUnknown && iid != IID_IClassFactory) return *out = nullptr, E_NOINTERFACE;
        *out = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID iid, void** out) override {
        wchar_t clsid[64];
        StringFromGUID2(clsid_, clsid, 64);
        log(std::wstring(L"new ") + clsid);
        Object* app = new Object(L"Application");
        const HRESULT hr = app->QueryInterface(iid, out);
        app->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
    CLSID clsid_{};
};

Factory factory;

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    factory.clsid_ = clsid;
    return factory.QueryInterface(iid, out);
}
