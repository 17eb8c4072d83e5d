#include "TestFactory.h"

namespace test {

std::shared_ptr<TestFactory> testFactory()
{
    static auto factory = std::make_shared<TestFactory>();
    return factory;
}

}  // namespace test

PB::FactoryBasePtr getPluginFactory()
{
    return test::testFactory();
}
