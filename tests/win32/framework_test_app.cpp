// The framework tests' application object, set up once before the tests run.
#include "framework_test_app.h"

#include <gtest/gtest.h>

namespace {

FrameworkTestApp testApp;

class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(AfxWinInit(::GetModuleHandleA(nullptr))); }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

} // namespace

std::span<const fw::AppCommandEntry> FrameworkTestApp::GetCommandMap() const {
    static const fw::AppCommandEntry entries[] = {
        {kAppOnlyCommand, [](CWinApp& app) { static_cast<FrameworkTestApp&>(app).appCommands++; }},
    };
    return entries;
}

FrameworkTestApp& TestApp() {
    return testApp;
}
