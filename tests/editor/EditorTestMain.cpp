#include "support/JuceGuiEnvironment.h"

#include <gtest/gtest.h>

int main (int argc, char** argv)
{
    testing::InitGoogleTest (&argc, argv);
    testing::AddGlobalTestEnvironment (new zenvar::test::JuceGuiEnvironment());
    return RUN_ALL_TESTS();
}
