#pragma once

#include <kiss_fft.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdlib>

namespace zenvar
{

/** Collects the input of every block into 1024-sample frames and turns the newest frame into a
    magnitude spectrum for the editor.

    A frame is the sum of the first two channels (twice the only one, for mono), scaled by
    sin(π/2048), rectangular-windowed, without overlap. Its 1024-point forward transform gives a
    spectrum frame whose real parts 0..511 are the bin magnitudes; bin k lies at
    k × sample rate / 1024 Hz.

    The audio thread only collects samples. The transform runs when the editor takes a frame, on
    the editor's thread, and only for the frame it takes: an instance without an open editor pays
    nothing for it, and the audio callback never runs an FFT.

    Hand-over: three sample frames rotate between the audio thread (the frame being collected), a
    published slot and the editor (the frame it took last). Publishing and taking are single
    atomic exchanges of the published slot's index and its "fresh" flag, acquire-release on both
    sides, so each side's writes or reads of a frame happen before the other side gets it. The
    audio thread never waits and never writes the frame the editor holds, however late the editor
    is.

    Everything is allocated by the constructor, in one block; if that fails, the feed does
    nothing and never has a frame to give.
*/
class AnalysisFeed
{
public:
    static constexpr int frameLength = 1024;
    static constexpr int numMagnitudes = frameLength / 2;

    using AllocateFunction = void* (*) (std::size_t);
    using ReleaseFunction = void (*) (void*);

    /** Allocates the frames and the transform plan with `allocate` and frees them with
        `release`. An allocator that fails (returns null) leaves a feed that does nothing.
        [message thread] */
    explicit AnalysisFeed (AllocateFunction allocate = std::malloc, ReleaseFunction release = std::free) noexcept;
    ~AnalysisFeed();

    //==============================================================================
    /** Adds a block of `numSamples` samples to the frame being collected and publishes every
        frame that fills. Reads the first two of `numChannels` channels (none: does nothing).
        Allocates nothing, never waits. [audio thread] */
    void pushBlock (const float* const* channels, int numChannels, int numSamples) noexcept;

    /** The spectrum of the newest frame finished since the last take (1024 values; the real
        parts 0..511 are the magnitudes), or nullptr when there is none. The values stay as they
        are until the next call. [message thread, one reader at a time] */
    const kiss_fft_cpx* takeLatestSpectrum() noexcept;

    /** The newest frame finished since the last take, as its 1024 scaled samples in time order,
        or nullptr when there is none. The frame is the editor's until the next call of this or
        takeLatestSpectrum(): the audio thread does not touch it. [message thread, one reader] */
    const float* takeLatestFrame() noexcept;

    //==============================================================================
    /** False when the constructor could not allocate; such a feed never has a frame. */
    bool hasStorage() const noexcept { return fftConfig != nullptr; }

    /** The scale sin(π/2048) applied to every input sample, about 0.0015339802. */
    static float getInputScale() noexcept;

private:
    //==============================================================================
    static constexpr int numSampleFrames = 3;
    static constexpr int freshFrameFlag = 0x100;
    static constexpr int frameIndexMask = 0xff;

    ReleaseFunction releaseStorage;
    void* storage = nullptr;
    kiss_fft_cfg fftConfig = nullptr;
    std::array<float*, numSampleFrames> sampleFrames {};
    const float inputScale = getInputScale();

    /** The frame being collected and the next sample's place in it; audio thread only. */
    int collectingFrame = 0;
    int analysisWriteIndex = 0;

    /** The frame the editor took last, and the transform's input and output; editor only. */
    int readerFrame = 1;
    kiss_fft_cpx* transformInput = nullptr;
    kiss_fft_cpx* spectrum = nullptr;

    /** The published frame's index, with freshFrameFlag while the editor has not taken it. */
    std::atomic<int> publishedFrame { 2 };

    AnalysisFeed (const AnalysisFeed&) = delete;
    AnalysisFeed& operator= (const AnalysisFeed&) = delete;
};

} // namespace zenvar
