#pragma once

#include <memory>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/Platform.h"

namespace corvalis::testing {

// One implementation of the platform services, prepared for a contract test: the same
// suite runs against the in-memory services and against Windows.
class ServiceEnvironment {
public:
    virtual ~ServiceEnvironment() = default;

    virtual Platform& Services() = 0;
    // A new empty folder for this test, removed afterwards.
    virtual std::string ScratchFolder() = 0;
    // A key below HKEY_CURRENT_USER for this test, removed afterwards.
    virtual std::string ScratchKey() = 0;
    // The command line that starts the test child program with these actions (ChildScript.h).
    virtual std::string ChildCommand(const std::string& actions) = 0;
    // This test program's process: its id and full path. Other processes of the same program
    // may run beside it.
    virtual uint32_t SelfProcessId() = 0;
    virtual std::string SelfPath() = 0;
    // A module with the version resource 11.0.2709.7128 (string and fixed numbers) and the
    // string resource 64431 "Borland Studio-Projekte".
    virtual std::string CoreIdeModule() = 0;
    // A console whose input holds the given text and whose output can be read back.
    virtual IConsole& ConsoleWithInput(const std::string& input) = 0;
    virtual std::string ConsoleOutput() = 0;
};

using EnvironmentFactory = std::unique_ptr<ServiceEnvironment> (*)();

// Base of every contract suite: a fresh environment per test.
class ContractTest : public ::testing::TestWithParam<EnvironmentFactory> {
protected:
    void SetUp() override { env_ = GetParam()(); }
    void TearDown() override { env_.reset(); }

    ServiceEnvironment& Env() { return *env_; }
    Platform& Services() { return env_->Services(); }

private:
    std::unique_ptr<ServiceEnvironment> env_;
};

std::unique_ptr<ServiceEnvironment> MakeMemoryEnvironment();

// Instantiates a contract suite for the in-memory services and, in the Windows test
// program, for the Windows services too.
inline std::string ContractName(const ::testing::TestParamInfo<EnvironmentFactory>&)
{
    return "Services";
}
#define CORVALIS_CONTRACT_FOR(Implementation, Suite, Factory)                                                          \
    INSTANTIATE_TEST_SUITE_P(Implementation, Suite, ::testing::Values(&Factory), ContractName)
#ifdef _WIN32
std::unique_ptr<ServiceEnvironment> MakeWin32Environment();
#define CORVALIS_CONTRACT_SUITE(Suite)                                                                                 \
    CORVALIS_CONTRACT_FOR(Memory, Suite, MakeMemoryEnvironment);                                                       \
    CORVALIS_CONTRACT_FOR(Win32, Suite, MakeWin32Environment)
#else
#define CORVALIS_CONTRACT_SUITE(Suite) CORVALIS_CONTRACT_FOR(Memory, Suite, MakeMemoryEnvironment)
#endif

} // namespace corvalis::testing
