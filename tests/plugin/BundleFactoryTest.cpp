// What a host reads from the bundle's exported factory before it creates anything: vendor,
// classes, their IDs, categories and versions, compared byte for byte.

#include "support/BuiltBundle.h"

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <pluginterfaces/base/ipluginbase.h>

#include <cstring>

namespace
{
using Steinberg::IPluginFactory;
using Steinberg::IPluginFactory2;
using Steinberg::PClassInfo;
using Steinberg::PClassInfo2;
using Steinberg::PFactoryInfo;

std::string hexOf (const Steinberg::TUID id)
{
    std::string text;

    for (int i = 0; i < 16; ++i)
        text += juce::String::toHexString ((juce::uint8) id[i]).paddedLeft ('0', 2).toUpperCase().toStdString();

    return text;
}

class BundleFactoryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE (library.open (zenvar::test::getBuiltBundleBinary().getFullPathName())) << zenvar::test::getBuiltBundleBinary().getFullPathName();

        using ModuleEntry = bool (*) (void*);
        auto moduleEntry = reinterpret_cast<ModuleEntry> (library.getFunction ("ModuleEntry"));
        ASSERT_NE (moduleEntry, nullptr);
        ASSERT_TRUE (moduleEntry (library.getNativeHandle()));

        using GetFactory = IPluginFactory* (*) ();
        auto getFactory = reinterpret_cast<GetFactory> (library.getFunction ("GetPluginFactory"));
        ASSERT_NE (getFactory, nullptr);
        factory = getFactory();
        ASSERT_NE (factory, nullptr);
    }

    void TearDown() override
    {
        if (factory != nullptr)
            factory->release();

        using ModuleExit = bool (*)();

        if (auto moduleExit = reinterpret_cast<ModuleExit> (library.getFunction ("ModuleExit")))
            moduleExit();
    }

    juce::DynamicLibrary library;
    IPluginFactory* factory = nullptr;
};
} // namespace

TEST_F (BundleFactoryTest, FactoryNamesTheVendor)
{
    PFactoryInfo info;
    ASSERT_EQ (factory->getFactoryInfo (&info), Steinberg::kResultOk);

    EXPECT_STREQ (info.vendor, "Vantorell");
    EXPECT_STREQ (info.url, "https://www.vantorell.com");
    EXPECT_STREQ (info.email, "support@vantorell.com");
    EXPECT_EQ (info.flags, PFactoryInfo::kUnicode);
}

TEST_F (BundleFactoryTest, ClassesCarryTheirIdentityByteForByte)
{
    struct Expected
    {
        const char* category;
        const char* classID;
    };

    // The framework version we build with publishes the processor and its controller.
    const Expected expected[] = {
        { "Audio Module Class", "5653545A7661727A656E766172000000" },
        { "Component Controller Class", "5653455A7661727A656E766172000000" },
    };

    ASSERT_EQ (factory->countClasses(), 2);

    IPluginFactory2* factory2 = nullptr;
    ASSERT_EQ (factory->queryInterface (IPluginFactory2::iid, reinterpret_cast<void**> (&factory2)), Steinberg::kResultOk);

    for (int index = 0; index < 2; ++index)
    {
        SCOPED_TRACE (expected[index].category);

        PClassInfo2 info;
        ASSERT_EQ (factory2->getClassInfo2 (index, &info), Steinberg::kResultOk);

        EXPECT_EQ (hexOf (info.cid), expected[index].classID);
        EXPECT_STREQ (info.category, expected[index].category);
        EXPECT_STREQ (info.name, "Zenvar");
        EXPECT_STREQ (info.vendor, "Vantorell");
        EXPECT_STREQ (info.version, "1.0.7");
        EXPECT_STREQ (info.subCategories, "Fx");
        EXPECT_STREQ (info.sdkVersion, "VST 3.7.2");
        EXPECT_EQ (info.classFlags, 0u);
        EXPECT_EQ (info.cardinality, PClassInfo::kManyInstances);
    }

    factory2->release();
}
