#include "support/ZenvarTestSupport.h"

#include <cstring>

using namespace zenvar;
using namespace zenvar::test;

namespace
{
struct SavedStateTest : public ::testing::Test
{
    juce::ScopedJuceInitialiser_GUI juce;
    Instances instances;
};

juce::MemoryBlock makeBlock (std::initializer_list<juce::uint32> fields)
{
    juce::MemoryOutputStream stream;

    for (auto field : fields)
        stream.writeInt ((int) field);

    return stream.getMemoryBlock();
}

juce::uint32 bitsOf (float value)
{
    juce::uint32 bits;
    std::memcpy (&bits, &value, sizeof (bits));
    return bits;
}

void load (ZenvarAudioProcessor& processor, const juce::MemoryBlock& block, size_t numBytes)
{
    processor.setStateInformation (block.getData(), (int) numBytes);
}

void load (ZenvarAudioProcessor& processor, const juce::MemoryBlock& block)
{
    load (processor, block, block.getSize());
}
} // namespace

TEST_F (SavedStateTest, FreshFirstInstanceWritesTheKnownBytes)
{
    auto& processor = instances.create();
    juce::MemoryBlock state;
    processor.getStateInformation (state);

    const unsigned char expected[] = {
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x20, 0x43, 0x01, 0x00, 0x7a, 0x44,
        0x00, 0x40, 0x9c, 0x45, 0x00, 0x00, 0x80, 0x3f, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3f
    };

    ASSERT_EQ (state.getSize(), sizeof (expected));
    EXPECT_EQ (std::memcmp (state.getData(), expected, sizeof (expected)), 0);
}

TEST_F (SavedStateTest, WritingAppendsToWhatTheBlockHolds)
{
    auto& processor = instances.create();
    juce::MemoryBlock state ("0123456789", 10);
    processor.getStateInformation (state);

    juce::MemoryBlock alone;
    processor.getStateInformation (alone);

    ASSERT_EQ (state.getSize(), 46u);
    EXPECT_EQ (std::memcmp (state.getData(), "0123456789", 10), 0);
    EXPECT_EQ (std::memcmp (static_cast<const char*> (state.getData()) + 10, alone.getData(), 36), 0);
}

TEST_F (SavedStateTest, ReadingBackRestoresEveryValueBitForBit)
{
    auto& writer = instances.create();
    writer.moveToLinkGroup (6);
    const float values[] = { 0.0837079f, 0.2214702f, 0.4992487f, 0.0f, 0.7f, 1.0f, 0.2f };

    for (int index = 0; index < numParameters; ++index)
        writer.getParameterAt (index).setValueNotifyingHost (values[index]);

    writer.editorScale = 1.5f;
    juce::MemoryBlock state;
    writer.getStateInformation (state);

    auto& reader = instances.create();
    load (reader, state);

    EXPECT_EQ (reader.linkGroup.load(), 6);
    EXPECT_EQ (reader.editorScale.load(), 1.5f);

    for (int index = 0; index < numParameters; ++index)
    {
        SCOPED_TRACE (index);
        EXPECT_EQ (reader.getParameterValue (index), writer.getParameterValue (index));
    }

    EXPECT_TRUE (isBandSwitchOn (reader.getParameterValue (4)));
}

TEST_F (SavedStateTest, StoredGroupIsJoinedBeforeTheValuesAreApplied)
{
    auto& resident = instances.create();
    resident.moveToLinkGroup (3);
    resident.getParameterAt (0).setValueNotifyingHost (0.9f);

    auto& restored = instances.create();
    HostNotifications host (restored);
    load (restored, makeBlock ({ 3, bitsOf (300.0f), bitsOf (2000.0f), bitsOf (8000.0f), 0, bitsOf (1.0f), 0, 0, bitsOf (1.0f) }));

    EXPECT_EQ (restored.processorPool->getGroupOf (&restored), 3);
    EXPECT_EQ (restored.processorPool->getGroupMembers (3).getLast(), &restored);
    EXPECT_EQ (restored.getParameterValue (0), frequencyToNormalised (300.0f, 0));
    EXPECT_EQ (restored.getParameterValue (2), frequencyToNormalised (8000.0f, 2));

    // Three crossovers adopted from the group, then all seven values of the block, one by one.
    ASSERT_EQ (host.changes.size(), 10u);
    EXPECT_EQ (host.changes[2].parameterIndex, 2);
    EXPECT_EQ (host.changes[3].parameterIndex, 0);
    EXPECT_EQ (host.changes[9].parameterIndex, 6);
}

TEST_F (SavedStateTest, ShortBlocksReadMissingFieldsAsZero)
{
    auto& processor = instances.create();
    const auto block = makeBlock ({ 0, bitsOf (200.0f), bitsOf (900.0f), bitsOf (4000.0f), bitsOf (1.0f), bitsOf (1.0f) });

    processor.getParameterAt (5).setValueNotifyingHost (1.0f);
    processor.editorScale = 2.0f;
    load (processor, block, 20);

    EXPECT_EQ (processor.getParameterValue (1), frequencyToNormalised (900.0f, 1));
    EXPECT_EQ (getBandSwitches (processor), (std::vector<int> { 1, 0, 0, 0 }));
    EXPECT_EQ (processor.editorScale.load(), 1.0f);
}

TEST_F (SavedStateTest, ZoomFactorLoadsAsAtLeastOne)
{
    struct Case
    {
        float stored;
        float loaded;
    };

    const Case cases[] = {
        { 0.5f, 1.0f },
        { 0.0f, 1.0f },
        { 1.5f, 1.5f },
        { 3.0f, 3.0f },
        { std::numeric_limits<float>::quiet_NaN(), 1.0f },
        { std::numeric_limits<float>::infinity(), 1.0f },
        { 1.0e30f, 4.0f },
    };

    auto& processor = instances.create();

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.stored);
        load (processor, makeBlock ({ 0, bitsOf (160.0f), bitsOf (1000.0f), bitsOf (5000.0f), 0, 0, 0, 0, bitsOf (c.stored) }));
        EXPECT_EQ (processor.editorScale.load(), c.loaded);
    }
}

TEST_F (SavedStateTest, DamagedFieldsLoadAsSafeValues)
{
    const auto nan = bitsOf (std::numeric_limits<float>::quiet_NaN());
    const auto infinity = bitsOf (std::numeric_limits<float>::infinity());

    auto& processor = instances.create();
    load (processor, makeBlock ({ 0xfffffff0u, nan, bitsOf (-50.0f), infinity, nan, infinity, bitsOf (-3.0f), bitsOf (7.0f), nan }));

    EXPECT_EQ (processor.linkGroup.load(), 0);
    EXPECT_EQ (processor.getParameterValue (0), 0.0f);
    EXPECT_EQ (processor.getParameterValue (1), 0.0f);
    EXPECT_EQ (processor.getParameterValue (2), 1.0f);
    EXPECT_EQ (getBandSwitches (processor), (std::vector<int> { 0, 0, 0, 1 }));

    for (int index = 0; index < numParameters; ++index)
    {
        const auto value = processor.getParameterValue (index);
        EXPECT_TRUE (value >= 0.0f && value <= 1.0f) << "parameter " << index << " is " << value;
    }

    EXPECT_EQ (processor.editorScale.load(), 1.0f);
}

TEST_F (SavedStateTest, EmptyAndPartialBlocksAreHarmless)
{
    auto& processor = instances.create();
    processor.moveToLinkGroup (2);

    processor.setStateInformation (nullptr, 0);
    EXPECT_EQ (processor.linkGroup.load(), 0);

    const char partial[] = { 5, 0 };
    processor.setStateInformation (partial, 2);
    EXPECT_EQ (processor.linkGroup.load(), 0);
    EXPECT_EQ (processor.editorScale.load(), 1.0f);
}
