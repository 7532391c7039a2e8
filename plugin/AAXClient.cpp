#include "AAXClient.h"

namespace VTJUICY
{

#if ZENVAR_FRAMEWORK_HAS_AAX_CLIENT_EXTENSIONS
AAXClient::AAXClient (const juce::AudioProcessor&) noexcept {}
#else
AAXClient::AAXClient (const juce::AudioProcessor& owner) noexcept : AAXClientExtensions (owner) {}
#endif

juce::int32 AAXClient::getPluginIDForMainBusConfig (const juce::AudioChannelSet& mainInputLayout,
                                                    const juce::AudioChannelSet& mainOutputLayout,
                                                    bool idForAudioSuite) const
{
    const auto mono = juce::AudioChannelSet::mono();
    const auto stereo = juce::AudioChannelSet::stereo();

    if (! idForAudioSuite)
    {
        if (mainInputLayout == mono && mainOutputLayout == mono)
            return monoToMonoID;

        if (monoToStereoID != -1 && mainInputLayout == mono && mainOutputLayout == stereo)
            return monoToStereoID;

        if (mainInputLayout == stereo && mainOutputLayout == stereo)
            return stereoToStereoID;
    }

    return AAXClientExtensions::getPluginIDForMainBusConfig (mainInputLayout, mainOutputLayout, idForAudioSuite);
}

} // namespace VTJUICY
