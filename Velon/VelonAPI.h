#pragma once
// The scriptable object the page sees as the plug-in: fifty JavaScript
// methods registered by name, and the little state they share (the page's
// access decision, the initialised flag, the key-generation options and the
// signing session).
//
// Every method that does work follows one pattern: a TRACE line with its
// arguments (secret ones masked), the initialisation guard, page text
// converted to the library's code page, the library calls, and on failure an
// English ERROR line and a script error in the user's language. Each group of
// methods lives in a file of its own (VelonAPI<Group>.cpp).

#include <cstdint>
#include <memory>
#include <string>

#include <dravik/dravik.h>

#include "ScriptingCore/BrowserHost.h"
#include "ScriptingCore/JSAPIAuto.h"
#include "Velon/DravikHandles.h"
#include "Velon/SignData.h"

class Velon;

class VelonAPI : public PB::JSAPIAuto {
public:
    VelonAPI(const std::shared_ptr<Velon>& plugin, const PB::BrowserHostPtr& host);
    ~VelonAPI() override;

    // The plug-in this object belongs to; a script error when it is gone.
    std::shared_ptr<Velon> getPlugin();

    // --- Object, initialisation and access (VelonAPI.cpp, VelonAPIInit.cpp, VelonAPIAccess.cpp)
    std::string getVersion();
    int get_error();
    PB::Promise<PB::variant> initPlugin();
    // The guard of every method that does work: initPlugin was called and
    // the page's site was granted access. method: the JavaScript name.
    void check_initPlugin(const std::string& method);
    // Decides (once per object) whether the page at url may use the API,
    // asking the user for a site no rule trusts.
    bool get_access(std::string url);

    // --- Error reporting (VelonAPIErrors.cpp)
    // "Dravik::<function>: Error <code>", for log lines.
    static std::string make_error_string(const std::string& libraryFunction, int code);
    // Logs the English text of key at ERROR under function ("VelonAPI::sign")
    // and throws PB::script_error with the text in the current language.
    [[noreturn]] static void fail_with_key(const std::string& function, const std::string& key);
    // Logs make_error_string (and detail after it) at ERROR under function
    // and throws the text of the code's library error key in the current
    // language.
    [[noreturn]] static void fail_with_library(const std::string& function, const std::string& libraryFunction,
                                               int code, const std::string& detail = std::string());
    // A flag as the trace lines write it: "1" or "0".
    static std::string flag_text(bool value);

    // --- Code pages (VelonAPICodePage.cpp)
    static std::string utf8_to_system_cp(std::string text);
    static std::string system_cp_to_utf8(std::string text);

    // --- Files (VelonAPIFiles.cpp)
    // Reads the whole file at path (bytes as given) into a library buffer
    // handed back through buffer; answers its length. The caller frees it.
    static int file_buffer_char(std::string path, char** buffer);
    std::string file_buffer(std::string path);
    bool fileExists(std::string path);
    static bool is_smarttoken_path(std::string path);
    // A path from the page in the library's code page. A NUL inside it would
    // end the name early, and another file would be used: such a path fails
    // with err_file_open, logged under function.
    static std::string path_to_system_cp(const std::string& function, std::string path);
    // The same for a key, key-container or token path, which this page's
    // site then holds: what the user unlocked there for another site is
    // forgotten first, so that the library asks again (velon::KeyUnlocks).
    std::string key_path_to_system_cp(const std::string& function, std::string path);
    // The same for a path already in the library's code page.
    void claim_key_path(const std::string& function, const std::string& path);

    // --- Base64 (VelonAPIBase64.cpp)
    std::string clear_base64(std::string text);
    std::string base64_to_bin(std::string text);
    static std::string bin_to_base64(std::string bytes);
    // What base64_to_bin decodes from text (with the same log lines and
    // errors), decoded straight into a library buffer, as the signing methods
    // hand it to the library; its length in *length.
    static velon::LibraryBuffer base64_to_library_buffer(const std::string& text, std::uint32_t* length);

    // --- File and device dialogs (VelonAPIDialogs.cpp)
    std::string showOpenDialog(int mode, std::string title, PB::variant dir, std::string fileTypeDescription,
                               std::string fileTypePatterns);
    std::string showSaveDialog(int mode, std::string title, PB::variant dir, std::string fileTypeDescription,
                               std::string fileTypePatterns);

    // --- Network interface (VelonAPINetwork.cpp)
    PB::Promise<PB::VariantMap> getNetworkInterfaceInfo();
    // Bit 0: ipv4 (4 bytes, network order) written; bit 1: mac (6 bytes) written.
    static int collect_interface_addresses(std::string host, std::string port, unsigned char* ipv4,
                                           unsigned char* mac);

    // --- Signing (VelonAPISignContext.cpp, VelonAPISign.cpp, VelonAPISession.cpp)
    // A signing context for the key at keyPath and its certificate; the
    // caller owns it. Throws on every failure.
    static velon::SignContext get_sign_ctx(std::string keyPath, std::string certificate);
    std::string sign(std::string content, std::string keyPath, std::string certificate, bool detached);
    std::string signBinaryData(std::string content, std::string keyPath, std::string certificate);
    std::string signFile(std::string filePath, std::string keyPath, std::string certificate);
    int signInit(std::string keyPath, std::string certificate);
    std::string signInContext(std::string content, bool detached);
    std::string signBinaryDataInContext(std::string content);
    std::string signFileInContext(std::string filePath);
    int signFinal();
    void addPkcs7FlagsToSignContext(std::uint32_t bits, std::string function);
    void restorePkcs7FlagsInSignContext(std::string function);

    // --- Default certificate-request values (VelonAPIRequestDefaults.cpp)
    static int setDefaultCertRequestValues();

    // --- Certificates (VelonAPICertificates.cpp, VelonAPICertificateProperty.cpp,
    //     VelonAPICertificateIO.cpp, VelonAPIVerify.cpp)
    PB::Promise<PB::variant> getCertificates(std::string folder, bool leaveOutCA, bool walk);
    PB::VariantList getCertificatesTask(std::string folder, bool leaveOutCA, bool walk);
    static bool isCertificate(std::string name);
    static bool getCertificateBasicConstraints(std::string name);
    std::string getCertificateProperty(std::string certificate, std::string property);
    std::string readCertificate(std::string name);
    int writeCertificate(std::string certificate, int tokenCopyValue, std::string path, std::string format);
    int writeCertificateOnFileSystem(std::string certificate, std::string path, std::string format);
    int writeCertificateOnToken(std::string certificate, int tokenCopyValue, std::string path);
    int verifyCertificate(std::string certificate, bool chainCheck);

    // --- Tokens (VelonAPITokens.cpp)
    PB::Promise<PB::VariantList> getTokensList();
    PB::VariantList getTokensListTask(std::string location);
    std::string getTokenInfo(std::string device, std::string property);
    bool isToken(std::string device);
    static bool isToken_static(std::string path);
    bool devicePresent(std::string device);
    int tokenLogout(std::string device);

    // --- Key generation (VelonAPIKeyGeneration.cpp)
    int setKeyGenOptions(std::string algorithm, std::string paramSet, std::string keyLength, std::string keyFile);
    std::string generateKeyPair(std::string psePath, bool emptyPassword);
    // --- CMC and revocation requests (VelonAPICmc.cpp)
    std::string getCMC(std::string request, std::string psePath, std::string certificate);
    std::string makeRevocationRequest(std::string revocableCert, int code, std::string text, std::string sharedSecret,
                                      std::string comment, std::string psePath, std::string signCert, bool flag);
    // --- Key passwords, signer certificate, key lookup (VelonAPIKeys.cpp)
    int setNewKeyPassword(std::string psePath, bool emptyPassword);
    int setAddSignerCertificate(bool includeCertificate);
    std::string getPrivateKeyByCertificate(std::string psePath, std::string certificate);
    // --- Certificate request building (VelonAPICertRequest.cpp)
    int addCertRequestAttribute(std::string attribute, std::string value);
    int addCertRequestPolicy(std::string policy);
    int resetCertRequestAttributes();
    int resetCertRequestExtensions();
    int setCertReqAttrsAsCert(std::string certificate);
    int setCertRequestSubjectSignTool();
    // --- Certificate request reading (VelonAPICertRequestRead.cpp)
    std::string readCertRequest(std::string path);
    std::string encodeCertRequest(std::string request, std::string encoding);
    std::string getCertRequestProperty(std::string request, std::string property);
    // --- Trust material (VelonAPITrust.cpp)
    int loadCRLs(std::string path);
    int loadTrustedCertificates(std::string path);
    int loadUntrustedCertificates(std::string path);
    // --- Key containers (VelonAPIKeyContainers.cpp)
    bool keyContainerExists(std::string path);
    int copyKeyContainer(std::string source, std::string target);
    int clearCachedKeyPasswords();

    // -1 undecided, 1 granted, 0 refused; decided once per object.
    std::int32_t access_state = -1;
    // The site that was granted access (scheme and host, or the whole
    // address of a "file:///" page); the keys the user unlocks are its own.
    std::string access_site;

private:
    void registerMethods();
    // The initialisation work, once the page's address is known.
    int initPluginTask(std::string url);
    // The signing families, told apart by where their data comes from.
    std::string signOnce(const std::string& function, velon::SignSource source, std::string content,
                         std::string keyPath, std::string certificate, int mode);
    std::string signWithSession(const std::string& function, velon::SignSource source, std::string content,
                                int mode);
    // The page's location, which the promise-returning methods wait for.
    PB::Promise<std::string> pageLocation();

    std::weak_ptr<Velon> plugin;
    PB::BrowserHostPtr host;

public:
    bool plugin_inited = false;
    // No method writes it; get_error answers 0.
    int last_error = 0;
    // Stored by setKeyGenOptions, read by generateKeyPair.
    std::string keygen_param_set;
    std::string keygen_key_file;

    // The signing session, from signInit to signFinal. A SmartToken session
    // counts among the process's open ones (pkcs7_flags_saved), the last of
    // which writes back the flags from before the first (saved_pkcs7_flags).
    velon::SignContext sign_ctx;
    bool sign_ctx_smarttoken = false;
    bool sign_ctx_inited = false;
    std::uint32_t saved_pkcs7_flags = 0;
    bool pkcs7_flags_saved = false;
};
