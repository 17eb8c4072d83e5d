#pragma once
// The plug-in object: one per plug-in instance on a page. It configures the
// crypto library when the instance becomes ready and answers the library's
// callbacks (passwords, PINs, devices, key errors) with modal dialogs, makes
// the API object the page scripts, and ends the library at shutdown. It is
// windowed and ignores window and mouse events.

#include <memory>
#include <string>

#include "PluginCore/PluginCore.h"
#include "PluginCore/PluginEvent.h"

class TDialog;

namespace PB {
class PluginWindow;
}

class Velon : public PB::PluginCore {
public:
    Velon();
    ~Velon() override;

    bool HandleEvent(PB::PluginEvent* event, PB::PluginEventSource* source) override;
    // Configures the library for the process and registers the callbacks.
    // Throws when the output format cannot be set.
    void onPluginReady() override;
    // Ends this instance's use of the library.
    void shutdown() override;
    PB::JSAPIPtr createJSAPI() override;
    bool isWindowless() override { return false; }

    virtual bool onMouseDown(PB::MouseDownEvent* event, PB::PluginWindow* window);
    virtual bool onMouseUp(PB::MouseUpEvent* event, PB::PluginWindow* window);
    virtual bool onMouseMove(PB::MouseMoveEvent* event, PB::PluginWindow* window);
    virtual bool onWindowAttached(PB::AttachedEvent* event, PB::PluginWindow* window);
    virtual bool onWindowDetached(PB::DetachedEvent* event, PB::PluginWindow* window);

    // The module file's path, as the host adapter gave it.
    std::string modulePath() const { return m_filesystemPath; }

    // The window title of the plug-in's dialogs: title, " - ", the plug-in's name.
    static std::wstring set_title(std::string title);

    // The library's callbacks (VelonCallbacks.cpp). They keep no state and
    // never let an exception into the library.
    static int KeyPasswordCallback(char* buffer, int size);
    static int KeyNewPasswordCallback(char* buffer, int size);
    static int PsePasswordCallback(char* buffer, int size);
    static int TokenPINCallback(char* buffer, int size, int attempt, const char* tokenName);
    static int PrivateKeyErrorCallback(int error);
    static int PseErrorCallback(int error);
    static int DeviceRequestCallback(const char* device, int attempt);
    // The new-password dialog's close hook: true lets it close.
    static bool check_password_handle(TDialog* dialog);
    // The password-strength rule: at least 6 characters with an upper-case
    // and a lower-case letter, a digit and another character.
    static bool check_pass(int length, std::wstring password);

private:
    // Whether this instance's PKCS7Init succeeded and is still to be undone:
    // the library counts its users, and an instance must give back only what
    // it took.
    bool library_started = false;
};
