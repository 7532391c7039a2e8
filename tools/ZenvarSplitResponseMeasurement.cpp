#include "tools/ZenvarSplitResponseMeasurement.h"

#include <juce_dsp/juce_dsp.h>

#include <cmath>
#include <complex>

namespace
{
using Spectrum = std::vector<std::complex<double>>;

/** Runs one impulse through the host and collects each band's response, `length` samples long. */
std::array<std::vector<float>, ZenvarSplitHost::numBands> recordImpulseResponses (ZenvarSplitHost& host, int length)
{
    std::array<std::vector<float>, ZenvarSplitHost::numBands> responses;
    const auto blockSize = host.getMaxBlockSize();
    juce::AudioBuffer<float> input (host.getNumChannels(), blockSize);
    auto bands = host.createBandBuffers();

    for (auto& response : responses)
        response.reserve ((size_t) length);

    for (int done = 0; done < length; done += blockSize)
    {
        const auto numSamples = juce::jmin (blockSize, length - done);
        input.clear();

        if (done == 0)
            for (int channel = 0; channel < input.getNumChannels(); ++channel)
                input.setSample (channel, 0, 1.0f);

        host.process (input, numSamples, bands);

        for (size_t band = 0; band < responses.size(); ++band)
            responses[band].insert (responses[band].end(), bands[band].getReadPointer (0), bands[band].getReadPointer (0) + numSamples);
    }

    return responses;
}

Spectrum transform (const std::vector<float>& response, int order)
{
    const auto size = 1 << order;
    juce::dsp::FFT fft (order);
    std::vector<float> data ((size_t) size * 2, 0.0f);
    std::copy (response.begin(), response.end(), data.begin());
    fft.performRealOnlyForwardTransform (data.data(), true);

    Spectrum spectrum ((size_t) size / 2 + 1);

    for (size_t bin = 0; bin < spectrum.size(); ++bin)
        spectrum[bin] = { data[bin * 2], data[bin * 2 + 1] };

    return spectrum;
}

/** The spectrum's magnitude at `hz`, interpolated between the two nearest bins, in dB. */
double magnitudeDecibelsAt (const Spectrum& spectrum, double hz, double binsPerHz)
{
    const auto position = hz * binsPerHz;
    const auto lower = juce::jlimit ((size_t) 0, spectrum.size() - 2, (size_t) position);
    const auto fraction = position - (double) lower;
    const auto magnitude = std::abs (spectrum[lower]) * (1.0 - fraction) + std::abs (spectrum[lower + 1]) * fraction;
    return 20.0 * std::log10 (std::max (magnitude, 1.0e-12));
}
} // namespace

ZenvarSplitBandResponses ZenvarSplitResponseMeasurement::measure (ZenvarSplitHost& host, int numPoints)
{
    jassert (numPoints >= 2);

    ZenvarSplitBandResponses result;
    result.sampleRate = host.getSampleRate();
    result.crossoversHz = host.getCrossoversHz();

    const auto order = (int) std::ceil (std::log2 (result.sampleRate));
    const auto size = 1 << order;
    const auto impulseResponses = recordImpulseResponses (host, size);

    std::array<Spectrum, ZenvarSplitHost::numBands> spectra;
    Spectrum sum ((size_t) size / 2 + 1);

    for (size_t band = 0; band < spectra.size(); ++band)
    {
        spectra[band] = transform (impulseResponses[band], order);

        for (size_t bin = 0; bin < sum.size(); ++bin)
            sum[bin] += spectra[band][bin];
    }

    const auto binsPerHz = size / result.sampleRate;
    const auto highest = std::min (highestHz, result.sampleRate * 0.5);

    for (int point = 0; point < numPoints; ++point)
    {
        const auto hz = lowestHz * std::pow (highest / lowestHz, point / (double) (numPoints - 1));
        result.frequenciesHz.push_back (hz);
        result.sumDecibels.push_back (magnitudeDecibelsAt (sum, hz, binsPerHz));

        for (size_t band = 0; band < spectra.size(); ++band)
            result.bandDecibels[band].push_back (magnitudeDecibelsAt (spectra[band], hz, binsPerHz));
    }

    return result;
}
