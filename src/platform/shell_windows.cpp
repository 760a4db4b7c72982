#include <shlobj.h>
#include <windows.h>
#include <QDir>
#include <QFileInfo>

#include "platform/shell.h"

namespace hb {
namespace {

const wchar_t* wide(const QString& text) {
    return reinterpret_cast<const wchar_t*>(text.utf16());
}

// COM for the calling thread for as long as it lives; a thread that has it already keeps it.
class ComScope {
  public:
    ComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() {
        if (ok_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    bool ok_;
};

template <typename T>
struct Released {
    T* p = nullptr;
    ~Released() {
        if (p) p->Release();
    }
};

}  // namespace

// Through the shell, as a command typed into Run: a bare name such as WINWORD.EXE is found
// through its App Paths registration, which starting a process directly ignores.
bool DesktopShell::startDetached(const QString& program, const QStringList& arguments) {
    QStringList quoted;
    for (const QString& a : arguments)
        quoted << (a.contains(QLatin1Char(' ')) ? QLatin1Char('"') + a + QLatin1Char('"') : a);
    const QString file = QDir::toNativeSeparators(program), parameters = quoted.join(' ');
    return reinterpret_cast<INT_PTR>(ShellExecuteW(
               nullptr, L"open", wide(file), parameters.isEmpty() ? nullptr : wide(parameters),
               nullptr, SW_SHOWNORMAL)) > 32;
}

bool DesktopShell::openWebAddress(const QString& address) {
    // Above 32 is success, by the function's old contract.
    return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", wide(address), nullptr,
                                                   nullptr, SW_SHOWNORMAL)) > 32;
}

bool writeDesktopLauncher(const QString& desktopDir, const QString& executablePath) {
    if (desktopDir.isEmpty() || !QDir(desktopDir).exists()) return false;
    const ComScope com;
    Released<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link.p))))
        return false;
    const QString program = QDir::toNativeSeparators(executablePath);
    const QString folder = QDir::toNativeSeparators(QFileInfo(executablePath).absolutePath());
    link.p->SetPath(wide(program));
    link.p->SetWorkingDirectory(wide(folder));
    link.p->SetDescription(L"劳动保障监察询问笔录");
    Released<IPersistFile> file;
    if (FAILED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p))))
        return false;
    const QString path = QDir::toNativeSeparators(desktopDir + QStringLiteral("/衡笔.lnk"));
    return SUCCEEDED(file.p->Save(wide(path), TRUE));
}

}  // namespace hb
