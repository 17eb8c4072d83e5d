// The API object: its life and the registration of its methods.
#include "Velon/VelonAPI.h"

#include "ScriptingCore/exceptions.h"
#include "Velon/ApiLog.h"
#include "Velon/Configuration.h"
#include "Velon/SmartTokenSessions.h"
#include "Velon/Velon.h"

VelonAPI::VelonAPI(const std::shared_ptr<Velon>& plugin, const PB::BrowserHostPtr& host)
    : PB::JSAPIAuto("<JSAPI-Auto Javascript Object>"), plugin(plugin), host(host)
{
    registerMethods();
}

// The session's context goes with the object (sign_ctx owns it). A SmartToken
// session the page never closed ends here as signFinal would end it: when it
// is the process's last, the flags it set are put back, or every other
// page's signatures would go on carrying its bit. (When the library has
// ended with its last user there is nothing to put back, and the write fails
// harmlessly.)
VelonAPI::~VelonAPI()
{
    if (sign_ctx_inited && pkcs7_flags_saved)
        velon::SmartTokenSessions::close();
}

void VelonAPI::registerMethods()
{
    using PB::make_method;
    registerMethod("addCertRequestAttribute", make_method(this, &VelonAPI::addCertRequestAttribute));
    registerMethod("addCertRequestPolicy", make_method(this, &VelonAPI::addCertRequestPolicy));
    registerMethod("base64_to_bin", make_method(this, &VelonAPI::base64_to_bin));
    registerMethod("clearCachedKeyPasswords", make_method(this, &VelonAPI::clearCachedKeyPasswords));
    registerMethod("clear_base64", make_method(this, &VelonAPI::clear_base64));
    registerMethod("copyKeyContainer", make_method(this, &VelonAPI::copyKeyContainer));
    registerMethod("devicePresent", make_method(this, &VelonAPI::devicePresent));
    registerMethod("encodeCertRequest", make_method(this, &VelonAPI::encodeCertRequest));
    registerMethod("fileExists", make_method(this, &VelonAPI::fileExists));
    registerMethod("file_buffer", make_method(this, &VelonAPI::file_buffer));
    registerMethod("generateKeyPair", make_method(this, &VelonAPI::generateKeyPair));
    registerMethod("getCertificates", make_method(this, &VelonAPI::getCertificates));
    registerMethod("getCertificateProperty", make_method(this, &VelonAPI::getCertificateProperty));
    registerMethod("getCertRequestProperty", make_method(this, &VelonAPI::getCertRequestProperty));
    registerMethod("getCMC", make_method(this, &VelonAPI::getCMC));
    registerMethod("getNetworkInterfaceInfo", make_method(this, &VelonAPI::getNetworkInterfaceInfo));
    registerMethod("getPrivateKeyByCertificate", make_method(this, &VelonAPI::getPrivateKeyByCertificate));
    registerMethod("getTokenInfo", make_method(this, &VelonAPI::getTokenInfo));
    registerMethod("getTokensList", make_method(this, &VelonAPI::getTokensList));
    registerMethod("getVersion", make_method(this, &VelonAPI::getVersion));
    registerMethod("get_error", make_method(this, &VelonAPI::get_error));
    registerMethod("initPlugin", make_method(this, &VelonAPI::initPlugin));
    registerMethod("isToken", make_method(this, &VelonAPI::isToken));
    registerMethod("keyContainerExists", make_method(this, &VelonAPI::keyContainerExists));
    registerMethod("loadCRLs", make_method(this, &VelonAPI::loadCRLs));
    registerMethod("loadTrustedCertificates", make_method(this, &VelonAPI::loadTrustedCertificates));
    registerMethod("loadUntrustedCertificates", make_method(this, &VelonAPI::loadUntrustedCertificates));
    registerMethod("makeRevocationRequest", make_method(this, &VelonAPI::makeRevocationRequest));
    registerMethod("readCertificate", make_method(this, &VelonAPI::readCertificate));
    registerMethod("readCertRequest", make_method(this, &VelonAPI::readCertRequest));
    registerMethod("resetCertRequestAttributes", make_method(this, &VelonAPI::resetCertRequestAttributes));
    registerMethod("resetCertRequestExtensions", make_method(this, &VelonAPI::resetCertRequestExtensions));
    registerMethod("setAddSignerCertificate", make_method(this, &VelonAPI::setAddSignerCertificate));
    registerMethod("setCertReqAttrsAsCert", make_method(this, &VelonAPI::setCertReqAttrsAsCert));
    registerMethod("setCertRequestSubjectSignTool", make_method(this, &VelonAPI::setCertRequestSubjectSignTool));
    registerMethod("setKeyGenOptions", make_method(this, &VelonAPI::setKeyGenOptions));
    registerMethod("setNewKeyPassword", make_method(this, &VelonAPI::setNewKeyPassword));
    registerMethod("showOpenDialog", make_method(this, &VelonAPI::showOpenDialog));
    registerMethod("showSaveDialog", make_method(this, &VelonAPI::showSaveDialog));
    registerMethod("signInit", make_method(this, &VelonAPI::signInit));
    registerMethod("signFinal", make_method(this, &VelonAPI::signFinal));
    registerMethod("signInContext", make_method(this, &VelonAPI::signInContext));
    registerMethod("signBinaryDataInContext", make_method(this, &VelonAPI::signBinaryDataInContext));
    registerMethod("signFileInContext", make_method(this, &VelonAPI::signFileInContext));
    registerMethod("sign", make_method(this, &VelonAPI::sign));
    registerMethod("signBinaryData", make_method(this, &VelonAPI::signBinaryData));
    registerMethod("signFile", make_method(this, &VelonAPI::signFile));
    registerMethod("tokenLogout", make_method(this, &VelonAPI::tokenLogout));
    registerMethod("verifyCertificate", make_method(this, &VelonAPI::verifyCertificate));
    registerMethod("writeCertificate", make_method(this, &VelonAPI::writeCertificate));
}

std::shared_ptr<Velon> VelonAPI::getPlugin()
{
    std::shared_ptr<Velon> owner = plugin.lock();
    if (!owner)
        fail_with_key("VelonAPI::getPlugin", "err_pobj_01");
    return owner;
}

std::string VelonAPI::getVersion()
{
    return "1.3.0.1";
}

int VelonAPI::get_error()
{
    return last_error;
}
