#pragma once

#include <kiss_fft.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdlib>

namespace zenvar
{

/** Collects the input of every block into 1024-sample frames, transforms each full frame and
    hands the newest magnitude spectrum to the editor.

    A frame is the sum of the first two channels (twice the only one, for mono), scaled by
    sin(π/2048), rectangular-windowed, without overlap; its 1024-point forward transform goes into
    a spectrum frame whose real parts 0..511 are then replaced by the bin magnitudes. Bin k lies at
    k × sample rate / 1024 Hz.

    Hand-over: three spectrum frames rotate between the audio thread (the frame being
    transformed), a published slot and the editor (the frame it last took). Publishing and taking
    are single atomic exchanges of the published slot's index and its "fresh" flag (acquire-release
    on both sides: each side's writes or reads of a frame happen before the other side gets that
    frame), so the audio thread never waits and never touches the frame the editor holds, however
    late the editor is.

    Everything is allocated by the constructor, in one block; if that fails, the feed does
    nothing and never has a frame to give.
*/
class SpectrumFeed
{
public:
    static constexpr int frameLength = 1024;
    static constexpr int numMagnitudes = frameLength / 2;

    using AllocateFunction = void* (*) (std::size_t);
    using ReleaseFunction = void (*) (void*);

    /** Allocates the frames and the transform plan with `allocate`, and frees them with
        `release`; an allocator that fails (returns null) leaves a feed that does nothing.
        [message thread] */
    explicit SpectrumFeed (AllocateFunction allocate = std::malloc, ReleaseFunction release = std::free) noexcept;
    ~SpectrumFeed();

    //==============================================================================
    /** Adds a block of `numSamples` samples to the frame being collected, transforming and
        publishing every frame that fills; reads the first two of `numChannels` channels (none:
        nothing happens). Allocates nothing. [audio thread] */
    void pushBlock (const float* const* channels, int numChannels, int numSamples) noexcept;

    /** The newest finished spectrum frame (1024 values; the real parts 0..511 are the
        magnitudes), or nullptr when no frame has finished since the last call. The frame stays
        untouched until the next call. [message thread, one reader at a time] */
    const kiss_fft_cpx* takeLatestSpectrum() noexcept;

    //==============================================================================
    /** False when the constructor could not allocate; such a feed never has a frame. */
    bool hasStorage() const noexcept { return fftConfig != nullptr; }

    /** The scale sin(π/2048) applied to every input sample, about 0.0015339802. */
    static float getInputScale() noexcept;

private:
    //==============================================================================
    void finishFrame() noexcept;

    static constexpr int numSpectrumFrames = 3;
    static constexpr int freshFrameFlag = 0x100;
    static constexpr int frameIndexMask = 0xff;

    ReleaseFunction releaseStorage;
    void* storage = nullptr;
    kiss_fft_cfg fftConfig = nullptr;
    kiss_fft_cpx* analysisRing = nullptr;
    std::array<kiss_fft_cpx*, numSpectrumFrames> spectrumFrames {};
    const float inputScale = getInputScale();

    int analysisWriteIndex = 0;

    /** The frame the next transform writes; audio thread only. */
    int fftTarget = 0;

    /** The frame the editor holds; message thread only. */
    int readerFrame = 1;

    /** The published frame's index, with freshFrameFlag while the editor has not taken it. */
    std::atomic<int> publishedFrame { 2 };

    SpectrumFeed (const SpectrumFeed&) = delete;
    SpectrumFeed& operator= (const SpectrumFeed&) = delete;
};

} // namespace zenvar
