#include "tools/ControlsSnapshot.h"

#include "controls/ZenvarMultiSlider.h"
#include "controls/ZenvarValueBar.h"
#include "editor/EmbeddedResources.h"
#include "processor/CrossoverParameters.h"

#include <cmath>
#include <vector>

namespace
{
const juce::Colour bandColours[] = { juce::Colour (0xffd0011b), juce::Colour (0xff7ed321), juce::Colour (0xff4990e2), juce::Colour (0xfffe8712) };

constexpr int margin = 5;
constexpr double snapshotSampleRateHz = 48000.0;
constexpr int spectrumFrames = 24;

/** A made-up input spectrum: a falling noise floor with a low thump, a mid body and some air,
    jittered from frame to frame like music would be. */
std::vector<kiss_fft_cpx> makeSpectrumFrame (juce::Random& random)
{
    std::vector<kiss_fft_cpx> frame (FreqView::frameSize, kiss_fft_cpx { 0.0f, 0.0f });
    const auto binWidthHz = static_cast<float> (snapshotSampleRateHz) / static_cast<float> (FreqView::frameSize);

    const auto peak = [] (float hz, float centreHz, float widthInOctaves, float height)
    {
        const auto octaves = std::log2 (hz / centreHz) / widthInOctaves;
        return height * std::exp (-octaves * octaves);
    };

    for (int bin = 0; bin < FreqView::numBins; ++bin)
    {
        const auto hz = juce::jmax (0.5f, static_cast<float> (bin)) * binWidthHz;
        const auto floor = 0.011f / std::pow (1.0f + hz / 300.0f, 0.35f);
        const auto shape = floor + peak (hz, 60.0f, 1.0f, 0.008f) + peak (hz, 650.0f, 1.2f, 0.006f) + peak (hz, 9000.0f, 0.8f, 0.003f);
        frame[static_cast<size_t> (bin)].r = shape * (0.55f + 0.45f * random.nextFloat());
    }

    return frame;
}

/** The read-out and the band strip stacked as in the editor, over the window's colours. */
class ControlsPanel : public juce::Component
{
public:
    explicit ControlsPanel (const ControlsSnapshotOptions& options)
    {
        const auto zoom = options.zoomFactor;
        const auto stripX = static_cast<int> (5.0f * zoom);
        const auto barHeight = static_cast<int> (16.0f * zoom);

        valueBar.setBounds (stripX, margin, static_cast<int> (390.0f * zoom), barHeight);
        strip.setBounds (stripX, margin + barHeight, static_cast<int> (390.0f * zoom), static_cast<int> (72.0f * zoom));
        setSize (static_cast<int> (400.0f * zoom), strip.getBottom() + margin);

        // In the window the read-out starts at y = 27, or 30 when zoomed in.
        windowRowsAbove = static_cast<float> ((zoom > 1.0f ? 30 : 27) - margin);

        const auto font = juce::Font (createEditorTypeface()).withPointHeight (10.5f * zoom);
        valueBar.setFont (font);
        valueBar.setBoxWidth (30.0f * zoom);
        strip.setValueBar (&valueBar);
        strip.setLabelFont (font);

        for (int band = 0; band < ZenvarMultiSlider::numBands; ++band)
        {
            strip.setBandColour (band, bandColours[band]);
            strip.setBandActive (band, options.bandsOn[static_cast<size_t> (band)], false);
        }

        for (int k = 0; k < 3; ++k)
            strip.setValue (k, zenvar::frequencyToNormalised (options.crossoversHz[static_cast<size_t> (k)], k), false);

        addAndMakeVisible (valueBar);
        addAndMakeVisible (strip);
    }

    /** Feeds the spectrum view the way the editor's timer does, one frame per tick. */
    void runSpectrum (int seed)
    {
        juce::Random random (seed);

        for (int tick = 0; tick < spectrumFrames; ++tick)
        {
            // The view takes its size from the strip's last paint.
            createComponentSnapshot (getLocalBounds());
            const auto frame = makeSpectrumFrame (random);
            strip.getFreqView().updateSpectrum (frame.data(), snapshotSampleRateHz);
        }
    }

    void paint (juce::Graphics& g) override
    {
        // The window's gradient, shifted up by as much as this panel crops off the window's top.
        g.setGradientFill (juce::ColourGradient (juce::Colour (0xff485563), 0.0f, 96.0f - windowRowsAbove, juce::Colour (0xff29323c), 400.0f, 24.0f - windowRowsAbove, false));
        g.fillAll();
    }

private:
    float windowRowsAbove = 0.0f;
    ZenvarValueBar valueBar;
    ZenvarMultiSlider strip;
};
} // namespace

juce::Image renderControlsSnapshot (const ControlsSnapshotOptions& options)
{
    ControlsPanel panel (options);
    panel.runSpectrum (options.spectrumSeed);
    return panel.createComponentSnapshot (panel.getLocalBounds(), true, options.pixelDensity);
}
