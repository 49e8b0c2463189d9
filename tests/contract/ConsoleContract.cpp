#include "contract/ServiceEnvironment.h"

namespace corvalis::testing {
namespace {

class ConsoleContract : public ContractTest {};

TEST_P(ConsoleContract, LinesAreWrittenWithLineBreaksAndReadWithout)
{
    IConsole& console = Env().ConsoleWithInput("first answer\r\nsecond\r\n");
    console.Open();
    console.WriteLine("");
    console.WriteLine("--ignore-ide          Start installer even if Delphi/BCB is running.");
    EXPECT_EQ(console.ReadLine(), "first answer");
    EXPECT_EQ(console.ReadLine(), "second");
    EXPECT_EQ(Env().ConsoleOutput(), "\r\n--ignore-ide          Start installer even if Delphi/BCB is running.\r\n");
}

TEST_P(ConsoleContract, ReadingPastTheEndGivesAnEmptyLine)
{
    IConsole& console = Env().ConsoleWithInput("");
    console.Open();
    EXPECT_EQ(console.ReadLine(), "");
}

} // namespace

CORVALIS_CONTRACT_SUITE(ConsoleContract);

} // namespace corvalis::testing
