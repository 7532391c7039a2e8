#pragma once

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace zenvar::test
{

/** Keeps JUCE's GUI side (message manager, desktop, fonts) alive for a whole test run. Register it
    from a test program's main with `testing::AddGlobalTestEnvironment`. Components are painted
    into images and driven by synthesised mouse events, so no display is needed. */
class JuceGuiEnvironment : public testing::Environment
{
public:
    void SetUp() override { juce = std::make_unique<juce::ScopedJuceInitialiser_GUI>(); }
    void TearDown() override { juce.reset(); }

private:
    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> juce;
};

} // namespace zenvar::test
