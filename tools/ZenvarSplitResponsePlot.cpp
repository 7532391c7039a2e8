#include "tools/ZenvarSplitResponsePlot.h"

#include "tools/ZenvarSplitFailure.h"

#include <cmath>

const std::array<juce::Colour, 4> ZenvarSplitResponsePlot::bandColours { juce::Colour (0xffd0011b),
                                                                         juce::Colour (0xff7ed321),
                                                                         juce::Colour (0xff4990e2),
                                                                         juce::Colour (0xfffe8712) };

namespace
{
const auto backgroundColour = juce::Colour (0xff15171c);
const auto panelColour = juce::Colour (0xff1c1f26);
const auto gridColour = juce::Colour (0xff2c313b);
const auto majorGridColour = juce::Colour (0xff3a404c);
const auto textColour = juce::Colour (0xffe8eaee);
const auto mutedTextColour = juce::Colour (0xff8d94a3);
const auto sumColour = juce::Colour (0xfff4f5f7);

constexpr double lowestHz = 20.0;
constexpr double highestHz = 20000.0;

juce::String formatHz (double hz)
{
    // Crossovers come back from the plug-in's float mapping a hair off round numbers
    // (999.99994 Hz), so round before choosing the unit.
    if (hz >= 999.5)
        return juce::String (std::round (hz / 10.0) / 100.0, 2).trimCharactersAtEnd ("0").trimCharactersAtEnd (".") + " kHz";

    return juce::String (std::round (hz * 10.0) / 10.0, 1).trimCharactersAtEnd ("0").trimCharactersAtEnd (".") + " Hz";
}

juce::String formatAxisHz (double hz)
{
    return hz >= 1000.0 ? juce::String (hz / 1000.0, 0) + "k" : juce::String (hz, 0);
}

juce::Font makeFont (float height, bool bold = false)
{
    return juce::Font (height, bold ? juce::Font::bold : juce::Font::plain);
}

/** The plot's geometry: where the axes lie and how values map to pixels. */
struct PlotArea
{
    juce::Rectangle<float> bounds;

    float xFor (double hz) const noexcept
    {
        return ZenvarSplitResponsePlot::frequencyToX (hz, bounds.getX(), bounds.getWidth());
    }

    float yFor (double decibels) const noexcept
    {
        const auto clamped = juce::jlimit (ZenvarSplitResponsePlot::bottomDecibels - 12.0, ZenvarSplitResponsePlot::topDecibels, decibels);
        const auto proportion = (ZenvarSplitResponsePlot::topDecibels - clamped)
                                / (ZenvarSplitResponsePlot::topDecibels - ZenvarSplitResponsePlot::bottomDecibels);
        return bounds.getY() + (float) proportion * bounds.getHeight();
    }
};

void drawFrequencyGrid (juce::Graphics& g, const PlotArea& area)
{
    const auto bottom = area.bounds.getBottom();

    for (double decade = 10.0; decade <= 10000.0; decade *= 10.0)
    {
        for (int multiple = 1; multiple <= 9; ++multiple)
        {
            const auto hz = decade * multiple;

            if (hz < lowestHz || hz > highestHz)
                continue;

            const auto isMajor = multiple == 1 || multiple == 2 || multiple == 5;
            const auto x = area.xFor (hz);
            g.setColour (isMajor ? majorGridColour : gridColour);
            g.drawVerticalLine (juce::roundToInt (x), area.bounds.getY(), bottom);

            if (isMajor)
            {
                g.setColour (mutedTextColour);
                g.setFont (makeFont (11.0f));
                g.drawText (formatAxisHz (hz), juce::Rectangle<float> (x - 30.0f, bottom + 6.0f, 60.0f, 14.0f), juce::Justification::centred);
            }
        }
    }

    g.setColour (majorGridColour);
    g.drawVerticalLine (juce::roundToInt (area.xFor (highestHz)) - 1, area.bounds.getY(), bottom);
}

void drawLevelGrid (juce::Graphics& g, const PlotArea& area)
{
    for (auto decibels = ZenvarSplitResponsePlot::bottomDecibels; decibels <= ZenvarSplitResponsePlot::topDecibels; decibels += 6.0)
    {
        const auto y = area.yFor (decibels);
        const auto isLabelled = std::fmod (std::abs (decibels), 12.0) < 0.5;

        g.setColour (decibels == 0.0 ? majorGridColour.brighter (0.3f) : (isLabelled ? majorGridColour : gridColour));
        g.drawHorizontalLine (juce::roundToInt (y), area.bounds.getX(), area.bounds.getRight());

        if (isLabelled)
        {
            g.setColour (mutedTextColour);
            g.setFont (makeFont (11.0f));
            g.drawText ((decibels > 0.0 ? "+" : "") + juce::String (decibels, 0),
                        juce::Rectangle<float> (area.bounds.getX() - 44.0f, y - 7.0f, 36.0f, 14.0f),
                        juce::Justification::centredRight);
        }
    }
}

void drawAxisTitles (juce::Graphics& g, const PlotArea& area)
{
    g.setColour (mutedTextColour);
    g.setFont (makeFont (12.0f));
    g.drawText ("Frequency (Hz)", area.bounds.withY (area.bounds.getBottom() + 24.0f).withHeight (16.0f), juce::Justification::centred);

    const auto centre = area.bounds.getCentre();
    const auto labelArea = juce::Rectangle<float> (120.0f, 16.0f).withCentre ({ area.bounds.getX() - 58.0f, centre.y });
    juce::Graphics::ScopedSaveState state (g);
    g.addTransform (juce::AffineTransform::rotation (-juce::MathConstants<float>::halfPi, labelArea.getCentreX(), labelArea.getCentreY()));
    g.drawText ("Level (dB)", labelArea, juce::Justification::centred);
}

juce::Path makeCurve (const PlotArea& area, const std::vector<double>& frequencies, const std::vector<double>& decibels)
{
    juce::Path curve;

    for (size_t i = 0; i < frequencies.size(); ++i)
    {
        const juce::Point<float> point { area.xFor (frequencies[i]), area.yFor (decibels[i]) };

        if (i == 0)
            curve.startNewSubPath (point);
        else
            curve.lineTo (point);
    }

    return curve;
}

void drawBands (juce::Graphics& g, const PlotArea& area, const ZenvarSplitBandResponses& responses)
{
    juce::Graphics::ScopedSaveState state (g);
    g.reduceClipRegion (area.bounds.toNearestInt());

    for (size_t band = 0; band < responses.bandDecibels.size(); ++band)
    {
        const auto colour = ZenvarSplitResponsePlot::bandColours[band];
        const auto curve = makeCurve (area, responses.frequenciesHz, responses.bandDecibels[band]);

        auto fill = curve;
        fill.lineTo (area.xFor (responses.frequenciesHz.back()), area.bounds.getBottom() + 20.0f);
        fill.lineTo (area.xFor (responses.frequenciesHz.front()), area.bounds.getBottom() + 20.0f);
        fill.closeSubPath();
        g.setGradientFill (juce::ColourGradient (colour.withAlpha (0.22f), 0.0f, area.yFor (0.0), colour.withAlpha (0.0f), 0.0f, area.bounds.getBottom(), false));
        g.fillPath (fill);

        g.setColour (colour);
        g.strokePath (curve, juce::PathStrokeType (2.2f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    }

    const auto sum = makeCurve (area, responses.frequenciesHz, responses.sumDecibels);
    g.setColour (sumColour);
    g.strokePath (sum, juce::PathStrokeType (1.6f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
}

void drawCrossovers (juce::Graphics& g, const PlotArea& area, const ZenvarSplitBandResponses& responses)
{
    const float dashes[] = { 4.0f, 4.0f };

    for (size_t i = 0; i < responses.crossoversHz.size(); ++i)
    {
        const auto hz = (double) responses.crossoversHz[i];
        const auto x = area.xFor (hz);

        juce::Path line;
        line.startNewSubPath (x, area.bounds.getY());
        line.lineTo (x, area.bounds.getBottom());
        juce::Path dashed;
        juce::PathStrokeType (1.0f).createDashedStroke (dashed, line, dashes, 2);
        g.setColour (textColour.withAlpha (0.55f));
        g.fillPath (dashed);

        // Adjacent Linkwitz-Riley bands cross at -6 dB.
        const auto y = area.yFor (-6.02);
        g.setColour (panelColour);
        g.fillEllipse (juce::Rectangle<float> (9.0f, 9.0f).withCentre ({ x, y }));
        g.setColour (textColour);
        g.drawEllipse (juce::Rectangle<float> (9.0f, 9.0f).withCentre ({ x, y }), 1.5f);

        const auto label = formatHz (hz);
        g.setFont (makeFont (11.5f, true));
        const auto labelWidth = (float) g.getCurrentFont().getStringWidth (label) + 12.0f;
        const auto labelBox = juce::Rectangle<float> (labelWidth, 18.0f)
                                  .withCentre ({ x, area.bounds.getY() + 14.0f })
                                  .constrainedWithin (area.bounds.reduced (2.0f));
        g.setColour (backgroundColour.withAlpha (0.9f));
        g.fillRoundedRectangle (labelBox, 4.0f);
        g.setColour (textColour.withAlpha (0.5f));
        g.drawRoundedRectangle (labelBox, 4.0f, 1.0f);
        g.setColour (textColour);
        g.drawText (label, labelBox, juce::Justification::centred);
    }
}

void drawBandLetters (juce::Graphics& g, const PlotArea& area, const ZenvarSplitBandResponses& responses)
{
    const std::array<double, 5> edges { lowestHz, responses.crossoversHz[0], responses.crossoversHz[1], responses.crossoversHz[2], highestHz };
    const char* letters[] = { "A", "B", "C", "D" };

    for (size_t band = 0; band < 4; ++band)
    {
        const auto left = area.xFor (edges[band]);
        const auto right = area.xFor (edges[band + 1]);

        if (right - left < 16.0f)
            continue;

        const auto box = juce::Rectangle<float> (left, area.yFor (-15.0) - 13.0f, right - left, 26.0f);
        g.setColour (ZenvarSplitResponsePlot::bandColours[band]);
        g.setFont (makeFont (22.0f, true));
        g.drawText (letters[band], box, juce::Justification::centred);
    }
}

void drawHeader (juce::Graphics& g, juce::Rectangle<float> area, const ZenvarSplitBandResponses& responses)
{
    g.setColour (textColour);
    g.setFont (makeFont (20.0f, true));
    g.drawText ("Zenvar band split", area.removeFromTop (26.0f), juce::Justification::centredLeft);

    g.setColour (mutedTextColour);
    g.setFont (makeFont (12.5f));
    g.drawText ("Magnitude of the four bands measured through the plug-in at " + juce::String (responses.sampleRate / 1000.0, 1)
                    + " kHz; crossovers at " + formatHz (responses.crossoversHz[0]) + ", " + formatHz (responses.crossoversHz[1])
                    + " and " + formatHz (responses.crossoversHz[2]),
                area.removeFromTop (18.0f),
                juce::Justification::centredLeft);
}

void drawLegend (juce::Graphics& g, juce::Rectangle<float> area)
{
    const std::array<juce::String, 5> labels { "A", "B", "C", "D", "Sum" };
    g.setFont (makeFont (12.5f, true));
    auto x = area.getRight();

    for (int i = (int) labels.size() - 1; i >= 0; --i)
    {
        const auto colour = i < 4 ? ZenvarSplitResponsePlot::bandColours[(size_t) i] : sumColour;
        const auto textWidth = (float) g.getCurrentFont().getStringWidth (labels[(size_t) i]);
        x -= textWidth;
        g.setColour (textColour);
        g.drawText (labels[(size_t) i], juce::Rectangle<float> (x, area.getY(), textWidth, 20.0f), juce::Justification::centredLeft);
        x -= 24.0f;
        g.setColour (colour);
        g.fillRoundedRectangle (juce::Rectangle<float> (x, area.getY() + 8.5f, 18.0f, 3.0f), 1.5f);
        x -= 14.0f;
    }
}
} // namespace

//==============================================================================
float ZenvarSplitResponsePlot::frequencyToX (double hz, float left, float width) noexcept
{
    return left + width * (float) (std::log (hz / lowestHz) / std::log (highestHz / lowestHz));
}

juce::Image ZenvarSplitResponsePlot::render (const ZenvarSplitBandResponses& responses, float scale)
{
    juce::Image image (juce::Image::RGB, juce::roundToInt (logicalWidth * scale), juce::roundToInt (logicalHeight * scale), true);
    juce::Graphics g (image);
    g.addTransform (juce::AffineTransform::scale (scale));

    const auto bounds = juce::Rectangle<float> ((float) logicalWidth, (float) logicalHeight);
    g.fillAll (backgroundColour);

    auto content = bounds.reduced (28.0f, 22.0f);
    auto header = content.removeFromTop (50.0f);
    drawHeader (g, header, responses);
    drawLegend (g, header.removeFromTop (26.0f));

    content.removeFromTop (10.0f);
    const auto panel = content.withTrimmedLeft (56.0f).withTrimmedBottom (44.0f);
    g.setColour (panelColour);
    g.fillRect (panel);

    const PlotArea area { panel };
    drawLevelGrid (g, area);
    drawFrequencyGrid (g, area);
    drawBands (g, area, responses);
    drawCrossovers (g, area, responses);
    drawBandLetters (g, area, responses);
    drawAxisTitles (g, area);

    g.setColour (majorGridColour);
    g.drawRect (panel, 1.0f);
    return image;
}

void ZenvarSplitResponsePlot::writePng (const ZenvarSplitBandResponses& responses, ZenvarSplitOutputFile& output)
{
    const auto image = render (responses);
    auto stream = output.createStream();
    juce::PNGImageFormat png;

    if (! png.writeImageToStream (image, *stream) || ! stream->getStatus().wasOk())
        throw ZenvarSplitFailure ("writing the response plot " + output.getTarget().getFullPathName() + " failed");

    stream->flush();

    if (! stream->getStatus().wasOk())
        throw ZenvarSplitFailure ("writing the response plot " + output.getTarget().getFullPathName() + " failed");
}
