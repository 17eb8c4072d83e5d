#pragma once
// Log lines of the plug-in object and its API. Each names the operation as
// its qualified name ("VelonAPI::sign"): the source label is that name with
// "()" appended, the function name the name itself.

#include <string>

#include "ScriptingCore/Log.h"

#define VELON_LOG_AT(level, function, message)                                                                  \
    ::PB::Log::level(std::string(function) + "()", (message), __FILE__, __LINE__, std::string(function).c_str())
#define VELON_TRACE(function, message) VELON_LOG_AT(trace, function, message)
#define VELON_INFO(function, message) VELON_LOG_AT(info, function, message)
#define VELON_WARN(function, message) VELON_LOG_AT(warn, function, message)
#define VELON_ERROR(function, message) VELON_LOG_AT(error, function, message)
