// initPlugin: the log file, the configuration and the page's access, once
// the page's address is known; and the guard of the other methods.
#include "Velon/VelonAPI.h"

#include <log4cplus/fileappender.h>
#include <log4cplus/layout.h>
#include <log4cplus/logger.h>

#include <memory>

#include "ScriptingCore/DOM/Window.h"
#include "ScriptingCore/exceptions.h"
#include "Velon/ApiLog.h"
#include "Velon/Configuration.h"
#include "Velon/Velon.h"

namespace {

const char* const kInitFunction = "VelonAPI::initPlugin";

// "Velon.log" beside the module, rolled over at 1 MiB with one backup.
void add_log_file(log4cplus::Logger& logger, const std::string& modulePath)
{
    log4cplus::SharedAppenderPtr file(new log4cplus::RollingFileAppender(
        Configuration::dir_of_path(modulePath, "Velon.log"), 1048576, 1, true, false));
    file->setLayout(std::unique_ptr<log4cplus::Layout>(
        new log4cplus::PatternLayout("%D{%d.%m.%Y %H:%M:%S:%q} [PID:%i, thread:%t] %p: %m%n")));
    logger.addAppender(file);
}

void apply_log_level(log4cplus::Logger& logger, int level)
{
    const char* line = nullptr;
    switch (level) {
    case 1:
        logger.setLogLevel(log4cplus::TRACE_LOG_LEVEL);
        line = "Log level is TRACE";
        break;
    case 2:
        logger.setLogLevel(log4cplus::DEBUG_LOG_LEVEL);
        line = "Log level is DEBUG";
        break;
    case 4:
        logger.setLogLevel(log4cplus::INFO_LOG_LEVEL);
        line = "Log level is INFO";
        break;
    case 8:
        logger.setLogLevel(log4cplus::WARN_LOG_LEVEL);
        break;
    case 16:
        logger.setLogLevel(log4cplus::ERROR_LOG_LEVEL);
        break;
    default:
        break;
    }
    if (line)
        ::PB::Log::info("VelonAPI::initPlugin()", line, __FILE__, __LINE__, kInitFunction);
}

}  // namespace

PB::Promise<std::string> VelonAPI::pageLocation()
{
    PB::DOM::WindowPtr window = host ? host->getDOMWindow() : nullptr;
    if (!window)
        throw PB::script_error("Cannot find HTML window");
    return window->getLocation();
}

PB::Promise<PB::variant> VelonAPI::initPlugin()
{
    // The work may run after the page has let go of this object.
    std::weak_ptr<VelonAPI> self = std::static_pointer_cast<VelonAPI>(shared_from_this());
    PB::Promise<int> work = pageLocation().then<int>([self](std::string url) {
        std::shared_ptr<VelonAPI> api = self.lock();
        if (!api)
            throw PB::script_error(Configuration::get_message(false, "err_pobj_01"));
        return api->initPluginTask(std::move(url));
    });
    plugin_inited = true;
    return work;
}

int VelonAPI::initPluginTask(std::string url)
{
    const std::string modulePath = getPlugin()->modulePath();

    log4cplus::Logger logger = log4cplus::Logger::getInstance(LOG4CPLUS_TEXT("PageBridge"));
    // The first initialisation in the process sets up the log file and reads
    // the configuration; the framework's own set-up leaves one appender.
    if (logger.getAllAppenders().size() < 2) {
        add_log_file(logger, modulePath);
        logger.setLogLevel(log4cplus::WARN_LOG_LEVEL);
        const std::string key = Configuration::load_conf(modulePath);
        if (key != "mes_success") {
            ::PB::Log::error("VelonAPI::initPlugin()", Configuration::get_message(true, key), __FILE__, __LINE__,
                             kInitFunction);
        } else {
            Configuration::load_error_strings(Configuration::dir_of_path(modulePath, "Velon.resources"));
            apply_log_level(logger, Configuration::get_log_level());
        }
    }

    if (!get_access(url)) {
        ::PB::Log::error("VelonAPI::initPlugin()", Configuration::get_message(true, "err_access_01"), __FILE__,
                         __LINE__, kInitFunction);
        throw PB::script_error(Configuration::get_message(false, "err_access_01"));
    }
    setDefaultCertRequestValues();
    return 0;
}

void VelonAPI::check_initPlugin(const std::string& method)
{
    VELON_TRACE("VelonAPI::check_initPlugin", "VelonAPI::check_initPlugin()");
    // Only a page whose site was granted access gets past: a refused page
    // must not be served by calling on after its initPlugin failed.
    if (plugin_inited && access_state == 1)
        return;
    const std::string key = plugin_inited && access_state == 0 ? "err_access_01" : "err_initPlugin";
    ::PB::Log::error("VelonAPI::" + method, Configuration::get_message(true, key), __FILE__, __LINE__,
                     "VelonAPI::check_initPlugin");
    throw PB::script_error(Configuration::get_message(false, key));
}
