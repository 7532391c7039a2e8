#include "controls/FreqView.h"
#include "support/PaintedImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace
{
using zenvar::test::getInkBounds;
using zenvar::test::paintWith;

constexpr int viewWidth = 390;
constexpr int viewHeight = 144;

/** A spectrum frame as the processor hands it over: exactly 1024 entries, magnitudes in the real
    parts. Sized exactly, so a sanitizer build catches any read beyond it. */
struct SpectrumFrame
{
    std::vector<kiss_fft_cpx> entries = std::vector<kiss_fft_cpx> (FreqView::frameSize, kiss_fft_cpx { 0.0f, 0.0f });

    const kiss_fft_cpx* data() const { return entries.data(); }

    /** Sets the magnitude that drives bin `bin` to `level` (0..1), undoing the view's high-bin
        tilt for the given axis span. */
    void setLevel (int bin, float level, float axisSpan)
    {
        const auto axisPosition = static_cast<float> (bin) / axisSpan;
        const auto gain = std::asin (level) / juce::MathConstants<float>::pi;
        entries[static_cast<size_t> (bin)].r = gain * 0.1f / (2.0f * std::sin (axisPosition) + 1.0f);
    }
};

/** A view sized as the band strip sizes it: a 390 x 72 strip makes it 390 x 144. */
struct SizedView : public FreqView
{
    SizedView() { setSize (viewWidth, viewHeight); }
};

juce::Image paintInBlack (FreqView& view)
{
    return paintWith (view.getWidth(), view.getHeight(), [&view] (juce::Graphics& g)
                      {
        g.setColour (juce::Colours::black);
        view.paint (g); });
}

int alphaAt (const juce::Image& image, int x, int y)
{
    return image.getPixelAt (x, y).getAlpha();
}
} // namespace

TEST (FreqView, ShowsTheBinsBetween20HzAnd20kHzForEachSampleRate)
{
    struct Case
    {
        double rate;
        int first;
        int end;
    };

    const Case cases[] = {
        { 44100.0, 0, 464 },
        { 48000.0, 0, 426 },
        { 88200.0, 0, 232 },
        { 96000.0, 0, 213 },
        { 192000.0, 0, 106 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.rate);
        const auto range = FreqView::getBinRange (FreqView::getEffectiveSampleRate (c.rate));
        EXPECT_EQ (range.first, c.first);
        EXPECT_EQ (range.end, c.end);
    }
}

TEST (FreqView, RatesBelow22000HzAndNonsenseRatesMapBinsAt44100Hz)
{
    const double badRates[] = { 0.0, 20000.0, 21999.0, -48000.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity() };

    for (const auto rate : badRates)
    {
        SCOPED_TRACE (rate);
        SizedView view;
        view.updateSpectrum (nullptr, rate);
        EXPECT_EQ (view.getSampleRate(), 44100.0f);
    }

    SizedView view;
    view.updateSpectrum (nullptr, 22000.0);
    EXPECT_EQ (view.getSampleRate(), 22000.0f);
}

TEST (FreqView, LevelsFollowTheSineOfTheGainAndNeverBecomeNaN)
{
    struct Case
    {
        float magnitudeOfLowestBin;
        float expectedLevel;
    };

    // At the lowest bin the tilt is 1, so the gain is the magnitude over 0.1.
    const Case cases[] = {
        { 0.05f, 1.0f },
        { 0.025f, std::sin (juce::MathConstants<float>::pi * 0.25f) },
        { 0.1f, 0.0f },
        { 1.0f, 0.0f },
        { -0.05f, 0.0f },
        { std::numeric_limits<float>::quiet_NaN(), 0.0f },
        { std::numeric_limits<float>::infinity(), 0.0f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.magnitudeOfLowestBin);
        SizedView view;
        SpectrumFrame frame;
        frame.entries[0].r = c.magnitudeOfLowestBin;
        view.updateSpectrum (frame.data(), 44100.0);
        EXPECT_NEAR (view.getLevel (0), c.expectedLevel, 1.0e-6f);
    }
}

TEST (FreqView, AFullLevelNeeds101UpdatesWithoutFramesToReachZero)
{
    SizedView view;
    SpectrumFrame frame;
    frame.entries[0].r = 0.05f;
    view.updateSpectrum (frame.data(), 44100.0);
    ASSERT_EQ (view.getLevel (0), 1.0f);

    for (int update = 1; update <= 100; ++update)
    {
        const auto before = view.getLevel (0);
        view.updateSpectrum (nullptr, 44100.0);
        ASSERT_FLOAT_EQ (view.getLevel (0), before - 0.01f) << "update " << update;
    }

    EXPECT_GT (view.getLevel (0), 0.0f);
    view.updateSpectrum (nullptr, 44100.0);
    EXPECT_EQ (view.getLevel (0), 0.0f);
}

TEST (FreqView, LevelsJumpUpAtOnceButOnlyFallBySteps)
{
    SizedView view;
    SpectrumFrame loud;
    loud.entries[10].r = 0.05f;
    view.updateSpectrum (loud.data(), 44100.0);
    const auto loudLevel = view.getLevel (10);

    // A quieter frame lowers a level by one step only; a louder bin rises at once.
    SpectrumFrame quiet;
    quiet.entries[20].r = 0.05f;
    view.updateSpectrum (quiet.data(), 44100.0);

    EXPECT_FLOAT_EQ (view.getLevel (10), loudLevel - 0.01f);
    EXPECT_GT (view.getLevel (20), 0.9f);
}

TEST (FreqView, FillsAShapeMirroredAboutTheCentreLine)
{
    // A 390 x 144 view (a 390 x 72 strip) with every bin at level 0.5: the shape spans y = 36..108.
    SizedView view;
    SpectrumFrame frame;
    const auto range = FreqView::getBinRange (44100.0f);

    for (int bin = range.first; bin < range.end; ++bin)
        frame.setLevel (bin, 0.5f, range.axisSpan);

    view.updateSpectrum (frame.data(), 44100.0);
    const auto image = paintInBlack (view);

    for (const auto x : { 20, 195, 380 })
    {
        SCOPED_TRACE (x);
        EXPECT_LT (alphaAt (image, x, 34), 8);
        EXPECT_GT (alphaAt (image, x, 36), 247);
        EXPECT_GT (alphaAt (image, x, 72), 247);
        EXPECT_GT (alphaAt (image, x, 107), 247);
        EXPECT_LT (alphaAt (image, x, 109), 8);
    }
}

TEST (FreqView, AResizeMovesTheShapeToTheNewSizeAtOnceAndKeepsTheLevels)
{
    // The strip grows from 390 x 72 to 585 x 108 when the editor zooms in, so the view from
    // 390 x 144 to 585 x 216. Bins at level 0.5 must then span y = 54..162 over the whole width
    // before any new update; silent bins (level 0) must still draw nothing.
    struct Case
    {
        float level;
        int top, bottom;
    };

    for (const auto c : { Case { 0.5f, 54, 162 }, Case { 0.0f, 0, 0 } })
    {
        SCOPED_TRACE (c.level);
        SizedView view;
        SpectrumFrame frame;
        const auto range = FreqView::getBinRange (44100.0f);

        for (int bin = range.first; bin < range.end; ++bin)
            frame.setLevel (bin, c.level, range.axisSpan);

        view.updateSpectrum (frame.data(), 44100.0);
        const auto levelBefore = view.getLevel (100);

        view.setSize (585, 216);
        const auto image = paintInBlack (view);
        EXPECT_EQ (view.getLevel (100), levelBefore);

        const auto ink = zenvar::test::getInkBounds (image, image.getBounds(), 128);

        if (c.level == 0.0f)
        {
            EXPECT_TRUE (ink.isEmpty()) << ink.toString();
            continue;
        }

        EXPECT_EQ (ink.getY(), c.top);
        EXPECT_EQ (ink.getBottom(), c.bottom);
        EXPECT_GE (ink.getRight(), 584);
    }
}

TEST (FreqView, PlacesBinsOnASquareRootAxisThatMatchesTheThumbs)
{
    // At 44100 Hz bin 116 of 464 lies at t = 0.25, i.e. x = sqrt (0.25) * 390 = 195. Fill bins up to
    // 116 at full level: the shape's right edge falls from x = 195 to the next bin at 195.8.
    SizedView view;
    SpectrumFrame frame;
    const auto range = FreqView::getBinRange (44100.0f);

    for (int bin = 0; bin <= 116; ++bin)
        frame.setLevel (bin, 1.0f, range.axisSpan);

    view.updateSpectrum (frame.data(), 44100.0);
    const auto image = paintInBlack (view);
    const auto upperQuarter = viewHeight / 4;

    EXPECT_GT (alphaAt (image, 194, upperQuarter), 247);
    EXPECT_LT (alphaAt (image, 196, upperQuarter), 8);
}

TEST (FreqView, NeverReadsOrDrawsBeyondTheFramesMagnitudesAtLowSampleRates)
{
    // At 22050 Hz, 20 kHz lies beyond the frame's 512 magnitudes (at bin 928). The view shows bins
    // 0..511 on the full 20 kHz axis, so the spectrum ends at x = sqrt (511 / 928) * 390 = 289.4.
    struct Case
    {
        double rate;
        float expectedRightEdge;
    };

    const Case cases[] = { { 22050.0, 289.4f }, { 32000.0, 348.5f } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.rate);
        SizedView view;
        SpectrumFrame frame;

        for (auto& entry : frame.entries)
            entry.r = 0.01f;

        view.updateSpectrum (frame.data(), c.rate);
        const auto ink = getInkBounds (paintInBlack (view), { 0, 0, viewWidth, viewHeight }, 8);

        EXPECT_NEAR (static_cast<float> (ink.getRight()), c.expectedRightEdge, 1.5f);
    }
}

TEST (FreqView, AnUpdateWithoutAFrameOnlyLowersLevels)
{
    SizedView view;
    SpectrumFrame frame;
    frame.entries[3].r = 0.05f;
    frame.entries[300].r = 0.002f;
    view.updateSpectrum (frame.data(), 48000.0);

    std::vector<float> before;

    for (int bin = 0; bin < FreqView::numBins; ++bin)
        before.push_back (view.getLevel (bin));

    view.updateSpectrum (nullptr, 48000.0);

    for (int bin = 0; bin < FreqView::numBins; ++bin)
        ASSERT_EQ (view.getLevel (bin), juce::jmax (0.0f, before[static_cast<size_t> (bin)] - 0.01f)) << "bin " << bin;
}

TEST (FreqView, AZeroSizedViewAndAnEmptyBinRangeDrawNothingAndStayFinite)
{
    FreqView empty;
    SpectrumFrame frame;
    frame.entries[0].r = 0.05f;
    empty.updateSpectrum (frame.data(), 44100.0);
    EXPECT_EQ (empty.getLevel (0), 1.0f);
    EXPECT_TRUE (getInkBounds (paintInBlack (empty), { 0, 0, 1, 1 }).isEmpty());

    // A rate so high that 20 kHz falls inside the first bin leaves no bins to show.
    SizedView view;
    view.updateSpectrum (frame.data(), 1.0e9);
    EXPECT_EQ (view.getLevel (0), 0.0f);
    EXPECT_TRUE (getInkBounds (paintInBlack (view), { 0, 0, viewWidth, viewHeight }).isEmpty());
}
