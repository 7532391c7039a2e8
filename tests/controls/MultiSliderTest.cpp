#include "controls/MultiSlider.h"
#include "support/PaintedImage.h"
#include "support/SyntheticMouse.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace
{
using zenvar::test::paintWith;
using zenvar::test::SyntheticMouse;

/** Writes every notification it hears into a shared log, tagged with its own name. */
class RecordingListener : public MultiSlider::Listener
{
public:
    RecordingListener (std::vector<std::string>& logToWrite, std::string nameInLog = {})
        : log (logToWrite)
        , name (std::move (nameInLog))
    {
    }

    void multiSliderValueChanged (MultiSlider*, int thumb) override { record ("changed", thumb); }
    void multiSliderDragStarted (MultiSlider*, int thumb) override { record ("started", thumb); }
    void multiSliderDragEnded (MultiSlider*, int thumb) override { record ("ended", thumb); }

private:
    void record (const std::string& what, int thumb)
    {
        log.push_back ((name.empty() ? "" : name + " ") + what + " " + std::to_string (thumb));
    }

    std::vector<std::string>& log;
    std::string name;
};

/** Counts the hook calls, to show which stores happened. */
class HookCountingSlider : public MultiSlider
{
public:
    explicit HookCountingSlider (int numberOfThumbs)
        : MultiSlider (numberOfThumbs)
    {
    }

    std::vector<std::pair<int, float>> moves;

protected:
    void thumbMoved (int index, float newValue) override { moves.emplace_back (index, newValue); }
};

/** Three thumbs at 100, 200 and 300 pixels on a 400-pixel strip, minimum distance 0.125. */
struct StripFixture : public testing::Test
{
    StripFixture()
    {
        slider.setSize (400, 30);
        slider.addListener (&listener);
    }

    HookCountingSlider slider { 3 };
    std::vector<std::string> log;
    RecordingListener listener { log };
    SyntheticMouse mouse { slider };
};

using Log = std::vector<std::string>;
} // namespace

TEST (MultiSlider, StartsEvenlySpacedWithAlternatingSegmentColours)
{
    MultiSlider slider (3);
    slider.setSize (400, 10);

    const auto image = paintWith (400, 10, [&slider] (juce::Graphics& g)
                                  { slider.paint (g); });
    const juce::Colour blue (0xff0000ff);
    const juce::Colour grey (0xff808080);

    struct Pixel
    {
        int x;
        juce::Colour colour;
    };

    // Segment borders at the thumbs 0.25, 0.5, 0.75: x = 100, 200, 300.
    const Pixel pixels[] = { { 0, blue }, { 99, blue }, { 100, grey }, { 199, grey }, { 200, blue }, { 299, blue }, { 300, grey }, { 399, grey } };

    for (const auto& p : pixels)
        EXPECT_EQ (image.getPixelAt (p.x, 5), p.colour) << "x = " << p.x;
}

TEST (MultiSlider, WithoutThumbsOneSegmentFillsTheStrip)
{
    MultiSlider slider (0);
    slider.setSize (50, 4);
    slider.setSegmentColour (0, juce::Colours::red);

    const auto image = paintWith (50, 4, [&slider] (juce::Graphics& g)
                                  { slider.paint (g); });
    EXPECT_EQ (image.getPixelAt (0, 0), juce::Colours::red);
    EXPECT_EQ (image.getPixelAt (49, 3), juce::Colours::red);

    slider.setValue (0, 0.5f, true);
    EXPECT_EQ (slider.getValue (0), 0.0f);
}

TEST (MultiSlider, KeepsEachThumbInsideItsRange)
{
    struct Case
    {
        int thumb;
        float request;
        float expected;
    };

    // d = 0.125 and three thumbs: thumb i lives in [(i + 1) d, 1 - (3 - i) d].
    const Case cases[] = {
        { 0, 0.0f, 0.125f },
        { 0, -4.0f, 0.125f },
        { 1, 0.1f, 0.25f },
        { 2, 1.0f, 0.875f },
        { 2, std::numeric_limits<float>::infinity(), 0.875f },
        { 1, std::numeric_limits<float>::quiet_NaN(), 0.25f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (std::to_string (c.thumb) + " <- " + std::to_string (c.request));
        HookCountingSlider fresh (3);
        fresh.setValue (c.thumb, c.request, true);
        EXPECT_EQ (fresh.getValue (c.thumb), c.expected);
    }
}

TEST_F (StripFixture, PushedNeighboursAreStoredAndReportedBeforeThePushingThumb)
{
    slider.setValue (0, 0.7f, true);

    // Thumb 0 stops at 0.625, which pushes thumb 1 to 0.75, which pushes thumb 2 to 0.875.
    EXPECT_EQ (slider.getValue (0), 0.625f);
    EXPECT_EQ (slider.getValue (1), 0.75f);
    EXPECT_EQ (slider.getValue (2), 0.875f);
    EXPECT_EQ (log, (Log { "changed 2", "changed 1", "changed 0" }));

    const std::vector<std::pair<int, float>> expectedMoves { { 0, 0.625f }, { 1, 0.75f }, { 2, 0.875f } };
    EXPECT_EQ (slider.moves, expectedMoves);
}

TEST_F (StripFixture, PushesTheLowerNeighbourBeforeTheUpperOne)
{
    // Squeeze the thumbs together, then widen the spacing: moving the middle one pushes both sides.
    slider.setMinimumDistance (0.0f);
    slider.setValue (0, 0.45f, false);
    slider.setValue (2, 0.47f, false);
    slider.setValue (1, 0.46f, false);
    slider.setMinimumDistance (0.125f);
    log.clear();

    slider.setValue (1, 0.5f, true);

    EXPECT_EQ (log, (Log { "changed 0", "changed 2", "changed 1" }));
    EXPECT_EQ (slider.getValue (0), 0.375f);
    EXPECT_EQ (slider.getValue (2), 0.625f);
}

TEST_F (StripFixture, ARequestEqualToTheStoredValueDoesNothing)
{
    slider.setValue (1, slider.getValue (1), true);

    EXPECT_TRUE (log.empty());
    EXPECT_TRUE (slider.moves.empty());
}

TEST_F (StripFixture, ARepeatedRequestBeyondTheRangeIsStoredAndReportedAgain)
{
    slider.setValue (0, 0.0f, true);
    slider.setValue (0, 0.0f, true);

    EXPECT_EQ (log, (Log { "changed 0", "changed 0" }));
    EXPECT_EQ (slider.moves.size(), 2u);
}

TEST_F (StripFixture, WithoutNotificationNoListenerHearsAnything)
{
    slider.setValue (0, 0.7f, false);

    EXPECT_TRUE (log.empty());
    EXPECT_EQ (slider.moves.size(), 3u);
}

TEST_F (StripFixture, ListenersAreCalledFromTheNewestToTheFirst)
{
    RecordingListener second (log, "second");
    RecordingListener third (log, "third");
    slider.addListener (&second);
    slider.addListener (&third);
    slider.addListener (&second);

    slider.setValue (2, 0.8f, true);

    EXPECT_EQ (log, (Log { "third changed 2", "second changed 2", "changed 2" }));
}

TEST_F (StripFixture, ThumbIndicesOutOfRangeAreIgnored)
{
    slider.setValue (-1, 0.5f, true);
    slider.setValue (3, 0.5f, true);
    slider.setSegmentColour (4, juce::Colours::red);

    EXPECT_TRUE (log.empty());
    EXPECT_EQ (slider.getValue (3), 0.0f);
    EXPECT_EQ (slider.getSegmentColour (4), juce::Colour());
}

TEST (MultiSlider, EveryRequestKeepsTheThumbsOrderedAndSpaced)
{
    juce::Random random (20240611);

    for (const auto numThumbs : { 1, 2, 3, 5 })
    {
        for (const auto distanceShare : { 0.0f, 0.3f, 0.999f, 1.0f, 2.0f })
        {
            SCOPED_TRACE (std::to_string (numThumbs) + " thumbs, distance share " + std::to_string (distanceShare));
            MultiSlider slider (numThumbs);
            slider.setMinimumDistance (distanceShare / static_cast<float> (numThumbs + 1));
            const auto d = slider.getMinimumDistance();
            ASSERT_LE (d, 1.0f / static_cast<float> (numThumbs + 1));

            for (int request = 0; request < 2000; ++request)
            {
                const auto thumb = random.nextInt (numThumbs);
                slider.setValue (thumb, random.nextFloat() * 1.4f - 0.2f, false);

                for (int i = 0; i < numThumbs; ++i)
                {
                    const auto lower = i == 0 ? 0.0f : slider.getValue (i - 1);
                    ASSERT_GE (slider.getValue (i) - lower, d - 1.0e-6f) << "thumb " << i;
                }

                ASSERT_LE (slider.getValue (numThumbs - 1), 1.0f - d + 1.0e-6f);
            }
        }
    }
}

TEST_F (StripFixture, APressGrabsAThumbOnlyStrictlyWithinFivePixels)
{
    struct Case
    {
        float pressX;
        int expectedThumb;
    };

    // Thumb 0 sits at x = 100.
    const Case cases[] = { { 94.0f, -1 }, { 95.0f, -1 }, { 96.0f, 0 }, { 100.0f, 0 }, { 104.0f, 0 }, { 105.0f, -1 }, { 150.0f, -1 } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.pressX);
        log.clear();
        mouse.press (c.pressX, 10.0f);
        EXPECT_EQ (slider.getDraggedThumb(), c.expectedThumb);
        EXPECT_EQ (log, c.expectedThumb == -1 ? Log {} : Log { "started 0" });
        mouse.release();
        EXPECT_EQ (slider.getDraggedThumb(), -1);
    }
}

TEST_F (StripFixture, WhereGrabWindowsOverlapTheLowerThumbWins)
{
    slider.setMinimumDistance (0.01f);
    slider.setValue (1, 0.26f, false);

    mouse.press (102.0f, 10.0f);
    EXPECT_EQ (slider.getDraggedThumb(), 0);
}

TEST_F (StripFixture, ADragMovesTheThumbByThePointersMovement)
{
    mouse.press (101.0f, 10.0f);
    mouse.dragTo (121.0f, 12.0f);
    mouse.dragTo (141.0f, 0.0f);
    EXPECT_FLOAT_EQ (slider.getValue (0), 0.35f);

    mouse.release();
    EXPECT_EQ (log, (Log { "started 0", "changed 0", "changed 0", "ended 0" }));
}

TEST_F (StripFixture, WithAltHeldADragMovesTheThumbATenthAsFar)
{
    mouse.press (100.0f, 10.0f);
    mouse.dragTo (140.0f, 10.0f, juce::ModifierKeys::altModifier);
    EXPECT_FLOAT_EQ (slider.getValue (0), 0.26f);

    // Only the movement of each event counts, with or without Alt.
    mouse.dragTo (180.0f, 10.0f);
    EXPECT_FLOAT_EQ (slider.getValue (0), 0.36f);
}

TEST_F (StripFixture, AThumbHeldAtItsLimitMovesBackWithThePointerAtOnce)
{
    mouse.press (300.0f, 10.0f);
    mouse.dragTo (400.0f, 10.0f);
    ASSERT_EQ (slider.getValue (2), 0.875f);

    // 50 pixels back moves the thumb 50 pixels back, not to the pointer.
    mouse.dragTo (350.0f, 10.0f);
    EXPECT_FLOAT_EQ (slider.getValue (2), 0.75f);
}

TEST_F (StripFixture, ADragThatStartsOnNoThumbChangesNothing)
{
    mouse.press (150.0f, 10.0f);
    mouse.dragTo (100.0f, 10.0f);
    mouse.dragTo (300.0f, 10.0f);
    mouse.release();

    EXPECT_TRUE (log.empty());
    EXPECT_EQ (slider.getValue (0), 0.25f);
    EXPECT_EQ (slider.getValue (1), 0.5f);
    EXPECT_EQ (slider.getValue (2), 0.75f);
}

TEST (MultiSlider, AZeroWidthStripNeverProducesNaN)
{
    MultiSlider slider (3);
    std::vector<std::string> log;
    RecordingListener listener (log);
    slider.addListener (&listener);
    SyntheticMouse mouse (slider);

    mouse.press (0.0f, 0.0f);
    mouse.dragTo (0.0f, 0.0f);
    mouse.dragTo (10.0f, 0.0f);
    mouse.release();

    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE (std::isnan (slider.getValue (i)));

    paintWith (1, 1, [&slider] (juce::Graphics& g)
               { slider.paint (g); });
}

TEST (MultiSlider, AListenerMayDeleteTheSliderWhileAPushIsReported)
{
    struct DeletingListener : public MultiSlider::Listener
    {
        std::unique_ptr<MultiSlider> slider;
        int calls = 0;

        void multiSliderValueChanged (MultiSlider*, int) override
        {
            ++calls;
            slider.reset();
        }
    };

    DeletingListener listener;
    listener.slider = std::make_unique<MultiSlider> (3);
    listener.slider->setSize (400, 30);
    listener.slider->addListener (&listener);
    SyntheticMouse mouse (*listener.slider);

    mouse.press (100.0f, 10.0f);
    mouse.dragTo (300.0f, 10.0f);

    EXPECT_EQ (listener.slider, nullptr);
    EXPECT_EQ (listener.calls, 1);
}
