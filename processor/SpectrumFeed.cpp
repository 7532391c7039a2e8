#include "SpectrumFeed.h"

#include <cmath>
#include <cstring>

namespace zenvar
{

SpectrumFeed::SpectrumFeed (AllocateFunction allocate, ReleaseFunction release) noexcept
    : releaseStorage (release)
{
    std::size_t configBytes = 0;
    kiss_fft_alloc (frameLength, 0, nullptr, &configBytes);

    // The ring and the spectrum frames first (float alignment), the plan at the end.
    constexpr auto frameBytes = sizeof (kiss_fft_cpx) * frameLength;
    constexpr auto framesBytes = frameBytes * (1 + numSpectrumFrames);
    storage = allocate (framesBytes + configBytes);

    if (storage == nullptr)
        return;

    std::memset (storage, 0, framesBytes);
    auto* frames = static_cast<kiss_fft_cpx*> (storage);
    analysisRing = frames;

    for (int i = 0; i < numSpectrumFrames; ++i)
        spectrumFrames[static_cast<std::size_t> (i)] = frames + frameLength * (i + 1);

    fftConfig = kiss_fft_alloc (frameLength, 0, static_cast<char*> (storage) + framesBytes, &configBytes);
}

SpectrumFeed::~SpectrumFeed()
{
    if (storage != nullptr)
        releaseStorage (storage);
}

float SpectrumFeed::getInputScale() noexcept
{
    return std::sin (static_cast<float> (3.141592653589793 / frameLength * 0.5));
}

void SpectrumFeed::pushBlock (const float* const* channels, int numChannels, int numSamples) noexcept
{
    if (fftConfig == nullptr || numChannels <= 0)
        return;

    const auto* left = channels[0];
    const auto* right = numChannels >= 2 ? channels[1] : channels[0];

    for (int i = 0; i < numSamples; ++i)
    {
        // With one channel the sum is that channel twice, so mono and stereo read alike.
        analysisRing[analysisWriteIndex].r = (left[i] + right[i]) * inputScale;

        if (++analysisWriteIndex == frameLength)
        {
            analysisWriteIndex = 0;
            finishFrame();
        }
    }
}

void SpectrumFeed::finishFrame() noexcept
{
    auto* spectrum = spectrumFrames[static_cast<std::size_t> (fftTarget)];
    kiss_fft (fftConfig, analysisRing, spectrum);

    for (int bin = 0; bin < numMagnitudes; ++bin)
    {
        const auto re = spectrum[bin].r;
        const auto im = spectrum[bin].i;
        spectrum[bin].r = std::sqrt (re * re + im * im);
    }

    fftTarget = publishedFrame.exchange (fftTarget | freshFrameFlag, std::memory_order_acq_rel) & frameIndexMask;
}

const kiss_fft_cpx* SpectrumFeed::takeLatestSpectrum() noexcept
{
    // Only the audio thread sets the flag and only this thread clears it, so a flag seen here is
    // still set at the exchange below.
    if ((publishedFrame.load (std::memory_order_relaxed) & freshFrameFlag) == 0)
        return nullptr;

    readerFrame = publishedFrame.exchange (readerFrame, std::memory_order_acq_rel) & frameIndexMask;
    return spectrumFrames[static_cast<std::size_t> (readerFrame)];
}

} // namespace zenvar
