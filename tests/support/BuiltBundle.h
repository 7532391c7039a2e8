#pragma once

#include <juce_core/juce_core.h>

namespace zenvar::test
{

/** The plug-in binary inside the VST3 bundle this build made (its path comes from CMake). */
inline juce::File getBuiltBundleBinary()
{
    return juce::File (ZENVAR_VST3_BINARY_PATH);
}

/** The Zenvar.vst3 bundle folder this build made: the binary sits in Contents/<architecture>/. */
inline juce::File getBuiltBundle()
{
    return getBuiltBundleBinary().getParentDirectory().getParentDirectory().getParentDirectory();
}

} // namespace zenvar::test
