// How API methods report failures: an English line in the log, the user's
// language on the page.
#include "Velon/VelonAPI.h"

#include "ScriptingCore/Log.h"
#include "ScriptingCore/exceptions.h"
#include "Velon/Configuration.h"

std::string VelonAPI::make_error_string(const std::string& libraryFunction, int code)
{
    return "Dravik::" + libraryFunction + ": " + Configuration::get_message(true, "err_00") + " " +
           std::to_string(code);
}

void VelonAPI::fail_with_key(const std::string& function, const std::string& key)
{
    ::PB::Log::error(function, Configuration::get_message(true, key), __FILE__, __LINE__, function.c_str());
    throw PB::script_error(Configuration::get_message(false, key));
}

void VelonAPI::fail_with_library(const std::string& function, const std::string& libraryFunction, int code,
                                 const std::string& detail)
{
    ::PB::Log::error(function, make_error_string(libraryFunction, code) + detail, __FILE__, __LINE__,
                     function.c_str());
    throw PB::script_error(Configuration::get_message(false, Configuration::error_key(code)));
}

std::string VelonAPI::flag_text(bool value)
{
    return value ? "1" : "0";
}
