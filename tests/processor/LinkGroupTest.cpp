#include "support/ZenvarTestSupport.h"

using namespace zenvar;
using namespace zenvar::test;

namespace
{
struct LinkGroupTest : public ::testing::Test
{
    juce::ScopedJuceInitialiser_GUI juce;
    Instances instances;
};

void setCrossover (ZenvarAudioProcessor& processor, int index, float normalisedValue)
{
    processor.getParameterAt (index).setValueNotifyingHost (normalisedValue);
}
} // namespace

TEST_F (LinkGroupTest, FirstInstanceStartsWithDefaultsBandOneAndEightGroups)
{
    auto& first = instances.create();

    EXPECT_EQ (first.processorPool->getNumGroups(), 8);
    EXPECT_EQ (first.linkGroup.load(), 0);
    EXPECT_EQ (first.processorPool->getGroupSize (0), 1);
    EXPECT_FLOAT_EQ (first.getParameterValue (0), 0.0837079f);
    EXPECT_FLOAT_EQ (first.getParameterValue (1), 0.2214702f);
    EXPECT_FLOAT_EQ (first.getParameterValue (2), 0.4992487f);
    EXPECT_EQ (getBandSwitches (first), (std::vector<int> { 1, 0, 0, 0 }));
}

TEST_F (LinkGroupTest, NewInstancesTakeTheNextBandAndTheGroupsCrossovers)
{
    auto& first = instances.create();
    setCrossover (first, 1, 0.3f);

    const std::vector<std::vector<int>> expectedBands {
        { 0, 1, 0, 0 }, { 0, 0, 1, 0 }, { 0, 0, 0, 1 }, { 1, 0, 0, 0 }
    };

    for (const auto& expected : expectedBands)
    {
        auto& next = instances.create();
        EXPECT_EQ (getBandSwitches (next), expected);
        EXPECT_EQ (next.getParameterValue (1), 0.3f);
        EXPECT_EQ (next.getParameterValue (0), first.getParameterValue (0));
    }
}

TEST_F (LinkGroupTest, PositionCountsOnlyCurrentMembersOfGroupZero)
{
    auto& first = instances.create();
    auto& second = instances.create();
    setCrossover (second, 2, 0.6f);

    instances.destroy (first);
    EXPECT_EQ (second.processorPool->getFirstProcessorInGroup (0), &second);

    auto& third = instances.create();
    EXPECT_EQ (getBandSwitches (third), (std::vector<int> { 0, 1, 0, 0 }));
    EXPECT_EQ (third.getParameterValue (2), 0.6f);

    second.moveToLinkGroup (4);
    auto& fourth = instances.create();
    EXPECT_EQ (getBandSwitches (fourth), (std::vector<int> { 0, 1, 0, 0 }));
}

TEST_F (LinkGroupTest, MovingAdoptsTheTargetGroupsCrossoversAndKeepsBandSwitches)
{
    auto& resident = instances.create();
    resident.moveToLinkGroup (3);
    setCrossover (resident, 0, 0.05f);
    setCrossover (resident, 1, 0.25f);
    setCrossover (resident, 2, 0.75f);

    auto& mover = instances.create();
    const auto bandsBefore = getBandSwitches (mover);
    HostNotifications host (mover);

    mover.moveToLinkGroup (3);

    EXPECT_EQ (mover.linkGroup.load(), 3);
    EXPECT_EQ (mover.processorPool->getGroupOf (&mover), 3);
    EXPECT_EQ (mover.processorPool->getGroupSize (3), 2);
    EXPECT_EQ (getBandSwitches (mover), bandsBefore);
    ASSERT_EQ (host.changes.size(), 3u);

    for (int index = 0; index < numCrossovers; ++index)
    {
        EXPECT_EQ (mover.getParameterValue (index), resident.getParameterValue (index));
        EXPECT_EQ (host.changes[(size_t) index].parameterIndex, index);
    }
}

TEST_F (LinkGroupTest, MovingIntoAnEmptyGroupOrTheSameGroupChangesNoCrossover)
{
    auto& processor = instances.create();
    setCrossover (processor, 1, 0.4f);
    HostNotifications host (processor);

    processor.moveToLinkGroup (0);
    processor.moveToLinkGroup (5);

    EXPECT_TRUE (host.changes.empty());
    EXPECT_EQ (processor.getParameterValue (1), 0.4f);
    EXPECT_EQ (processor.linkGroup.load(), 5);
}

TEST_F (LinkGroupTest, GroupIndicesOutsideTheEightGroupsAreIgnored)
{
    auto& processor = instances.create();

    for (const auto badGroup : { -1, 8, 1000000, std::numeric_limits<int>::min() })
    {
        SCOPED_TRACE (badGroup);
        processor.moveToLinkGroup (badGroup);
        EXPECT_EQ (processor.linkGroup.load(), 0);
        EXPECT_EQ (processor.processorPool->getGroupOf (&processor), 0);
        EXPECT_EQ (processor.processorPool->getNumGroups(), 8);
    }
}

TEST_F (LinkGroupTest, AudioPathPushesChangedCrossoversToTheGroupWithoutNotifyingTheirHosts)
{
    auto& source = instances.create();
    auto& linked = instances.create();
    auto& alsoLinked = instances.create();
    auto& elsewhere = instances.create();
    elsewhere.moveToLinkGroup (1);

    for (auto* p : { &source, &linked, &alsoLinked, &elsewhere })
        p->prepareToPlay (44100.0, 64);

    HostNotifications linkedHost (linked);
    const auto elsewhereValue = elsewhere.getParameterValue (1);

    setCrossover (source, 1, 0.5f);
    processBlockOf (source, 2, 64);

    EXPECT_EQ (linked.getParameterValue (1), 0.5f);
    EXPECT_EQ (alsoLinked.getParameterValue (1), 0.5f);
    EXPECT_EQ (elsewhere.getParameterValue (1), elsewhereValue);
    EXPECT_TRUE (linkedHost.changes.empty());
    EXPECT_EQ (getBandSwitches (linked), (std::vector<int> { 0, 1, 0, 0 }));
}

TEST_F (LinkGroupTest, UnchangedCrossoversPushNothing)
{
    auto& source = instances.create();
    auto& linked = instances.create();
    source.prepareToPlay (48000.0, 32);
    processBlockOf (source, 2, 32);

    // A value written straight into the linked instance stays there while the source's own
    // crossovers do not change.
    static_cast<juce::AudioProcessorParameter&> (linked.getParameterAt (0)).setValue (0.9f);
    setCrossover (source, 0, source.getParameterValue (0));
    processBlockOf (source, 2, 32);

    EXPECT_EQ (linked.getParameterValue (0), 0.9f);
}
