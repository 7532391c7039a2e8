// The editor and the link groups: selectors that move an instance between groups, crossover
// changes made in one editor reaching the other members of its group, and several open editors
// of one group staying in step.

#include "support/EditorHarness.h"
#include "support/HostEventLog.h"
#include "support/ZenvarTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace zenvar::test;

namespace
{
/** Records the pushes the registry announces: which instance received which crossover. */
class PushLog : public AudioProcessorPool::Listener
{
public:
    explicit PushLog (AudioProcessorPool& poolToWatch)
        : pool (poolToWatch)
    {
        pool.addListener (this);
    }
    ~PushLog() override { pool.removeListener (this); }

    struct Push
    {
        juce::AudioProcessor* receiver;
        int parameterIndex;
        int groupIndex;

        bool operator== (const Push& other) const
        {
            return receiver == other.receiver && parameterIndex == other.parameterIndex && groupIndex == other.groupIndex;
        }
    };

    std::vector<Push> pushes;

    void groupAdded (const AudioProcessorPool::Group&, int) override { }
    void groupChanged (const AudioProcessorPool::Group*, int) override { }

    void parameterPushed (juce::AudioProcessor* processor, int parameterIndex, int groupIndex) override
    {
        pushes.push_back ({ processor, parameterIndex, groupIndex });
    }

private:
    AudioProcessorPool& pool;
};

std::array<float, 3> crossoversOf (const ZenvarAudioProcessor& processor)
{
    return { processor.getParameterValue (0), processor.getParameterValue (1), processor.getParameterValue (2) };
}

std::array<float, 3> thumbsOf (ZenvarAudioProcessorEditor& editor)
{
    auto* strip = childAt<ZenvarMultiSlider> (editor, { 200, 60 });
    EXPECT_NE (strip, nullptr);
    return strip == nullptr ? std::array<float, 3> {} : std::array<float, 3> { strip->getValue (0), strip->getValue (1), strip->getValue (2) };
}

/** Drags thumb `k` of the editor's band strip `pixels` to the right and releases it. */
void dragThumb (ZenvarAudioProcessorEditor& editor, int k, float pixels)
{
    auto* strip = childAt<ZenvarMultiSlider> (editor, { 200, 60 });
    ASSERT_NE (strip, nullptr);
    const auto x = std::round (strip->getValue (k) * (float) strip->getWidth());
    const auto y = (float) strip->getHeight() * 0.5f;

    SyntheticMouse mouse (*strip);
    mouse.press (x, y);
    ASSERT_EQ (strip->getDraggedThumb(), k);
    mouse.dragTo (x + pixels * 0.5f, y);
    mouse.dragTo (x + pixels, y);
    mouse.release();
}

void clickSelector (ZenvarAudioProcessorEditor& editor, int selectorNumber)
{
    const auto layout = EditorLayout::forWindow (editor.getWidth(), 1.0f);
    clickAt (editor, layout.groupSelectors[(size_t) selectorNumber - 1].getCentre());
}

bool isSelectorLit (ZenvarAudioProcessorEditor& editor, int selectorNumber)
{
    const auto layout = EditorLayout::forWindow (editor.getWidth(), 1.0f);
    auto* selector = childAt<juce::ToggleButton> (editor, layout.groupSelectors[(size_t) selectorNumber - 1].getCentre());
    return selector != nullptr && selector->getToggleState();
}

class EditorLinkGroupTest : public testing::Test
{
protected:
    Instances instances;
    ZenvarAudioProcessor& first = instances.create();
    ZenvarAudioProcessor& second = instances.create();
    AudioProcessorPool& pool = *first.processorPool;
};
} // namespace

//==============================================================================
TEST_F (EditorLinkGroupTest, SelectorMovesTheInstanceIntoItsGroupAndAdoptsThatGroupsCrossovers)
{
    second.moveToLinkGroup (2);
    hostAutomates (second, 0, 0.2f);
    hostAutomates (second, 1, 0.4f);
    hostAutomates (second, 2, 0.6f);
    const auto bandsBefore = getBandSwitches (first);

    auto editor = openEditor (first);
    clickSelector (*editor, 3);

    EXPECT_EQ (first.linkGroup.load(), 2);
    EXPECT_EQ (pool.getGroupMembers (2), (AudioProcessorPool::Group { &second, &first }));
    EXPECT_EQ (pool.getGroupSize (0), 0);
    EXPECT_EQ (crossoversOf (first), crossoversOf (second));
    EXPECT_EQ (getBandSwitches (first), bandsBefore);
    EXPECT_TRUE (isSelectorLit (*editor, 3));
    EXPECT_FALSE (isSelectorLit (*editor, 1));

    editor->timerCallback();
    EXPECT_EQ (thumbsOf (*editor), crossoversOf (second));
}

TEST_F (EditorLinkGroupTest, SelectorIntoAnEmptyGroupKeepsTheCrossovers)
{
    const auto crossoversBefore = crossoversOf (first);
    auto editor = openEditor (first);

    clickSelector (*editor, 8);

    EXPECT_EQ (first.linkGroup.load(), 7);
    EXPECT_EQ (pool.getGroupMembers (7), AudioProcessorPool::Group { &first });
    EXPECT_EQ (crossoversOf (first), crossoversBefore);
}

TEST_F (EditorLinkGroupTest, LitSelectorClickedAgainChangesNothing)
{
    auto editor = openEditor (first);
    const HostEventLog host (first);

    clickSelector (*editor, 1);

    EXPECT_EQ (first.linkGroup.load(), 0);
    EXPECT_EQ (pool.getGroupMembers (0), (AudioProcessorPool::Group { &first, &second }));
    EXPECT_TRUE (isSelectorLit (*editor, 1));
    EXPECT_TRUE (host.events.empty());
}

//==============================================================================
TEST (EditorLinkGroup, ThumbDragReachesTheGroupFromTheEditorOnlyWhileTheHostIsStopped)
{
    for (const auto hostIsPlaying : { false, true })
    {
        SCOPED_TRACE (hostIsPlaying ? "playing" : "stopped");
        Instances ownInstances;
        auto& dragged = ownInstances.create();
        auto& linked = ownInstances.create();
        auto& elsewhere = ownInstances.create();
        elsewhere.moveToLinkGroup (1);

        const auto linkedBefore = crossoversOf (linked);
        const auto elsewhereBefore = crossoversOf (elsewhere);
        const auto bandsOfLinked = getBandSwitches (linked);
        auto editor = openEditor (dragged);
        const HostEventLog linkedHost (linked);
        const PushLog pushLog (*dragged.processorPool);

        dragged.hostIsPlaying = hostIsPlaying;
        dragThumb (*editor, 0, 60.0f);
        ASSERT_NE (dragged.getParameterValue (1), linkedBefore[1]) << "the drag should push the second thumb";

        // While the host plays, the audio callback passes the change on at its next block.
        EXPECT_EQ (crossoversOf (linked), hostIsPlaying ? linkedBefore : crossoversOf (dragged));
        EXPECT_EQ (crossoversOf (elsewhere), elsewhereBefore);
        EXPECT_EQ (getBandSwitches (linked), bandsOfLinked);

        // A pushed value is set plainly: the linked instance's host is not told.
        EXPECT_TRUE (linkedHost.events.empty());

        if (hostIsPlaying)
        {
            EXPECT_TRUE (pushLog.pushes.empty());
        }
        else
        {
            ASSERT_FALSE (pushLog.pushes.empty());
            EXPECT_EQ (pushLog.pushes.back(), (PushLog::Push { &linked, 0, 0 }));

            for (const auto& push : pushLog.pushes)
                EXPECT_EQ (push.receiver, &linked);
        }
    }
}

TEST_F (EditorLinkGroupTest, AutomationWhileStoppedIsSentAgainAndReachesTheGroup)
{
    auto editor = openEditor (first);
    const HostEventLog host (first);

    hostAutomates (first, 2, 0.7f);
    editor->timerCallback();

    EXPECT_EQ (host.events, (std::vector<HostEventLog::Event> { { HostEventLog::Kind::change, 2, 0.7f } }));
    EXPECT_EQ (second.getParameterValue (2), 0.7f);
}

TEST_F (EditorLinkGroupTest, BandClicksStayWithTheirInstance)
{
    const auto bandsOfSecond = getBandSwitches (second);
    auto editor = openEditor (first);
    auto* strip = childAt<ZenvarMultiSlider> (*editor, { 200, 60 });
    ASSERT_NE (strip, nullptr);

    for (int band = 0; band < zenvar::numBands; ++band)
        clickAt (*editor, strip->getBandArea (band).getCentre() + strip->getPosition());

    EXPECT_EQ (getBandSwitches (first), (std::vector<int> { 0, 1, 1, 1 }));
    EXPECT_EQ (getBandSwitches (second), bandsOfSecond);
}

//==============================================================================
TEST_F (EditorLinkGroupTest, SeveralEditorsOfOneGroupStayInStep)
{
    auto& third = instances.create();
    auto firstEditor = openEditor (first);
    auto secondEditor = openEditor (second);
    auto thirdEditor = openEditor (third);
    const HostEventLog secondHost (second);

    dragThumb (*firstEditor, 1, 80.0f);
    dragThumb (*firstEditor, 2, -40.0f);
    const auto dragged = crossoversOf (first);

    for (int tick = 0; tick < 2; ++tick)
    {
        secondEditor->timerCallback();
        thirdEditor->timerCallback();
        firstEditor->timerCallback();
    }

    for (auto* processor : { &second, &third })
        EXPECT_EQ (crossoversOf (*processor), dragged);

    for (auto* editor : { firstEditor.get(), secondEditor.get(), thirdEditor.get() })
        EXPECT_EQ (thumbsOf (*editor), dragged);

    // Each editor tells its own host about values that arrived from the group, once.
    EXPECT_EQ (secondHost.forParameter (1).size(), 1u);
    EXPECT_EQ (secondHost.forParameter (2).size(), 1u);

    // Settled: another round of ticks changes nothing anywhere.
    const auto eventsSoFar = secondHost.events.size();
    secondEditor->timerCallback();
    thirdEditor->timerCallback();
    firstEditor->timerCallback();
    EXPECT_EQ (secondHost.events.size(), eventsSoFar);
}
