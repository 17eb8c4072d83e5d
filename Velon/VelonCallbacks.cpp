// The crypto library's set-up for the process and the callbacks through
// which it asks the user for passwords, PINs and devices.
#include "Velon/Velon.h"

#include <dravik/dravik.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <string>

#include "ScriptingCore/exceptions.h"
#include "ScriptingCore/utf8_tools.h"
#include "Velon/ApiLog.h"
#include "Velon/SecretText.h"
#include "Velon/Configuration.h"
#include "Velon/VelonAPI.h"
#include "widgets/TConfirmDialog.h"
#include "widgets/TEnterPasswordDialog.h"
#include "widgets/TInfoDialog.h"
#include "widgets/TNewPasswordDialog.h"

namespace {

std::string message(const std::string& key)
{
    return Configuration::get_message(false, key);
}

std::wstring wide_message(const std::string& key)
{
    return PB::utf8_to_wstring(message(key));
}

// Texts that come from the library are shown as well as they can be: a name
// that is not valid UTF-8 is shown empty rather than failing the prompt.
std::wstring wide_or_empty(const std::string& utf8)
{
    try {
        return PB::utf8_to_wstring(utf8);
    } catch (const std::exception&) {
        return std::wstring();
    }
}

// The key file or container the library is opening, for the dialog text.
std::wstring key_file_name()
{
    const char* name = GetKeyFileNameForPassword();
    if (!name)
        return std::wstring();
    return wide_or_empty(VelonAPI::system_cp_to_utf8(name));
}

// Hands the password to the library in UTF-8, without a terminator. The
// dialogs' fields take no more bytes than the buffer holds; a password that
// still does not fit is refused rather than cut into another one.
int deliver(const std::wstring& password, char* buffer, int size, const char* function)
{
    std::string utf8 = PB::wstring_to_utf8(password);
    int length = -1;
    if (utf8.size() <= static_cast<std::size_t>(size)) {
        std::memcpy(buffer, utf8.data(), utf8.size());
        length = static_cast<int>(utf8.size());
    } else {
        VELON_WARN(function, "The password does not fit the library's buffer of " + std::to_string(size) + " bytes");
    }
    velon::wipe(utf8);
    return length;
}

// A callback runs inside a library call: nothing may leave it but its answer.
template <class Body>
int guarded(const char* function, int fallback, Body body)
{
    try {
        return body();
    } catch (const std::exception& e) {
        VELON_ERROR(function, std::string("Callback failed: ") + e.what());
    } catch (...) {
        VELON_ERROR(function, "Callback failed");
    }
    return fallback;
}

int ask_password(const char* function, const std::string& titleKey, const std::string& labelKey,
                 const std::wstring& text, char* buffer, int size)
{
    if (!buffer || size <= 0)
        return -1;
    TEnterPasswordDialog dialog;
    dialog.focusButton = 1;
    dialog.cancelText = wide_message("mes_cancel");
    dialog.maxLength = size;
    dialog.title = Velon::set_title(message(titleKey));
    dialog.labelText = wide_message(labelKey);
    dialog.text = text;
    dialog.showModal(0, 0, dialog.width, dialog.height, nullptr, dialog.title);
    if (dialog.result != 1)
        return -1;
    return deliver(dialog.password, buffer, size, function);
}

// Retry or cancel; 1 when the user retries.
int ask_retry(const std::wstring& title, const std::wstring& text)
{
    TConfirmDialog dialog;
    dialog.setButtonText(1, wide_message("mes_retry"));
    dialog.setButtonText(0, wide_message("mes_cancel"));
    dialog.setTitle(title);
    dialog.setText(text);
    dialog.showModal(0, 0, dialog.width, dialog.height, nullptr, dialog.title);
    return dialog.result == 1 ? 1 : 0;
}

int key_error(const char* function, int error, int handled, const std::string& textKey)
{
    VELON_TRACE(function, std::string(function) + "()");
    if (error != handled)
        return 0;
    return guarded(function, 0,
                   [&] { return ask_retry(Velon::set_title(message("err_00")), wide_message(textKey)); });
}

}  // namespace

void Velon::onPluginReady()
{
    if (!library_started && PKCS7Init(nullptr, 0) == 0)
        library_started = true;
    SetCertificateRequestFlags(6);
    SetInputCodePage(DRAVIK_CP_UTF8);
    SetOutputCodePage(DRAVIK_CP_UTF8);
    InsertCertificateToSign(1);
    InsertSigningTimeToSign(1);
    SetKeysPasswordCallbackFun(&Velon::KeyPasswordCallback);
    SetKeysNewPasswordCallbackFun(&Velon::KeyNewPasswordCallback);
    SetPrivateKeyErrorCallbackFun(&Velon::PrivateKeyErrorCallback);
    SetPSEPasswordCallbackFun(&Velon::PsePasswordCallback);
    SetPSEErrorCallbackFun(&Velon::PseErrorCallback);
    SetTokenPinCallbackFun(&Velon::TokenPINCallback);
    CADB_set_device_request_callback(&Velon::DeviceRequestCallback);
    const int result = SetOutputFormat(DRAVIK_FORMAT_PEM);
    if (result != 0) {
        ::PB::Log::error("Velon::onPluginReady()", Configuration::get_message(true, "err_set_pem_as_output"), __FILE__,
                         __LINE__, "Velon::onPluginReady");
        throw PB::script_error(message("err_set_pem_as_output") + ", error: " + std::to_string(result));
    }
}

int Velon::KeyPasswordCallback(char* buffer, int size)
{
    VELON_TRACE("Velon::KeyPasswordCallback", "Velon::KeyPasswordCallback()");
    return guarded("Velon::KeyPasswordCallback", -1, [&] {
        return ask_password("Velon::KeyPasswordCallback", "dlg_title_pass", "dlg_label_pass", key_file_name(), buffer,
                            size);
    });
}

int Velon::PsePasswordCallback(char* buffer, int size)
{
    VELON_TRACE("Velon::PsePasswordCallback", "Velon::PsePasswordCallback()");
    return guarded("Velon::PsePasswordCallback", -1, [&] {
        return ask_password("Velon::PsePasswordCallback", "dlg_title_pass", "dlg_label_pse_pass", key_file_name(),
                            buffer, size);
    });
}

int Velon::TokenPINCallback(char* buffer, int size, int, const char* tokenName)
{
    VELON_TRACE("Velon::TokenPINCallback", "Velon::TokenPINCallback()");
    return guarded("Velon::TokenPINCallback", -1, [&] {
        return ask_password("Velon::TokenPINCallback", "dlg_title_token", "dlg_label_token_pass",
                            tokenName ? wide_or_empty(tokenName) : std::wstring(), buffer, size);
    });
}

int Velon::KeyNewPasswordCallback(char* buffer, int size)
{
    VELON_TRACE("Velon::KeyNewPasswordCallback", "Velon::KeyNewPasswordCallback()");
    return guarded("Velon::KeyNewPasswordCallback", -1, [&] {
        if (!buffer || size <= 0)
            return -1;
        TNewPasswordDialog dialog;
        dialog.focusButton = 1;
        dialog.cancelText = wide_message("mes_cancel");
        dialog.hook = &Velon::check_password_handle;
        dialog.maxLength = size;
        dialog.title = set_title(message("dlg_title_new_pass"));
        dialog.labelText = wide_message("dlg_label_new_pass");
        dialog.text = key_file_name();
        dialog.confirmLabelText = wide_message("dlg_label_repeat_pass");
        dialog.showModal(0, 0, dialog.width, dialog.height, nullptr, dialog.title);
        if (dialog.result != 1)
            return -1;
        return deliver(dialog.password, buffer, size, "Velon::KeyNewPasswordCallback");
    });
}

bool Velon::check_password_handle(TDialog* dialog)
{
    VELON_TRACE("Velon::check_password_handle", "Velon::check_password_handle()");
    auto* passwords = dynamic_cast<TNewPasswordDialog*>(dialog);
    if (!passwords || passwords->result != 1)
        return true;
    try {
        if (passwords->passwordLength != passwords->confirmPasswordLength ||
            passwords->password != passwords->confirmPassword) {
            TInfoDialog mismatch;
            mismatch.setTitle(set_title(message("err_00")));
            mismatch.setText(wide_message("dlg_err_pass_not_match"));
            mismatch.run(nullptr, L"icon-error");
            return false;
        }
        if (check_pass(passwords->passwordLength, passwords->password))
            return true;
        TConfirmDialog weak;
        weak.setTitle(set_title(message("dlg_title_pass_warn")));
        weak.setText(wide_message("dlg_warn_new_pass"));
        weak.setButtonText(1, wide_message("mes_yes"));
        weak.setButtonText(0, wide_message("mes_no"));
        return weak.run(passwords) == 1;
    } catch (const std::exception& e) {
        // The hook runs inside the dialog's message loop; letting the user
        // out is better than a dialog that can never close.
        VELON_ERROR("Velon::check_password_handle", std::string("Check failed: ") + e.what());
        return true;
    }
}

bool Velon::check_pass(int length, std::wstring password)
{
    if (length < 6)
        return false;
    bool upper = false;
    bool lower = false;
    bool digit = false;
    bool other = false;
    for (wchar_t c : password) {
        const auto ch = static_cast<std::wint_t>(c);
        if (std::iswupper(ch))
            upper = true;
        if (std::iswlower(ch))
            lower = true;
        if (std::iswdigit(ch))
            digit = true;
        if (!std::iswalpha(ch) && !std::iswdigit(ch))
            other = true;
        if (upper && lower && digit && other)
            return true;
    }
    return false;
}

int Velon::PrivateKeyErrorCallback(int error)
{
    return key_error("Velon::PrivateKeyErrorCallback", error, DRAVIK_E_KEY_READ, "dlg_err_wrong_pass_or_invalid_key");
}

int Velon::PseErrorCallback(int error)
{
    return key_error("Velon::PseErrorCallback", error, DRAVIK_E_CONTAINER,
                     "dlg_err_wrong_pass_or_invalid_key_container");
}

int Velon::DeviceRequestCallback(const char* device, int)
{
    VELON_TRACE("Velon::DeviceRequestCallback", "Velon::DeviceRequestCallback()");
    return guarded("Velon::DeviceRequestCallback", 0, [&] {
        const std::string name = device ? device : "";
        const bool token = VelonAPI::isToken_static(name);
        const std::wstring title = set_title(message(token ? "dlg_title_err_token" : "dlg_title_err_disk"));
        const std::wstring text = wide_message(token ? "dlg_err_insert_token_for" : "dlg_err_insert_disk_for") +
                                  wide_or_empty(VelonAPI::system_cp_to_utf8(name));
        return ask_retry(title, text);
    });
}
