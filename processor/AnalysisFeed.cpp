#include "AnalysisFeed.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zenvar
{

AnalysisFeed::AnalysisFeed (AllocateFunction allocate, ReleaseFunction release) noexcept
    : releaseStorage (release)
{
    std::size_t configBytes = 0;
    kiss_fft_alloc (frameLength, 0, nullptr, &configBytes);

    // Sample frames, transform input and spectrum first (float alignment), the plan at the end.
    constexpr auto sampleFramesBytes = sizeof (float) * frameLength * numSampleFrames;
    constexpr auto complexFrameBytes = sizeof (kiss_fft_cpx) * frameLength;
    constexpr auto framesBytes = sampleFramesBytes + 2 * complexFrameBytes;
    storage = allocate (framesBytes + configBytes);

    if (storage == nullptr)
        return;

    std::memset (storage, 0, framesBytes);
    auto* bytes = static_cast<char*> (storage);

    for (int i = 0; i < numSampleFrames; ++i)
        sampleFrames[static_cast<std::size_t> (i)] = reinterpret_cast<float*> (bytes) + frameLength * i;

    transformInput = reinterpret_cast<kiss_fft_cpx*> (bytes + sampleFramesBytes);
    spectrum = transformInput + frameLength;
    fftConfig = kiss_fft_alloc (frameLength, 0, bytes + framesBytes, &configBytes);
}

AnalysisFeed::~AnalysisFeed()
{
    if (storage != nullptr)
        releaseStorage (storage);
}

float AnalysisFeed::getInputScale() noexcept
{
    return std::sin (static_cast<float> (3.141592653589793 / frameLength * 0.5));
}

void AnalysisFeed::pushBlock (const float* const* channels, int numChannels, int numSamples) noexcept
{
    if (fftConfig == nullptr || numChannels <= 0)
        return;

    // With one channel the sum is that channel twice, so mono and stereo read alike.
    const auto* left = channels[0];
    const auto* right = numChannels >= 2 ? channels[1] : channels[0];

    for (int done = 0; done < numSamples;)
    {
        const auto length = std::min (numSamples - done, frameLength - analysisWriteIndex);
        auto* destination = sampleFrames[static_cast<std::size_t> (collectingFrame)] + analysisWriteIndex;

        for (int i = 0; i < length; ++i)
            destination[i] = (left[done + i] + right[done + i]) * inputScale;

        done += length;
        analysisWriteIndex += length;

        if (analysisWriteIndex == frameLength)
        {
            analysisWriteIndex = 0;
            collectingFrame = publishedFrame.exchange (collectingFrame | freshFrameFlag, std::memory_order_acq_rel) & frameIndexMask;
        }
    }
}

const float* AnalysisFeed::takeLatestFrame() noexcept
{
    // Only the audio thread sets the flag and only this thread clears it, so a flag seen here is
    // still set at the exchange below.
    if ((publishedFrame.load (std::memory_order_relaxed) & freshFrameFlag) == 0)
        return nullptr;

    readerFrame = publishedFrame.exchange (readerFrame, std::memory_order_acq_rel) & frameIndexMask;
    return sampleFrames[static_cast<std::size_t> (readerFrame)];
}

const kiss_fft_cpx* AnalysisFeed::takeLatestSpectrum() noexcept
{
    const auto* samples = takeLatestFrame();

    if (samples == nullptr)
        return nullptr;

    for (int i = 0; i < frameLength; ++i)
        transformInput[i] = { samples[i], 0.0f };

    kiss_fft (fftConfig, transformInput, spectrum);

    for (int bin = 0; bin < numMagnitudes; ++bin)
    {
        const auto re = spectrum[bin].r;
        const auto im = spectrum[bin].i;
        spectrum[bin].r = std::sqrt (re * re + im * im);
    }

    return spectrum;
}

} // namespace zenvar
