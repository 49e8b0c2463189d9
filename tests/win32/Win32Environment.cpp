#include "contract/ServiceEnvironment.h"
#include "ide/Utils.h"
#include "platform/win32/Win32Platform.h"

namespace corvalis::testing {
namespace {

using win32::ScopedKernelHandle;

class Win32Environment : public ServiceEnvironment {
public:
    ~Win32Environment() override
    {
        for (const std::string& folder : folders_)
            machine_.files.DeleteTree(folder);
        for (const std::string& key : keys_) {
            machine_.registry.DeleteKey(RootKey::CurrentUser, key);
            machine_.registry.DeleteKey(RootKey::LocalMachine, key);
        }
    }

    Platform& Services() override { return machine_.platform; }

    std::string ScratchFolder() override
    {
        folders_.push_back(machine_.files.TempDirectory() + "\\corvalis-tests-" + UniqueName());
        machine_.files.ForceDirectories(folders_.back());
        return folders_.back();
    }

    std::string ScratchKey() override
    {
        if (keys_.empty())
            keys_.push_back("Software\\CorvalisTests\\" + UniqueName());
        return keys_.back();
    }

    std::string ChildCommand(const std::string& actions) override
    {
        return "\"" + PathJoin(ExtractFileDir(SelfPath()), "tproc.exe") + "\" " + actions;
    }

    std::string CoreIdeModule() override { return PathJoin(ExtractFileDir(SelfPath()), "coreide100.bpl"); }

    uint32_t SelfProcessId() override { return ::GetCurrentProcessId(); }
    std::string SelfPath() override { return machine_.processes.ExecutablePath(); }

    IConsole& ConsoleWithInput(const std::string& input) override
    {
        SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
        ScopedKernelHandle inputWrite;
        ::CreatePipe(inputRead_.Receive(), inputWrite.Receive(), &attributes, 0);
        ::CreatePipe(outputRead_.Receive(), outputWrite_.Receive(), &attributes, 0);
        DWORD written = 0;
        ::WriteFile(inputWrite.Get(), input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
        console_ = std::make_unique<Win32Console>(inputRead_.Get(), outputWrite_.Get());
        return *console_;
    }

    std::string ConsoleOutput() override
    {
        DWORD available = 0;
        ::PeekNamedPipe(outputRead_.Get(), nullptr, 0, nullptr, &available, nullptr);
        std::string output(available, '\0');
        DWORD read = 0;
        if (available > 0)
            ::ReadFile(outputRead_.Get(), output.data(), available, &read, nullptr);
        output.resize(read);
        return output;
    }

private:
    std::string UniqueName()
    {
        static int counter = 0;
        return std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter);
    }

    Win32Platform machine_;
    std::vector<std::string> folders_;
    std::vector<std::string> keys_;
    ScopedKernelHandle inputRead_;
    ScopedKernelHandle outputRead_;
    ScopedKernelHandle outputWrite_;
    std::unique_ptr<Win32Console> console_;
};

} // namespace

std::unique_ptr<ServiceEnvironment> MakeWin32Environment()
{
    return std::make_unique<Win32Environment>();
}

} // namespace corvalis::testing
