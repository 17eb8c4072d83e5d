#pragma once
// The product's plug-in factory: every MIME type gets a Velon.

#include "PluginCore/FactoryBase.h"

class PluginFactory : public PB::FactoryBase {
public:
    PB::PluginCorePtr createPlugin(const std::string& mimetype) override;
};
