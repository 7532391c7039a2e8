#include "tools/EditorSnapshot.h"

#include "processor/ZenvarAudioProcessor.h"

#include <cmath>
#include <memory>

namespace
{
constexpr double sampleRateHz = 48000.0;
constexpr int samplesPerTick = 768; // 16 ms at 48 kHz, one editor timer tick
constexpr int ticksToPlay = 60;
constexpr double twoPi = juce::MathConstants<double>::twoPi;

/** A second of quiet music at 120 beats per minute: a falling kick on every beat, a bass note, a
    held A minor chord, a bright lead line on the eighths and noisy hi-hats between, a little wider
    on the right. Quiet, because the spectrum view draws loud bins as nothing. */
class GeneratedMusic
{
public:
    explicit GeneratedMusic (int seed)
        : random (seed)
    {
    }

    void render (juce::AudioBuffer<float>& buffer)
    {
        for (int sample = 0; sample < buffer.getNumSamples(); ++sample)
        {
            const auto [left, right] = nextFrame();
            buffer.setSample (0, sample, left);
            buffer.setSample (1, sample, right);
        }
    }

private:
    std::pair<float, float> nextFrame()
    {
        const auto t = (double) position++ / sampleRateHz;
        const auto sinceBeat = std::fmod (t, 0.5);
        const auto sinceEighth = std::fmod (t, 0.25);

        // The kick's pitch falls from 120 Hz to 50 Hz; its phase is the integral of that.
        const auto kickPhase = twoPi * (50.0 * sinceBeat + 70.0 * 0.04 * (1.0 - std::exp (-sinceBeat / 0.04)));
        const auto kick = 0.03 * std::exp (-sinceBeat / 0.12) * std::sin (kickPhase);

        double bass = 0.0;

        for (int harmonic = 1; harmonic <= 4; ++harmonic)
            bass += 0.012 / harmonic * std::sin (twoPi * 55.0 * harmonic * t);

        double chord = 0.0;

        for (const auto rootHz : { 220.0, 261.63, 329.63 })
            for (int harmonic = 1; harmonic <= 3; ++harmonic)
                chord += 0.006 / (harmonic * harmonic) * std::sin (twoPi * rootHz * harmonic * t);

        static constexpr double leadNotesHz[] = { 880.0, 1046.5, 1318.5, 1046.5 };
        const auto leadHz = leadNotesHz[(int) (t / 0.25) % 4];
        double lead = 0.0;

        for (int harmonic = 1; harmonic <= 6; ++harmonic)
            lead += 0.02 / harmonic * std::sin (twoPi * leadHz * harmonic * sinceEighth);

        lead *= std::exp (-sinceEighth / 0.4);

        // Differenced noise is tilted towards the highs, like a hi-hat.
        const auto noise = random.nextFloat() * 2.0f - 1.0f;
        const auto hat = 0.05 * std::exp (-sinceEighth / 0.03) * (noise - lastNoise);
        lastNoise = noise;
        const auto air = 0.004 * (random.nextFloat() * 2.0f - 1.0f);

        const auto centre = kick + bass + chord + lead;
        return { (float) (centre + 0.8 * hat + air), (float) (centre + hat - air) };
    }

    juce::Random random;
    juce::int64 position = 0;
    float lastNoise = 0.0f;
};

juce::MemoryBlock makeState (const EditorSnapshotOptions& options)
{
    juce::MemoryBlock state;
    juce::MemoryOutputStream stream (state, false);
    stream.writeInt (options.linkGroup);

    for (const auto hz : options.crossoversHz)
        stream.writeFloat (hz);

    for (const auto on : options.bandsOn)
        stream.writeFloat (on ? 1.0f : 0.0f);

    stream.writeFloat (options.zoomFactor);
    stream.flush();
    return state;
}
} // namespace

juce::Image renderEditorSnapshot (const EditorSnapshotOptions& options)
{
    ZenvarAudioProcessor processor;

    // Restored as a host restores a session, then played.
    const auto state = makeState (options);
    processor.setStateInformation (state.getData(), (int) state.getSize());
    processor.prepareToPlay (sampleRateHz, samplesPerTick);

    std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditor());
    auto* timer = dynamic_cast<juce::Timer*> (editor.get());
    jassert (timer != nullptr);
    editor->setVisible (true);

    GeneratedMusic music (options.seed);
    juce::AudioBuffer<float> buffer (2, samplesPerTick);
    juce::MidiBuffer midi;

    for (int tick = 0; tick < ticksToPlay; ++tick)
    {
        music.render (buffer);
        processor.processBlock (buffer, midi);

        // The spectrum view takes its size from the band strip's last paint.
        editor->createComponentSnapshot (editor->getLocalBounds());

        if (timer != nullptr)
            timer->timerCallback();
    }

    return editor->createComponentSnapshot (editor->getLocalBounds(), true, options.pixelDensity);
}
