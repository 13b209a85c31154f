// Linked into test programs that use the module's strings and model cache:
// the program attaches the module (language module, cache) as the DLL's
// entry would, once for the whole run.
#include "core/module_entry.h"

#include <gtest/gtest.h>

namespace {

class ModuleAttach : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(ModuleProcessAttach(GetModuleHandleW(nullptr))); }
    void TearDown() override { ModuleProcessDetach(); }
};

::testing::Environment* const kModuleAttach = ::testing::AddGlobalTestEnvironment(new ModuleAttach);

} // namespace
