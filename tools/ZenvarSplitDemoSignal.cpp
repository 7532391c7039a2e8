#include "tools/ZenvarSplitDemoSignal.h"

#include "tools/ZenvarSplitFailure.h"
#include "tools/ZenvarSplitOutputFile.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <cmath>

namespace
{
constexpr double secondsPerBeat = 0.5;
constexpr double twoPi = juce::MathConstants<double>::twoPi;

double noteToHz (int midiNote)
{
    return 440.0 * std::pow (2.0, (midiNote - 69) / 12.0);
}

/** Renders into the stereo buffer at the given pan (-1 left .. +1 right), with equal-power panning. */
class Renderer
{
public:
    Renderer (juce::AudioBuffer<double>& target, double rate)
        : buffer (target)
        , sampleRate (rate)
    {
    }

    template <typename Voice>
    void add (double startSeconds, double lengthSeconds, double gain, double pan, Voice&& voice)
    {
        const auto first = (int) std::lround (startSeconds * sampleRate);
        const auto count = (int) std::lround (lengthSeconds * sampleRate);
        const auto angle = (pan + 1.0) * juce::MathConstants<double>::pi * 0.25;
        const double gains[] = { gain * std::cos (angle), gain * std::sin (angle) };

        for (int i = 0; i < count && first + i < buffer.getNumSamples(); ++i)
        {
            const auto value = voice ((double) i / sampleRate, lengthSeconds);

            for (int channel = 0; channel < 2; ++channel)
                buffer.addSample (channel, first + i, value * gains[channel]);
        }
    }

private:
    juce::AudioBuffer<double>& buffer;
    double sampleRate;
};

/** Attack, exponential decay, and a short release at the note's end, so nothing clicks. */
double envelope (double t, double length, double attack, double decayTime, double release)
{
    const auto rise = std::min (1.0, t / attack);
    const auto fall = std::min (1.0, std::max (0.0, (length - t) / release));
    return rise * fall * std::exp (-t / decayTime);
}

/** A band-limited tone: `harmonics` partials falling as 1/n^rolloff. */
double tone (double phase, int harmonics, double rolloff)
{
    auto value = 0.0;

    for (int n = 1; n <= harmonics; ++n)
        value += std::sin (phase * n) / std::pow ((double) n, rolloff);

    return value;
}

struct Chord
{
    int bassNote;
    std::array<int, 3> notes;
};

const std::array<Chord, 4> progression { {
    { 33, { 57, 60, 64 } }, // A minor
    { 29, { 57, 60, 65 } }, // F major
    { 36, { 55, 60, 64 } }, // C major
    { 31, { 55, 59, 62 } }, // G major
} };

void addBassLine (Renderer& renderer)
{
    // Root, octave and fifth in eighth notes.
    const int pattern[] = { 0, 0, 12, 0, 7, 0, 12, 7 };

    for (size_t bar = 0; bar < progression.size(); ++bar)
        for (int step = 0; step < 8; ++step)
        {
            const auto hz = noteToHz (progression[bar].bassNote + pattern[step]);
            const auto start = ((double) bar * 4.0 + step * 0.5) * secondsPerBeat;

            auto pluck = [hz] (double t, double length)
            {
                return envelope (t, length, 0.004, 0.18, 0.02) * tone (twoPi * hz * t, 14, 1.0);
            };

            renderer.add (start, 0.24, 0.30, 0.0, pluck);
        }
}

void addChords (Renderer& renderer)
{
    const double pans[] = { -0.6, 0.1, 0.6 };
    const double detune[] = { 0.998, 1.0, 1.002 };

    for (size_t bar = 0; bar < progression.size(); ++bar)
        for (size_t voice = 0; voice < 3; ++voice)
        {
            const auto hz = noteToHz (progression[bar].notes[voice]) * detune[voice];

            auto pad = [hz] (double t, double length)
            {
                const auto vibrato = 1.0 + 0.003 * std::sin (twoPi * 5.0 * t);
                return envelope (t, length, 0.08, 3.0, 0.15) * tone (twoPi * hz * vibrato * t, 8, 1.6);
            };

            renderer.add ((double) bar * 4.0 * secondsPerBeat, 4.0 * secondsPerBeat, 0.07, pans[voice], pad);
        }
}

void addDrums (Renderer& renderer, juce::Random& random)
{
    const auto beats = (int) (ZenvarSplitDemoSignal::lengthInSeconds / secondsPerBeat);

    for (int beat = 0; beat < beats; ++beat)
    {
        const auto start = beat * secondsPerBeat;

        if (beat % 2 == 0)
        {
            auto kick = [] (double t, double length)
            {
                // A sine falling from 150 Hz to 45 Hz: the phase is the integral of that sweep.
                const auto phase = twoPi * (45.0 * t + (150.0 - 45.0) * 0.03 * (1.0 - std::exp (-t / 0.03)));
                return envelope (t, length, 0.001, 0.12, 0.02) * std::sin (phase);
            };

            renderer.add (start, 0.35, 0.55, 0.0, kick);
        }
        else
        {
            auto snare = [&random, lowPassed = 0.0] (double t, double length) mutable
            {
                lowPassed += 0.5 * ((random.nextDouble() * 2.0 - 1.0) - lowPassed);
                const auto body = 0.5 * std::sin (twoPi * 190.0 * t) * std::exp (-t / 0.04);
                return envelope (t, length, 0.001, 0.07, 0.02) * (lowPassed + body);
            };

            renderer.add (start, 0.25, 0.30, 0.0, snare);
        }

        for (int eighth = 0; eighth < 2; ++eighth)
        {
            const auto isOpen = beat % 4 == 3 && eighth == 1;
            auto hiHat = [&random, isOpen, previous = 0.0] (double t, double length) mutable
            {
                // The difference of white noise leans it towards the top of the spectrum.
                const auto noise = random.nextDouble() * 2.0 - 1.0;
                const auto bright = noise - previous;
                previous = noise;
                return envelope (t, length, 0.0005, isOpen ? 0.09 : 0.018, 0.01) * bright;
            };

            renderer.add (start + eighth * secondsPerBeat * 0.5, isOpen ? 0.24 : 0.08, isOpen ? 0.10 : 0.13, 0.35, hiHat);
        }
    }
}
} // namespace

//==============================================================================
juce::AudioBuffer<float> ZenvarSplitDemoSignal::render (double sampleRate)
{
    juce::AudioBuffer<double> mix (2, (int) std::lround (lengthInSeconds * sampleRate));
    mix.clear();
    juce::Random random (0x5a656e76);
    Renderer renderer (mix, sampleRate);

    addBassLine (renderer);
    addChords (renderer);
    addDrums (renderer, random);

    const auto peak = std::max (mix.getMagnitude (0, 0, mix.getNumSamples()), mix.getMagnitude (1, 0, mix.getNumSamples()));
    const auto targetPeak = std::pow (10.0, -1.0 / 20.0);

    juce::AudioBuffer<float> result (2, mix.getNumSamples());

    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < mix.getNumSamples(); ++i)
            result.setSample (channel, i, (float) (mix.getSample (channel, i) * targetPeak / peak));

    return result;
}

void ZenvarSplitDemoSignal::writeTo (const juce::File& file)
{
    const auto signal = render (defaultSampleRate);
    ZenvarSplitOutputFile output (file);
    auto stream = output.createStream();
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (stream.get(), defaultSampleRate, 2, 24, {}, 0));

    if (writer == nullptr)
        throw ZenvarSplitFailure ("cannot write " + file.getFullPathName());

    stream.release(); // the writer owns it now

    if (! writer->writeFromAudioSampleBuffer (signal, 0, signal.getNumSamples()))
        throw ZenvarSplitFailure ("writing " + file.getFullPathName() + " failed (is the disk full?)");

    writer.reset();
    output.commit();
}
