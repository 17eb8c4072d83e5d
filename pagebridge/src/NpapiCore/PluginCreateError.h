#pragma once
// Thrown when a plug-in instance cannot be made for the browser's request;
// NPP_New answers it with NPERR_INCOMPATIBLE_VERSION_ERROR.

#include <stdexcept>
#include <string>

namespace PB {
namespace Npapi {

class PluginCreateError : public std::runtime_error {
public:
    explicit PluginCreateError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace Npapi
}  // namespace PB
