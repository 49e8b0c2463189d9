// The child program of the process tests: performs the actions of its arguments
// (see ChildScript.h) and ends.
#include "platform/win32/WindowsSupport.h"

#include "ide/CmdLineUtils.h"
#include "tools/ChildScript.h"

int main()
{
    using corvalis::testing::ChildAction;
    int exitCode = 0;
    for (const ChildAction& action :
         corvalis::testing::ParseChildActions(corvalis::ParseCommandLine(::GetCommandLineA()))) {
        DWORD written = 0;
        switch (action.kind) {
        case ChildAction::Output:
        case ChildAction::Error:
            ::WriteFile(::GetStdHandle(action.kind == ChildAction::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE),
                        action.text.data(), static_cast<DWORD>(action.text.size()), &written, nullptr);
            break;
        case ChildAction::Lines:
            for (int32_t i = 0; i < action.number; ++i)
                ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), action.text.data(),
                            static_cast<DWORD>(action.text.size()), &written, nullptr);
            break;
        case ChildAction::WorkingFolder: {
            char folder[MAX_PATH];
            const std::string line = std::string(folder, ::GetCurrentDirectoryA(MAX_PATH, folder)) + "\r\n";
            ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written,
                        nullptr);
            break;
        }
        case ChildAction::Exit: exitCode = action.number; break;
        }
    }
    return exitCode;
}
