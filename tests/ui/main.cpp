// The Wine suite runs the real dialog procedures on the real user32, from
// the test executable, which carries the same resources as Corvex.exe.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app_state.h"
#include "printer.h"

int main(int argc, char** argv)
{
    InitCommonControls();
    AppInstance = GetModuleHandleA(NULL);
    ::testing::InitGoogleTest(&argc, argv);
    UsePlainFailurePrinter(::testing::UnitTest::GetInstance()->listeners());
    return RUN_ALL_TESTS();
}
