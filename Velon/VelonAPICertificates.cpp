// getCertificates: the certificates a folder holds, as PEM texts.
#include "Velon/VelonAPI.h"

#include <cstring>

#include "ScriptingCore/exceptions.h"
#include "Velon/ApiLog.h"
#include "Velon/Configuration.h"
#include "widgets/TCertificatesList.h"

PB::Promise<PB::variant> VelonAPI::getCertificates(std::string folder, bool leaveOutCA, bool walk)
{
    VELON_TRACE("VelonAPI::getCertificate", "VelonAPI::getCertificate(" + folder + ", " + flag_text(leaveOutCA) +
                                                ", " + flag_text(walk) + ")");
    std::weak_ptr<VelonAPI> self = std::static_pointer_cast<VelonAPI>(shared_from_this());
    PB::Promise<PB::VariantList> listed =
        pageLocation().then<PB::VariantList>([self, folder, leaveOutCA, walk](std::string) {
            std::shared_ptr<VelonAPI> api = self.lock();
            if (!api)
                throw PB::script_error(Configuration::get_message(false, "err_pobj_01"));
            return api->getCertificatesTask(folder, leaveOutCA, walk);
        });
    return listed;
}

PB::VariantList VelonAPI::getCertificatesTask(std::string folder, bool leaveOutCA, bool walk)
{
    check_initPlugin("getCertificate");
    PB::VariantList result;
    TCertificatesList list;
    const std::string converted = path_to_system_cp("VelonAPI::getCertificate", folder);
    CADB_by_dir(converted.c_str(), DRAVIK_WALK_FILES + (walk ? DRAVIK_WALK_RECURSIVE : 0),
                &TCertificatesList::addCertificateCallback, &list);
    for (const std::string& name : *list.names) {
        if (name.empty())
            continue;
        // One entry that cannot be read leaves out that entry only.
        try {
            const std::string entry = system_cp_to_utf8(name);
            if (!isCertificate(entry))
                continue;
            if (leaveOutCA && getCertificateBasicConstraints(entry))
                continue;
            result.push_back(PB::variant(readCertificate(entry)));
        } catch (...) {
        }
    }
    return result;
}

bool VelonAPI::isCertificate(std::string name)
{
    VELON_TRACE("VelonAPI::isCertificate", "VelonAPI::isCertificate(" + name + ")");
    const std::string converted = utf8_to_system_cp(name);
    velon::CertificateContext context(DK_GetCertificateContext(DRAVIK_SOURCE_NAME, converted.c_str(), 0));
    return static_cast<bool>(context);
}

bool VelonAPI::getCertificateBasicConstraints(std::string name)
{
    const char* const function = "VelonAPI::getCertificateBasicConstraints";
    VELON_TRACE(function, "VelonAPI::getCertificateBasicConstraints(" + name + ")");
    const std::string converted = utf8_to_system_cp(name);
    velon::CertificateContext context(DK_GetCertificateContext(DRAVIK_SOURCE_NAME, converted.c_str(), 0));
    if (!context)
        fail_with_library(function, "DK_GetCertificateContext", GetDravikLastError());
    velon::OutputBuffer value;
    const int result =
        DK_GetCertificateContextParam(context.get(), DRAVIK_CERT_PARAM_BASIC_CONSTRAINTS, 0, &value.data, &value.length);
    context.reset();
    if (result != 0 && result != DRAVIK_E_NO_SUCH_VALUE) {
        value.release();
        fail_with_library(function, "DK_GetCertificateContextParam", result);
    }
    // The first 32-bit word is the CA flag; a shorter value holds none.
    std::uint32_t ca = 0;
    if (value.data && value.length >= sizeof ca)
        std::memcpy(&ca, value.data, sizeof ca);
    return ca != 0;
}
