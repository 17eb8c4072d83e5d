// Whether the page's site may use the API: a trusted-site rule, or the user.
#include "Velon/VelonAPI.h"

#include <boost/regex.hpp>

#include "ScriptingCore/exceptions.h"
#include "ScriptingCore/utf8_tools.h"
#include "Velon/ApiLog.h"
#include "Velon/Configuration.h"
#include "Velon/SitePatterns.h"
#include "Velon/Velon.h"
#include "widgets/TCheckSiteDialog.h"

namespace {

[[noreturn]] void unreadable_address(const std::string& url)
{
    ::PB::Log::error("VelonAPI::get_access()", Configuration::get_message(true, "err_url_01") + ": " + url, __FILE__,
                     __LINE__, "VelonAPI::get_access");
    throw PB::script_error(Configuration::get_message(false, "err_url_01"));
}

// What the user is asked about and what a rule is made of: the whole
// address of a "file:///" page, else the scheme as written and the host.
std::string site_of(const std::string& url)
{
    if (velon::site::is_file_page(url))
        return url;
    const std::string address = velon::site::as_browser_reads(url);
    boost::smatch parts;
    if (!velon::site::match(address, parts, velon::site::page_pattern()) ||
        velon::site::hides_real_host(parts[2], parts[3]))
        unreadable_address(url);
    return parts[1].str() + parts[2].str();
}

std::wstring text(const std::string& key)
{
    return PB::utf8_to_wstring(Configuration::get_message(false, key));
}

}  // namespace

bool VelonAPI::get_access(std::string url)
{
    VELON_TRACE("VelonAPI::get_access", "VelonAPI::get_access(" + url + ")");
    if (access_state != -1)
        return access_state != 0;

    const int trusted = Configuration::is_host_trusted(url);
    if (trusted == -1)
        unreadable_address(url);
    if (trusted == 1) {
        access_site = site_of(url);
        access_state = 1;
        return true;
    }

    const std::string site = site_of(url);
    TCheckSiteDialog dialog;
    dialog.cancelText = text("mes_cancel");
    dialog.okText = text("mes_continue");
    dialog.focusButton = 0;
    dialog.title = Velon::set_title(Configuration::get_message(false, "dlg_title_check_site"));
    dialog.text = text("dlg_text_web_site_access") + L"\n\n" + PB::utf8_to_wstring(site) + L"\n\n";
    dialog.checkBoxText = text("dlg_checkbox_web_site_access");
    dialog.showModal(0, 0, dialog.width, dialog.height, nullptr, dialog.title);
    access_state = dialog.result != 0 ? 1 : 0;
    if (access_state != 0)
        access_site = site;

    if (access_state != 0 && dialog.rememberSite) {
        const std::string key = Configuration::add_trusted(site);
        if (key != "mes_success") {
            ::PB::Log::error("VelonAPI::get_access()", Configuration::get_message(true, key), __FILE__, __LINE__,
                             "VelonAPI::get_access");
            throw PB::script_error(Configuration::get_message(false, key));
        }
    }
    return access_state != 0;
}
