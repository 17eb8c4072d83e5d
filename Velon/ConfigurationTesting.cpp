#include "Velon/ConfigurationTesting.h"

#include "Velon/Configuration.h"

namespace ConfigurationTesting {

void reset()
{
    Configuration::language.clear();
    Configuration::log_level = 0;
    Configuration::trusted_sites.clear();
    Configuration::conf_path.clear();
    Configuration::messages.clear();
}

}  // namespace ConfigurationTesting
