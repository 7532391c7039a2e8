#include "processor/ZenvarAudioProcessor.h"

// The framework's plug-in wrappers create every instance through this function.
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new ZenvarAudioProcessor();
}
