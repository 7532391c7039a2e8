#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

// Newer JUCE versions take a plug-in's AAX identifiers from a client-extensions object that the
// processor hands out. JUCE 7.0.5 asks the processor itself, so there we provide the same
// extension point and the processor forwards the framework's question to it.
#if JUCE_VERSION >= 0x070009
 #define ZENVAR_FRAMEWORK_HAS_AAX_CLIENT_EXTENSIONS 1
#else
 #define ZENVAR_FRAMEWORK_HAS_AAX_CLIENT_EXTENSIONS 0
#endif

namespace VTJUICY
{

#if ZENVAR_FRAMEWORK_HAS_AAX_CLIENT_EXTENSIONS
using AAXClientExtensions = juce::AAXClientExtensions;
#else
/** Where the framework has no AAX client extensions: the overridable question of which AAX
    plug-in ID a main-bus layout gets, answered by default with the framework's own ID. */
class AAXClientExtensions
{
public:
    /** `owner` supplies the framework's default IDs; it must outlive this object. */
    explicit AAXClientExtensions (const juce::AudioProcessor& owner) noexcept : processor (owner) {}
    virtual ~AAXClientExtensions() = default;

    /** The AAX plug-in ID for a pair of main-bus layouts ('jcaa' + layout index by default,
        'jyaa' + layout index for AudioSuite). [any thread] */
    virtual juce::int32 getPluginIDForMainBusConfig (const juce::AudioChannelSet& mainInputLayout,
                                                     const juce::AudioChannelSet& mainOutputLayout,
                                                     bool idForAudioSuite) const
    {
        // The qualified call reaches the framework's default even where the processor overrides it.
        return processor.juce::AudioProcessor::getAAXPluginIDForMainBusConfig (mainInputLayout, mainOutputLayout, idForAudioSuite);
    }

private:
    const juce::AudioProcessor& processor;
};
#endif

/** The plug-in's AAX identity: the IDs its mono and stereo layouts have always had, so that
    sessions saved with earlier versions find the plug-in again. */
class AAXClient : public AAXClientExtensions
{
public:
    explicit AAXClient (const juce::AudioProcessor& owner) noexcept;

    juce::int32 getPluginIDForMainBusConfig (const juce::AudioChannelSet& mainInputLayout,
                                             const juce::AudioChannelSet& mainOutputLayout,
                                             bool idForAudioSuite) const override;

    /** IDs per layout (main input, main output); -1 means the layout has no ID of its own. */
    juce::int32 monoToMonoID = 0x6a636161;     // 'jcaa'
    juce::int32 stereoToStereoID = 0x6a636162; // 'jcab'
    juce::int32 monoToStereoID = -1;
};

} // namespace VTJUICY
