// The test programs' main. An ASSERT that fails in a helper would leave only
// the helper, and the test would go on as if nothing had failed: here every
// fatal failure ends the whole test. GoogleTest takes the exception as a
// failure already reported.
#include "launcher/launcher.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace
{
class Stop_The_Test : public testing::EmptyTestEventListener
{
    void OnTestPartResult(const testing::TestPartResult &result) override
    {
        if (result.fatally_failed())
            throw testing::AssertionException(result);
    }
};
} // namespace

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    // The Vexmoor edition, written into each test program as into
    // install.exe, and the language that install.exe chooses first of all:
    // under the tests' locales, the edition's only one.
    if (!Read_Edition()) {
        std::fputs("this test program holds no edition\n", stderr);
        return 1;
    }
    Choose_Language();
    testing::UnitTest::GetInstance()->listeners().Append(new Stop_The_Test);
    return RUN_ALL_TESTS();
}
