#pragma once

#include "plugin/AAXClient.h"
#include "processor/AudioProcessorPool.h"
#include "processor/BandSplitter.h"
#include "processor/CrossoverParameters.h"
#include "processor/AnalysisFeed.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>

/** One instance of the band splitter: seven parameters (three crossovers, four band switches),
    its place in a link group, the band-splitting signal path and the spectrum feed of its editor.

    The processor keeps no pointer to its editor; the editor reads the members below directly.
*/
class ZenvarAudioProcessor : public juce::AudioProcessor
{
public:
    ZenvarAudioProcessor();
    ~ZenvarAudioProcessor() override;

    //==============================================================================
    const juce::String getName() const override;

    /** Clears the filters and snaps the crossover ramps when the sample rate changes; a repeated
        call at the same rate leaves filters and ramps running. [host thread, never during
        processing] */
    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    using juce::AudioProcessor::processBlock;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    /** Appends the 36-byte state block (little-endian): link group, crossovers in Hz, band
        switches, zoom factor. [any thread] */
    void getStateInformation (juce::MemoryBlock& destData) override;

    /** Reads a state block: moves to the stored link group first, then sets the seven parameters
        (with host notification) and the zoom factor. Missing bytes read as zero; damaged values
        are made safe (see the .cpp). [message or state thread] */
    void setStateInformation (const void* data, int sizeInBytes) override;

    /** Accepts equal main input and output layouts of one or two channels. */
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    /** The AAX identity of the plug-in (IDs per main-bus layout). */
   #if ZENVAR_FRAMEWORK_HAS_AAX_CLIENT_EXTENSIONS
    juce::AAXClientExtensions* getAAXClientExtensions() override { return &aaxClient; }
   #else
    VTJUICY::AAXClientExtensions* getAAXClientExtensions() noexcept { return &aaxClient; }
   #endif

   #if ! ZENVAR_FRAMEWORK_HAS_AAX_CLIENT_EXTENSIONS
    /** Forwards the framework's question to the AAX client extensions. */
    juce::int32 getAAXPluginIDForMainBusConfig (const juce::AudioChannelSet& mainInputLayout,
                                                const juce::AudioChannelSet& mainOutputLayout,
                                                bool idForAudioSuite) const override;
   #endif

    //==============================================================================
    /** Sets this instance's crossovers to `source`'s normalised values, notifying the host of
        each. Does nothing for null or this instance. [message thread] */
    void copyCrossoversFrom (const ZenvarAudioProcessor* source);

    /** Moves this instance into link group `group` (0..7), taking over the crossovers of the
        group's longest-standing member and keeping its own band switches. An index outside 0..7
        (only a damaged saved state can ask for one) is ignored. [message or state thread] */
    void moveToLinkGroup (int group);

    /** The parameter at `index` (0..6, see parameterTable). */
    juce::AudioParameterFloat& getParameterAt (int index) const noexcept;

    /** The normalised value of parameter `index`. [any thread] */
    float getParameterValue (int index) const noexcept;

    /** Sets crossover `index` of this instance to a value pushed from another member of its link
        group, without notifying this instance's host. Ignored while the instance is still being
        constructed. [any thread, audio threads included] */
    void receivePushedCrossover (int index, float normalisedValue) noexcept;

    /** Writes a crossover value into every other member of this instance's link group, as the
        audio path does when a crossover changes. Returns the members reached, in group order,
        through `onPushed` (called as onPushed (ZenvarAudioProcessor&)). [any thread] */
    template <typename OnPushed>
    void pushCrossoverToLinkGroup (int index, float normalisedValue, OnPushed&& onPushed) const noexcept
    {
        processorPool->forEachMemberOfGroup (linkGroup.load (std::memory_order_relaxed), [&] (juce::AudioProcessor* member)
        {
            if (member == this)
                return;

            if (auto* zenvar = dynamic_cast<ZenvarAudioProcessor*> (member))
            {
                zenvar->receivePushedCrossover (index, normalisedValue);
                onPushed (*zenvar);
            }
        });
    }

    /** The spectrum of the newest 1024-sample input frame finished since the last call (real
        parts 0..511 are the bin magnitudes, bin k at k × currentSampleRate / 1024 Hz), or
        nullptr when there is none. The values stay until the next call. [message thread] */
    const kiss_fft_cpx* takeLatestSpectrum() noexcept { return spectrumFeed.takeLatestSpectrum(); }

    //==============================================================================
    /** The link group this instance belongs to (0..7). Written on the message thread, read
        anywhere. */
    std::atomic<int> linkGroup { 0 };

    /** The process-wide registry; not owned. */
    AudioProcessorPool* processorPool = nullptr;

    /** Sample rate of the last prepareToPlay() that changed it; 0 before the first. Written by
        prepare, read by the editor. */
    std::atomic<double> currentSampleRate { 0.0 };

    /** Whether the host transport was playing at the start of the last block. Written by the
        audio thread, read by the editor (relaxed: no other data depends on it). */
    std::atomic<bool> hostIsPlaying { false };

    /** Zoom factor of the editor (1 or more), saved with the state. */
    std::atomic<float> editorScale { 1.0f };

private:
    //==============================================================================
    void createParameters (int positionInGroupZero);
    void synchroniseCrossoversWithLinkGroup() noexcept;
    void updateHostIsPlaying() noexcept;
    bool areAllBandsOn() const noexcept;
    void splitIntoBands (juce::AudioBuffer<float>& buffer) noexcept;

    VTJUICY::AAXClient aaxClient;

    std::array<juce::AudioParameterFloat*, zenvar::numParameters> parameters {};
    std::atomic<bool> parametersReady { false };

    /** Crossover values as last seen by the audio callback (normalised). */
    std::array<float, zenvar::numCrossovers> lastCrossoverValues {};

    /** The nine crossover filters and the crossover ramps; audio thread and prepare only. */
    zenvar::BandSplitter bandSplitter;

    /** The input's frames for the editor's spectrum: fed by the audio thread, taken by the
        editor. */
    zenvar::AnalysisFeed spectrumFeed;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZenvarAudioProcessor)
};
