#pragma once
// The module as an in-process COM server: its lock count, its one creatable
// class (the control) with the cached class factory, its registry scripts
// and type library, and the state the COM exports share.

#include <atomic>
#include <map>
#include <mutex>
#include <string>

#include <com/comptr.h>
#include <com/registrar.h>
#include <com/typelib.h>

namespace PB {
namespace ActiveX {

class CPageBridgeWinModule {
public:
    static const int kModuleScript = 101;   // the module's AppID
    static const int kControlScript = 103;  // the control and the browser integration

    static CPageBridgeWinModule& instance();

    LONG Lock() { return ++m_lockCount; }
    LONG Unlock() { return --m_lockCount; }
    LONG GetLockCount() const { return m_lockCount; }

    // The class factory of the control (made once and kept) asked for riid;
    // CLASS_E_CLASSNOTAVAILABLE for any other class.
    HRESULT getClassObject(REFCLSID clsid, REFIID riid, void** object);

    // The replacements every script is applied with: Module (the path with
    // its quotes doubled), Module_Raw and APPID.
    void addCommonReplacements(com::Registrar& registrar) const;
    // Applies one of the module's scripts with the common replacements and
    // those of the script (the control's LIBID and THREADING for 103).
    HRESULT applyScript(int id, bool doRegister) const;

    // Registers (or removes) the control's script and the type library.
    HRESULT registerServer();
    HRESULT unregisterServer();

    HMODULE moduleHandle() const;
    const std::string& modulePath() const;

    // Registration writes the classes of the current user instead of the machine's.
    std::atomic<bool> perUser{false};
    // Logging started and the platform recorded (first class-object request).
    std::atomic<bool> frameworkInitialised{false};

private:
    CPageBridgeWinModule() = default;
    HRESULT typeLibrary(com::ComPtr<ITypeLib>* lib) const;

    std::atomic<LONG> m_lockCount{0};
    std::mutex m_factoryMutex;
    com::ComPtr<IClassFactory> m_factory;
};

// Holds the module while an object of it lives.
class ModuleLock {
public:
    ModuleLock() { CPageBridgeWinModule::instance().Lock(); }
    ~ModuleLock() { CPageBridgeWinModule::instance().Unlock(); }
    ModuleLock(const ModuleLock&) = delete;
    ModuleLock& operator=(const ModuleLock&) = delete;
};

}  // namespace ActiveX
}  // namespace PB
