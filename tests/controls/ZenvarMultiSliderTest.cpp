#include "controls/ZenvarMultiSlider.h"
#include "controls/ZenvarValueBar.h"
#include "processor/CrossoverParameters.h"
#include "support/PaintedImage.h"
#include "support/SyntheticMouse.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using zenvar::test::coloursClose;
using zenvar::test::paintToImage;
using zenvar::test::paintWith;
using zenvar::test::SyntheticMouse;
using Log = std::vector<std::string>;

const juce::Colour bandColours[] = { juce::Colour (0xffd0011b), juce::Colour (0xff7ed321), juce::Colour (0xff4990e2), juce::Colour (0xfffe8712) };
const juce::Colour switchedOffGrey (0xff747474);

/** Hears thumbs and bands alike and logs them in order, tagged with its name. */
class RecordingListener : public ZenvarMultiSlider::Listener
{
public:
    RecordingListener (Log& logToWrite, std::string nameInLog = {})
        : log (logToWrite)
        , name (std::move (nameInLog))
    {
    }

    void multiSliderValueChanged (MultiSlider*, int thumb) override { record ("changed", thumb); }
    void multiSliderDragStarted (MultiSlider*, int thumb) override { record ("started", thumb); }
    void multiSliderDragEnded (MultiSlider*, int thumb) override { record ("ended", thumb); }
    void bandActiveChanged (ZenvarMultiSlider*, int band) override { record ("band", band); }

    Log& log;

private:
    void record (const std::string& what, int index)
    {
        log.push_back ((name.empty() ? "" : name + " ") + what + " " + std::to_string (index));
    }

    std::string name;
};

/** The band strip as the editor sets it up at scale 1: 390 x 72, coloured bands, a read-out. */
struct BandStripFixture : public testing::Test
{
    BandStripFixture()
    {
        strip.setSize (390, 72);
        strip.setValueBar (&valueBar);

        for (int band = 0; band < 4; ++band)
            strip.setBandColour (band, bandColours[band]);

        strip.addListener (&listener);
    }

    ZenvarValueBar valueBar;
    ZenvarMultiSlider strip;
    Log log;
    RecordingListener listener { log };
    SyntheticMouse mouse { strip };
};

juce::Colour blend (juce::Colour background, juce::Colour layer, float layerOpacity)
{
    const auto mix = [layerOpacity] (juce::uint8 b, juce::uint8 l)
    {
        return static_cast<juce::uint8> (juce::roundToInt ((float) b + ((float) l - (float) b) * layerOpacity));
    };

    return juce::Colour (mix (background.getRed(), layer.getRed()), mix (background.getGreen(), layer.getGreen()), mix (background.getBlue(), layer.getBlue()));
}
} // namespace

TEST_F (BandStripFixture, KeepsThumbsWithinTheirRangesAtASpacingOfOneTwentySixth)
{
    struct Case
    {
        int thumb;
        float lowestValue;
        float highestValue;
        float lowestHz;
        float highestHz;
    };

    const Case cases[] = {
        { 0, 1.0f / 26.0f, 23.0f / 26.0f, 49.56f, 15655.24f },
        { 1, 2.0f / 26.0f, 24.0f / 26.0f, 138.22f, 17044.38f },
        { 2, 3.0f / 26.0f, 25.0f / 26.0f, 286.01f, 18492.63f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.thumb);
        ZenvarMultiSlider fresh;

        fresh.setValue (c.thumb, 0.0f, true);
        EXPECT_FLOAT_EQ (fresh.getValue (c.thumb), c.lowestValue);
        EXPECT_NEAR (zenvar::normalisedToFrequency (fresh.getValue (c.thumb)), c.lowestHz, 0.01f);

        fresh.setValue (c.thumb, 1.0f, true);
        EXPECT_FLOAT_EQ (fresh.getValue (c.thumb), c.highestValue);
        EXPECT_NEAR (zenvar::normalisedToFrequency (fresh.getValue (c.thumb)), c.highestHz, 0.01f);
    }
}

TEST_F (BandStripFixture, AClampedThumbPushesItsNeighbourAndReportsItFirst)
{
    strip.setValue (0, 0.1f, false);
    ASSERT_TRUE (log.empty());

    strip.setValue (1, 0.05f, true);

    EXPECT_FLOAT_EQ (strip.getValue (1), 2.0f / 26.0f);
    EXPECT_FLOAT_EQ (strip.getValue (0), 1.0f / 26.0f);
    EXPECT_EQ (strip.getValue (2), 0.75f);
    EXPECT_EQ (log, (Log { "changed 0", "changed 1" }));
}

TEST_F (BandStripFixture, DraggingTheFirstThumbPushesTheOthersUntilTheLastReachesItsLimit)
{
    mouse.press (97.0f, 36.0f);

    for (int x = 110; x <= 390; x += 10)
        mouse.dragTo (static_cast<float> (x), 36.0f);

    EXPECT_FLOAT_EQ (strip.getValue (0), 23.0f / 26.0f);
    EXPECT_FLOAT_EQ (strip.getValue (1), 24.0f / 26.0f);
    EXPECT_FLOAT_EQ (strip.getValue (2), 25.0f / 26.0f);

    // Held at its limit, the dragged thumb reports the same value again on further movement.
    log.clear();
    mouse.dragTo (395.0f, 36.0f);
    EXPECT_EQ (log, (Log { "changed 0" }));
    EXPECT_FLOAT_EQ (strip.getValue (0), 23.0f / 26.0f);

    mouse.release();
    EXPECT_EQ (log.back(), "ended 0");
}

TEST_F (BandStripFixture, ThumbValuesAreMirroredIntoTheReadOut)
{
    // Linking the read-out shows the thumbs' values at once, not 20 Hz.
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ (valueBar.getValue (k), strip.getValue (k));

    strip.setValue (0, 0.85f, false);

    for (int k = 0; k < 3; ++k)
        EXPECT_EQ (valueBar.getValue (k), strip.getValue (k)) << "read-out " << k;

    strip.setValueBar (nullptr);
    strip.setValue (2, 0.99f, false);
    EXPECT_NE (valueBar.getValue (2), strip.getValue (2));
}

TEST_F (BandStripFixture, APressOnABandDarkensItAndItsReleaseFlipsTheSwitch)
{
    struct Case
    {
        const char* what;
        bool bandOnBeforeClick;
        juce::Colour shownWhilePressed;
        juce::Colour shownAfterRelease;
    };

    const Case cases[] = {
        { "switched on", true, juce::Colour (0xff78c81f), switchedOffGrey },
        { "switched off", false, juce::Colour (0xff6e6e6e), bandColours[1] },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        strip.setBandActive (1, c.bandOnBeforeClick, false);
        log.clear();

        mouse.press (150.0f, 40.0f);
        EXPECT_EQ (strip.getSegmentColour (1), c.shownWhilePressed);
        EXPECT_EQ (strip.isBandActive (1), c.bandOnBeforeClick);
        EXPECT_TRUE (log.empty());

        // The switch flips on release wherever the pointer has gone.
        mouse.dragTo (380.0f, 200.0f);
        mouse.release();

        EXPECT_EQ (strip.isBandActive (1), !c.bandOnBeforeClick);
        EXPECT_EQ (strip.getSegmentColour (1), c.shownAfterRelease);
        EXPECT_EQ (log, (Log { "band 1" }));
        EXPECT_EQ (strip.getValue (2), 0.75f);
    }
}

TEST_F (BandStripFixture, APressThatGrabsAThumbOnABandBorderNeverPressesABand)
{
    mouse.press (199.0f, 40.0f);
    EXPECT_EQ (strip.getDraggedThumb(), 1);
    EXPECT_EQ (strip.getSegmentColour (1), bandColours[1]);
    EXPECT_EQ (strip.getSegmentColour (2), bandColours[2]);
    mouse.release();

    EXPECT_EQ (log, (Log { "started 1", "ended 1" }));

    for (int band = 0; band < 4; ++band)
        EXPECT_TRUE (strip.isBandActive (band));
}

TEST_F (BandStripFixture, SettingABandToItsCurrentStateNotifiesNobody)
{
    strip.setBandActive (2, true, true);
    strip.setBandActive (2, false, false);
    strip.setBandActive (2, false, true);

    EXPECT_TRUE (log.empty());
    EXPECT_EQ (strip.getSegmentColour (2), switchedOffGrey);
}

TEST_F (BandStripFixture, BandListenersRunFirstToLastAndThumbOnlyListenersAreSkipped)
{
    struct ThumbOnlyListener : public MultiSlider::Listener
    {
        int calls = 0;
        void multiSliderValueChanged (MultiSlider*, int) override { ++calls; }
    };

    ThumbOnlyListener thumbOnly;
    RecordingListener second (log, "second");
    strip.addListener (&thumbOnly);
    strip.addListener (&second);

    strip.setBandActive (3, false, true);

    EXPECT_EQ (log, (Log { "band 3", "second band 3" }));
    EXPECT_EQ (thumbOnly.calls, 0);
}

TEST_F (BandStripFixture, BandListenersAddedOrRemovedDuringANotificationAreNotCalled)
{
    struct ReshufflingListener : public RecordingListener
    {
        using RecordingListener::RecordingListener;
        ZenvarMultiSlider* strip = nullptr;
        ZenvarMultiSlider::Listener* toRemove = nullptr;
        ZenvarMultiSlider::Listener* toAdd = nullptr;

        void bandActiveChanged (ZenvarMultiSlider* slider, int band) override
        {
            RecordingListener::bandActiveChanged (slider, band);
            strip->removeListener (toRemove);
            strip->addListener (toAdd);
        }
    };

    ReshufflingListener reshuffler (log, "reshuffler");
    RecordingListener removed (log, "removed");
    RecordingListener added (log, "added");
    reshuffler.strip = &strip;
    reshuffler.toRemove = &removed;
    reshuffler.toAdd = &added;
    strip.addListener (&reshuffler);
    strip.addListener (&removed);

    strip.setBandActive (0, false, true);

    EXPECT_EQ (log, (Log { "band 0", "reshuffler band 0" }));
}

TEST_F (BandStripFixture, ANewColourShowsAtOnceOnASwitchedOffBand)
{
    strip.setBandActive (3, false, false);
    strip.setBandColour (3, juce::Colours::yellow);

    EXPECT_EQ (strip.getSegmentColour (3), juce::Colours::yellow);
    EXPECT_FALSE (strip.isBandActive (3));

    strip.setBandActive (3, true, false);
    strip.setBandActive (3, false, false);
    EXPECT_EQ (strip.getSegmentColour (3), switchedOffGrey);
}

TEST_F (BandStripFixture, BandIndicesOutOfRangeAreIgnored)
{
    strip.setBandActive (4, false, true);
    strip.setBandActive (-1, false, true);
    strip.setBandColour (7, juce::Colours::yellow);

    EXPECT_TRUE (log.empty());
    EXPECT_FALSE (strip.isBandActive (4));
    EXPECT_TRUE (strip.getBandArea (-1).isEmpty());
}

TEST_F (BandStripFixture, FillsTheBandsBetweenTheThumbs)
{
    const auto image = paintWith (390, 72, [this] (juce::Graphics& g)
                                  { strip.MultiSlider::paint (g); });

    struct Pixel
    {
        int x;
        int band;
    };

    // Bands (0, 0, 97, h), (97, 0, 98, h), (195, 0, 97, h), (292, 0, 98, h).
    const Pixel pixels[] = { { 0, 0 }, { 96, 0 }, { 97, 1 }, { 194, 1 }, { 195, 2 }, { 291, 2 }, { 292, 3 }, { 389, 3 } };

    for (const auto& p : pixels)
        for (const auto y : { 0, 71 })
            EXPECT_EQ (image.getPixelAt (p.x, y), bandColours[p.band]) << p.x << ", " << y;

    const juce::Rectangle<int> expectedAreas[] = { { 0, 0, 97, 72 }, { 97, 0, 97, 72 }, { 195, 0, 97, 72 }, { 292, 0, 97, 72 } };

    for (int band = 0; band < 4; ++band)
        EXPECT_EQ (strip.getBandArea (band), expectedAreas[band]) << "band " << band;
}

TEST_F (BandStripFixture, PaintsHalfOpaqueBandsOverTheBackdropWithThumbsAndRoundedCorners)
{
    const auto image = paintToImage (strip);

    // Rounded corners stay clear.
    EXPECT_EQ (image.getPixelAt (0, 0).getAlpha(), 0);
    EXPECT_EQ (image.getPixelAt (389, 71).getAlpha(), 0);

    // At y = 60 the backdrop is white under black at 0.2 * (1 - 60 / 72); the bands lie over it at
    // half opacity.
    const auto backdrop = juce::Colours::white.interpolatedWith (juce::Colours::black, 0.2f * (1.0f - 60.0f / 72.0f));

    for (const auto& [x, band] : { std::pair { 50, 0 }, std::pair { 150, 1 }, std::pair { 240, 2 }, std::pair { 340, 3 } })
        EXPECT_TRUE (coloursClose (image.getPixelAt (x, 60), blend (backdrop, bandColours[band], 0.5f), 2))
            << "band " << band << ": " << image.getPixelAt (x, 60).toDisplayString (true);

    // White thumb dots of diameter 7 at x = 97, 195, 292, halfway down.
    for (const auto x : { 97, 195, 292 })
    {
        EXPECT_TRUE (coloursClose (image.getPixelAt (x, 36), juce::Colours::white, 3)) << x;
        EXPECT_TRUE (coloursClose (image.getPixelAt (x - 1, 35), juce::Colours::white, 3)) << x;
        EXPECT_FALSE (coloursClose (image.getPixelAt (x + 5, 36), juce::Colours::white, 40)) << x;
    }

    // The hairline leans one pixel: near the top it lies left of the thumb's column, near the
    // bottom on it.
    for (const auto x : { 97, 195, 292 })
    {
        EXPECT_GT (image.getPixelAt (x - 1, 3).getBrightness(), image.getPixelAt (x, 3).getBrightness()) << x;
        EXPECT_GT (image.getPixelAt (x, 68).getBrightness(), image.getPixelAt (x - 1, 68).getBrightness()) << x;
    }
}

TEST_F (BandStripFixture, DrawsTheSpectrumInBlackUnderTheBands)
{
    // The spectrum view takes its size from the strip's paints; a full level fills the whole strip.
    paintToImage (strip);
    std::vector<kiss_fft_cpx> frame (FreqView::frameSize, kiss_fft_cpx { 0.05f, 0.0f });

    for (int bin = 1; bin < FreqView::numBins; ++bin)
        frame[static_cast<size_t> (bin)].r = 0.005f;

    strip.getFreqView().updateSpectrum (frame.data(), 44100.0);
    const auto image = paintToImage (strip);

    EXPECT_TRUE (coloursClose (image.getPixelAt (4, 60), blend (juce::Colours::black, bandColours[0], 0.5f), 2))
        << image.getPixelAt (4, 60).toDisplayString (true);
}

TEST_F (BandStripFixture, APressedBandIsPaintedDarker)
{
    const auto before = paintToImage (strip).getPixelAt (150, 60);
    mouse.press (150.0f, 40.0f);
    const auto pressed = paintToImage (strip).getPixelAt (150, 60);

    EXPECT_LT (pressed.getBrightness(), before.getBrightness());
}
