#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include <kiss_fft.h>

#include <array>

/** The live spectrum behind the band strip: one smoothed level per analysis bin, drawn as a shape
    mirrored about the view's horizontal centre line. Levels jump up at once and fall by 0.01 per
    update. The x axis is the square root of the bin position, which lines the spectrum up with the
    crossover thumbs (their values sit on the parameters' square-law frequency axis).

    The band strip owns the view, sizes it and paints it into its own graphics context; the view is
    never added to a parent. [message thread]
*/
class FreqView : public juce::Component
{
public:
    /** Number of magnitude bins in a spectrum frame (the real parts of entries 0..511). */
    static constexpr int numBins = 512;

    /** Number of `kiss_fft_cpx` entries in a spectrum frame. */
    static constexpr int frameSize = 1024;

    /** Which bins a sample rate puts on screen: bins first..end-1 are drawn, and bin i sits at
        sqrt ((i - first) / axisSpan) of the width. */
    struct BinRange
    {
        int first = 0;
        int end = 0;
        float axisSpan = 0.0f;

        bool isEmpty() const noexcept { return end <= first; }
    };

    //==============================================================================
    FreqView();
    ~FreqView() override;

    //==============================================================================
    /** Folds one spectrum frame into the levels and recomputes the bin positions for the view's
        current size. `frame` points to `frameSize` entries whose real parts 0..511 hold the bin
        magnitudes, or is null when no new frame is ready, which only lets the levels fall. A rate
        below 22000 Hz or not finite (an unprepared processor reports 0) counts as 44100 Hz.
        [message thread] */
    void updateSpectrum (const kiss_fft_cpx* frame, double sampleRateHz);

    /** Fills the spectrum shape with the graphics context's current fill; sets no colour itself.
        [message thread] */
    void paint (juce::Graphics& g) override;

    /** Moves the bins to the new size at once, levels unchanged. [message thread] */
    void resized() override;

    //==============================================================================
    /** The smoothed level 0..1 of one bin; 0 for a bin outside 0..511. [message thread] */
    float getLevel (int bin) const noexcept;

    /** The sample rate of the last update after the low-rate rule; 44100 before any update.
        [message thread] */
    float getSampleRate() const noexcept { return sampleRate; }

    /** The rate that maps bins to frequencies for a reported rate: rates below 22000 Hz, NaN and
        infinities count as 44100 Hz. [any thread] */
    static float getEffectiveSampleRate (double reportedSampleRateHz) noexcept;

    /** The bins shown for a rate between 20 Hz and 20 kHz. The axis spans the whole 20 kHz range
        even where the frame stops short of it (rates below about 39922 Hz), so the spectrum stays
        lined up with the thumbs and simply ends at the frame's last bin. [any thread] */
    static BinRange getBinRange (float sampleRateHz) noexcept;

private:
    //==============================================================================
    void updatePositions() noexcept;

    static constexpr float minHz = 20.0f;
    static constexpr float maxHz = 20000.0f;

    std::array<float, numBins> levels {};
    std::array<float, numBins> xPositions {};
    std::array<float, numBins> yPositions {};
    float sampleRate = 44100.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FreqView)
};
