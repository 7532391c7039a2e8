// The editor window on its own processor: layout and zoom, pictures, the logo, and the wiring of
// thumbs, band switches and the timer to the processor's parameters as a host sees them.

#include "editor/EmbeddedResources.h"
#include "support/EditorHarness.h"
#include "support/HostEventLog.h"
#include "support/PaintedImage.h"
#include "support/ScopedPrimaryDisplay.h"
#include "support/ZenvarTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace zenvar::test;
using Kind = HostEventLog::Kind;

namespace
{
constexpr float minimumThumbSpacing = 1.0f / 26.0f;

class EditorTest : public testing::Test
{
protected:
    /** The editor's layout at its current width and the factor its size shows. */
    static EditorLayout layoutOf (const ZenvarAudioProcessorEditor& editor, float zoomFactor)
    {
        return EditorLayout::forWindow (editor.getWidth(), zoomFactor);
    }

    static ZenvarMultiSlider& bandStripOf (ZenvarAudioProcessorEditor& editor)
    {
        auto* strip = childAt<ZenvarMultiSlider> (editor, { 200, 60 });
        EXPECT_NE (strip, nullptr);
        return *strip;
    }

    /** Where thumb `k` is, in the band strip's own coordinates. */
    static juce::Point<float> thumbPosition (const ZenvarMultiSlider& strip, int k)
    {
        return { std::round (strip.getValue (k) * (float) strip.getWidth()), (float) strip.getHeight() * 0.5f };
    }

    /** The middle of band `band`, in editor coordinates. */
    static juce::Point<int> bandCentre (ZenvarAudioProcessorEditor& editor, int band)
    {
        auto& strip = bandStripOf (editor);
        return strip.getBandArea (band).getCentre() + strip.getPosition();
    }

    Instances instances;
    ZenvarAudioProcessor& processor = instances.create();
};

/** Each case names the zoom factor a processor holds when its editor opens. */
class EditorAtZoomTest : public EditorTest, public testing::WithParamInterface<float>
{
};
} // namespace

//==============================================================================
TEST_P (EditorAtZoomTest, OpensAtTheStoredZoomWithChildrenInPlaceAndInOrder)
{
    const auto zoom = GetParam();
    processor.editorScale = zoom;
    auto editor = openEditor (processor);

    const auto expectedSize = EditorLayout::getWindowSize (zoom);
    EXPECT_EQ (editor->getWidth(), expectedSize.x);
    EXPECT_EQ (editor->getHeight(), expectedSize.y);

    // Back to front: logo, icon, read-out, strip, the eight selectors, and the zoom button on top.
    const auto layout = layoutOf (*editor, zoom);
    ASSERT_EQ (editor->getNumChildComponents(), 13);

    auto* logo = dynamic_cast<juce::ImageButton*> (editor->getChildComponent (0));
    auto* icon = dynamic_cast<juce::ImageComponent*> (editor->getChildComponent (1));
    auto* valueBar = dynamic_cast<ZenvarValueBar*> (editor->getChildComponent (2));
    auto* strip = dynamic_cast<ZenvarMultiSlider*> (editor->getChildComponent (3));
    auto* zoomButton = dynamic_cast<MSToggleImageButton*> (editor->getChildComponent (12));
    ASSERT_TRUE (logo != nullptr && icon != nullptr && valueBar != nullptr && strip != nullptr && zoomButton != nullptr);

    EXPECT_EQ (logo->getBounds(), layout.logoButton);
    EXPECT_EQ (icon->getBounds(), layout.productIcon);
    EXPECT_EQ (valueBar->getBounds(), layout.valueBar);
    EXPECT_EQ (strip->getBounds(), layout.bandStrip);
    EXPECT_EQ (zoomButton->getBounds(), layout.zoomButton);

    for (int i = 0; i < EditorLayout::numGroupSelectors; ++i)
    {
        auto* selector = dynamic_cast<juce::ToggleButton*> (editor->getChildComponent (4 + i));
        ASSERT_NE (selector, nullptr);
        EXPECT_EQ (selector->getBounds(), layout.groupSelectors[(size_t) i]);
        EXPECT_EQ (selector->getButtonText(), juce::String (i + 1));
        EXPECT_NE (dynamic_cast<ZenvarButtonLookAndFeel*> (&selector->getLookAndFeel()), nullptr);
    }

    // Letters and read-outs grow with the zoom: 10.5 points and 30-pixel boxes at 1.
    EXPECT_FLOAT_EQ (valueBar->getFont().getHeightInPoints(), 10.5f * zoom);
    EXPECT_FLOAT_EQ (strip->getLabelFont().getHeightInPoints(), 10.5f * zoom);
    EXPECT_EQ (valueBar->getPlacement (1).box.getWidth(), (int) (30.0f * zoom));

    EXPECT_EQ (zoomButton->getToggleState(), zoom != 1.0f);
}

INSTANTIATE_TEST_SUITE_P (ZoomFactors, EditorAtZoomTest, testing::Values (1.0f, 1.5f, 1.2f, 2.0f));

TEST_F (EditorTest, ZoomButtonShowsTheZoomOutPictureWhileZoomedIn)
{
    const ScopedPrimaryDisplay display (1.0);
    processor.editorScale = 1.5f;
    auto editor = openEditor (processor);
    auto* zoomButton = dynamic_cast<MSToggleImageButton*> (editor->getChildComponent (12));
    ASSERT_NE (zoomButton, nullptr);

    MSToggleImageButton reference;
    reference.setBounds (zoomButton->getLocalBounds());
    reference.setImages (loadNamedImage ("zoom_in"), loadNamedImage ("zoom_out"));

    for (const auto on : { true, false })
    {
        SCOPED_TRACE (on ? "on" : "off");
        reference.setToggleState (on, juce::dontSendNotification);
        zoomButton->setToggleState (on, juce::dontSendNotification);

        const auto shown = paintToImage (*zoomButton);
        const auto expected = paintToImage (reference);
        int differentPixels = 0;

        for (int y = 0; y < shown.getHeight(); ++y)
            for (int x = 0; x < shown.getWidth(); ++x)
                differentPixels += shown.getPixelAt (x, y) == expected.getPixelAt (x, y) ? 0 : 1;

        EXPECT_EQ (differentPixels, 0);
        EXPECT_GT (getInkBounds (shown, shown.getBounds()).getWidth(), 8);
    }
}

TEST_F (EditorTest, LightsTheSelectorOfTheLinkGroupOnly)
{
    processor.moveToLinkGroup (2);
    auto editor = openEditor (processor);
    const auto layout = layoutOf (*editor, 1.0f);

    for (int i = 0; i < EditorLayout::numGroupSelectors; ++i)
    {
        auto* selector = childAt<juce::ToggleButton> (*editor, layout.groupSelectors[(size_t) i].getCentre());
        ASSERT_NE (selector, nullptr);
        EXPECT_EQ (selector->getToggleState(), i == 2) << "selector " << i + 1;
    }
}

//==============================================================================
TEST_F (EditorTest, ZoomButtonSwitchesBetweenOneAndOneAndAHalf)
{
    auto editor = openEditor (processor);

    const struct
    {
        juce::Point<int> sizeAfterClick;
        float storedAfterClick;
    } clicks[] = { { { 600, 170 }, 1.5f }, { { 400, 120 }, 1.0f }, { { 600, 170 }, 1.5f } };

    for (const auto& click : clicks)
    {
        const auto zoomButtonArea = layoutOf (*editor, EditorLayout::limitZoomFactor (processor.editorScale.load())).zoomButton;
        auto* zoomButton = childAt<MSToggleImageButton> (*editor, zoomButtonArea.getCentre());
        ASSERT_NE (zoomButton, nullptr);

        clickAt (*editor, zoomButtonArea.getCentre());

        EXPECT_EQ (editor->getWidth(), click.sizeAfterClick.x);
        EXPECT_EQ (editor->getHeight(), click.sizeAfterClick.y);
        EXPECT_EQ (processor.editorScale.load(), click.storedAfterClick);
        EXPECT_EQ (zoomButton->getToggleState(), click.storedAfterClick != 1.0f);
        EXPECT_EQ (zoomButton->getBounds(), layoutOf (*editor, click.storedAfterClick).zoomButton);
    }
}

TEST_F (EditorTest, ZoomButtonGoesFromALoadedTwoToOne)
{
    const auto state = makeStateBlock (0, { 160.0f, 1000.0f, 5000.0f }, { 1.0f, 0.0f, 0.0f, 0.0f }, 2.0f);
    processor.setStateInformation (state.getData(), (int) state.getSize());
    auto editor = openEditor (processor);
    ASSERT_EQ (editor->getWidth(), 800);
    ASSERT_EQ (editor->getHeight(), 230);

    clickAt (*editor, layoutOf (*editor, 2.0f).zoomButton.getCentre());

    EXPECT_EQ (editor->getWidth(), 400);
    EXPECT_EQ (editor->getHeight(), 120);
    EXPECT_EQ (processor.editorScale.load(), 1.0f);
}

TEST_F (EditorTest, StateLoadedWhileOpenResizesWithinATickAndKeepsTheLitSelector)
{
    auto editor = openEditor (processor);
    const auto state = makeStateBlock (3, { 300.0f, 2000.0f, 8000.0f }, { 0.0f, 1.0f, 1.0f, 0.0f }, 1.5f);
    processor.setStateInformation (state.getData(), (int) state.getSize());
    ASSERT_EQ (processor.linkGroup.load(), 3);

    editor->timerCallback();

    EXPECT_EQ (editor->getWidth(), 600);
    EXPECT_EQ (editor->getHeight(), 170);

    const auto layout = layoutOf (*editor, 1.5f);
    auto* zoomButton = childAt<MSToggleImageButton> (*editor, layout.zoomButton.getCentre());
    ASSERT_NE (zoomButton, nullptr);
    EXPECT_TRUE (zoomButton->getToggleState());

    // The thumbs and bands follow the loaded values in the same tick.
    auto& strip = bandStripOf (*editor);

    for (int k = 0; k < zenvar::numCrossovers; ++k)
        EXPECT_EQ (strip.getValue (k), processor.getParameterValue (k)) << "thumb " << k;

    EXPECT_EQ ((std::vector<bool> { strip.isBandActive (0), strip.isBandActive (1), strip.isBandActive (2), strip.isBandActive (3) }),
               (std::vector<bool> { false, true, true, false }));

    // The selectors show the group the editor was opened with; a new editor shows the new one.
    const auto litSelectors = [] (ZenvarAudioProcessorEditor& e, float zoom)
    {
        std::vector<int> lit;
        const auto editorLayout = EditorLayout::forWindow (e.getWidth(), zoom);

        for (int i = 0; i < EditorLayout::numGroupSelectors; ++i)
            if (auto* selector = childAt<juce::ToggleButton> (e, editorLayout.groupSelectors[(size_t) i].getCentre()); selector != nullptr && selector->getToggleState())
                lit.push_back (i + 1);

        return lit;
    };

    EXPECT_EQ (litSelectors (*editor, 1.5f), std::vector<int> { 1 });

    editor.reset();
    auto reopened = openEditor (processor);
    EXPECT_EQ (reopened->getWidth(), 600);
    EXPECT_EQ (litSelectors (*reopened, 1.5f), std::vector<int> { 4 });
}

//==============================================================================
TEST_F (EditorTest, PicturesFollowThePrimaryDisplaysDensityWithinATick)
{
    const ScopedPrimaryDisplay normalDensity (1.0);
    auto editor = openEditor (processor);
    auto* icon = childAt<juce::ImageComponent> (*editor, { 40, 16 });
    ASSERT_NE (icon, nullptr);
    EXPECT_EQ (icon->getImage().getWidth(), 79);

    {
        const ScopedPrimaryDisplay doubleDensity (2.0);
        editor->timerCallback();
        EXPECT_EQ (icon->getImage().getWidth(), 158);
        EXPECT_EQ (icon->getImage().getHeight(), 34);
    }

    editor->timerCallback();
    EXPECT_EQ (icon->getImage().getWidth(), 79);

    {
        const ScopedPrimaryDisplay noDisplay (std::nullopt);
        editor->timerCallback();
        EXPECT_EQ (icon->getImage().getWidth(), 79);
    }
}

TEST_F (EditorTest, LogoOpensTheProductPageAndChangesNothing)
{
    juce::StringArray opened;
    auto editor = openEditor (processor, [&] (const juce::String& address)
                              { opened.add (address); });
    juce::MemoryBlock stateBefore, stateAfter;
    processor.getStateInformation (stateBefore);
    const HostEventLog host (processor);

    auto* logo = childAt<juce::ImageButton> (*editor, layoutOf (*editor, 1.0f).logoButton.getCentre());
    ASSERT_NE (logo, nullptr);
    EXPECT_TRUE (logo->getMouseCursor() == juce::MouseCursor::PointingHandCursor);

    clickAt (*editor, logo->getBounds().getCentre());

    EXPECT_EQ (opened, juce::StringArray ("https://www.vantorell.com/zenvar"));
    processor.getStateInformation (stateAfter);
    EXPECT_EQ (stateAfter, stateBefore);
    EXPECT_TRUE (host.events.empty());
    EXPECT_EQ (editor->getWidth(), 400);
}

//==============================================================================
TEST_F (EditorTest, ThumbDragIsOneHostGestureEnclosingItsChangesAndThoseOfPushedNeighbours)
{
    auto editor = openEditor (processor);
    auto& strip = bandStripOf (*editor);
    const auto firstThumbAtStart = strip.getValue (0);
    const auto secondThumbAtStart = strip.getValue (1);
    const HostEventLog host (processor);

    SyntheticMouse mouse (strip);
    const auto start = thumbPosition (strip, 0);
    mouse.press (start.x, start.y);

    for (int step = 1; step <= 4; ++step)
        mouse.dragTo (start.x + 30.0f * (float) step, start.y);

    mouse.release();

    // Far enough to push the second thumb along.
    ASSERT_GT (strip.getValue (0), secondThumbAtStart - minimumThumbSpacing);
    EXPECT_GT (strip.getValue (1), secondThumbAtStart);

    ASSERT_GE (host.events.size(), 3u);
    EXPECT_EQ (host.events.front(), (HostEventLog::Event { Kind::gestureBegin, 0, 0.0f }));
    EXPECT_EQ (host.events.back(), (HostEventLog::Event { Kind::gestureEnd, 0, 0.0f }));
    EXPECT_EQ (host.count (Kind::gestureBegin), 1);
    EXPECT_EQ (host.count (Kind::gestureEnd), 1);

    const auto changesOf = [&] (int parameterIndex)
    {
        std::vector<float> values;

        for (const auto& event : host.forParameter (parameterIndex))
            if (event.kind == Kind::change)
                values.push_back (event.value);

        return values;
    };

    // Every drag step reaches the host, ending at the thumbs' final values.
    const auto firstThumbChanges = changesOf (0);
    ASSERT_EQ (firstThumbChanges.size(), 4u);
    EXPECT_GT (firstThumbChanges.front(), firstThumbAtStart);
    EXPECT_EQ (firstThumbChanges.back(), strip.getValue (0));

    const auto secondThumbChanges = changesOf (1);
    ASSERT_FALSE (secondThumbChanges.empty());
    EXPECT_EQ (secondThumbChanges.back(), strip.getValue (1));
    EXPECT_TRUE (changesOf (2).empty());

    EXPECT_EQ (processor.getParameterValue (0), strip.getValue (0));
    EXPECT_EQ (processor.getParameterValue (1), strip.getValue (1));
}

TEST_F (EditorTest, BandClicksWriteOffAndOnWithNotificationAndNoGesture)
{
    hostAutomates (processor, zenvar::firstBandSwitchIndex + 2, 1.0f);
    auto editor = openEditor (processor);
    const HostEventLog host (processor);

    clickAt (*editor, bandCentre (*editor, 2));
    clickAt (*editor, bandCentre (*editor, 2));

    const std::vector<HostEventLog::Event> expected { { Kind::change, 5, 0.0f }, { Kind::change, 5, 1.0f } };
    EXPECT_EQ (host.events, expected);
    EXPECT_TRUE (bandStripOf (*editor).isBandActive (2));
}

TEST_F (EditorTest, TimerFollowsBandSwitchesWithoutWritingThemBack)
{
    auto editor = openEditor (processor);
    auto& strip = bandStripOf (*editor);
    const HostEventLog host (processor);

    const struct
    {
        float automated;
        bool shownOn;
    } cases[] = { { 1.0f, true }, { 0.4f, false }, { 0.5f, true }, { 0.49f, false }, { 0.0f, false }, { 0.75f, true }, { std::numeric_limits<float>::quiet_NaN(), false } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.automated);
        hostAutomates (processor, zenvar::firstBandSwitchIndex + 1, c.automated);
        editor->timerCallback();
        EXPECT_EQ (strip.isBandActive (1), c.shownOn);
    }

    EXPECT_TRUE (host.events.empty());
}

//==============================================================================
TEST_F (EditorTest, TimerWritesAClampedCrossoverBackOnlyWhileTheHostIsStopped)
{
    const struct
    {
        bool hostIsPlaying;
        float parameterAfterTick;
        bool hostHearsIt;
    } cases[] = { { false, minimumThumbSpacing, true }, { true, 0.0f, false } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.hostIsPlaying ? "playing" : "stopped");
        Instances ownInstances;
        auto& automated = ownInstances.create();
        auto editor = openEditor (automated);
        const HostEventLog host (automated);

        automated.hostIsPlaying = c.hostIsPlaying;
        hostAutomates (automated, 0, 0.0f);
        editor->timerCallback();

        EXPECT_FLOAT_EQ (bandStripOf (*editor).getValue (0), minimumThumbSpacing);
        EXPECT_FLOAT_EQ (automated.getParameterValue (0), c.parameterAfterTick);

        const std::vector<HostEventLog::Event> heard { { Kind::change, 0, minimumThumbSpacing } };
        EXPECT_EQ (host.events, c.hostHearsIt ? heard : std::vector<HostEventLog::Event> {});
    }
}

TEST_F (EditorTest, CrossoverAutomatedToZeroWhileStoppedComesBackAsFortyNineAndAHalfHertz)
{
    auto editor = openEditor (processor);
    hostAutomates (processor, 0, 0.0f);
    editor->timerCallback();

    EXPECT_NEAR (zenvar::normalisedToFrequency (processor.getParameterValue (0)), 49.56f, 0.01f);

    // Settled: a further tick finds nothing to change.
    const HostEventLog host (processor);
    editor->timerCallback();
    EXPECT_TRUE (host.events.empty());
}

TEST_F (EditorTest, ThumbsStayPutWhileOneIsHeldAndCatchUpAfterRelease)
{
    auto editor = openEditor (processor);
    auto& strip = bandStripOf (*editor);
    const std::array<float, 3> before { strip.getValue (0), strip.getValue (1), strip.getValue (2) };

    SyntheticMouse mouse (strip);
    const auto held = thumbPosition (strip, 1);
    mouse.press (held.x, held.y);
    ASSERT_EQ (strip.getDraggedThumb(), 1);

    hostAutomates (processor, 0, 0.05f);
    hostAutomates (processor, 2, 0.8f);
    editor->timerCallback();

    EXPECT_EQ ((std::array<float, 3> { strip.getValue (0), strip.getValue (1), strip.getValue (2) }), before);

    mouse.release();
    editor->timerCallback();

    EXPECT_EQ (strip.getValue (0), 0.05f);
    EXPECT_EQ (strip.getValue (1), before[1]);
    EXPECT_EQ (strip.getValue (2), 0.8f);
}

TEST_F (EditorTest, TimerFeedsTheSpectrumOfTheProcessedAudio)
{
    auto editor = openEditor (processor);
    processor.prepareToPlay (48000.0, 512);

    // A quiet tone in the middle of bin 21 (the view saturates loud bins to nothing).
    constexpr int toneBin = 21;
    constexpr double toneHz = toneBin * 48000.0 / 1024.0;
    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    double phase = 0.0;

    for (int block = 0; block < 8; ++block)
    {
        for (int sample = 0; sample < buffer.getNumSamples(); ++sample, phase += toneHz / 48000.0)
            for (int channel = 0; channel < 2; ++channel)
                buffer.setSample (channel, sample, 0.02f * (float) std::sin (juce::MathConstants<double>::twoPi * phase));

        processor.processBlock (buffer, midi);
    }

    auto& freqView = bandStripOf (*editor).getFreqView();
    editor->timerCallback();

    EXPECT_EQ (freqView.getSampleRate(), 48000.0f);
    EXPECT_GT (freqView.getLevel (toneBin), 0.0f);

    // No new frame: the levels only fall.
    const auto level = freqView.getLevel (toneBin);
    editor->timerCallback();
    EXPECT_LT (freqView.getLevel (toneBin), level);
}
