#pragma once

#include "editor/ZenvarAudioProcessorEditor.h"
#include "support/SyntheticMouse.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace zenvar::test
{

/** Opens an editor the way `createEditor` does, with a logo that opens nothing, and makes it
    visible as a host would (so clicks can find its children). The editor must go before its
    processor. */
inline std::unique_ptr<ZenvarAudioProcessorEditor> openEditor (
    ZenvarAudioProcessor& processor,
    ZenvarAudioProcessorEditor::WebPageOpener openWebPage = [] (const juce::String&) {})
{
    auto editor = std::make_unique<ZenvarAudioProcessorEditor> (processor, std::move (openWebPage));
    editor->setVisible (true);
    return editor;
}

/** The editor's child under `point` (editor coordinates) as a `Child`, or null when the topmost
    component there is something else. This is the component a click there would reach. */
template <typename Child>
Child* childAt (juce::Component& editor, juce::Point<int> point)
{
    return dynamic_cast<Child*> (editor.getComponentAt (point));
}

/** Presses and releases the mouse at `point` (editor coordinates) on whatever component is
    topmost there. */
inline void clickAt (juce::Component& editor, juce::Point<int> point)
{
    auto* target = editor.getComponentAt (point);
    ASSERT_NE (target, nullptr) << "nothing at " << point.toString();
    const auto local = target->getLocalPoint (&editor, point).toFloat();
    SyntheticMouse (*target).click (local.x, local.y);
}

/** Sets a parameter the way host automation does: the value changes, the host hears nothing. */
inline void hostAutomates (ZenvarAudioProcessor& processor, int parameterIndex, float normalisedValue)
{
    static_cast<juce::AudioProcessorParameter&> (processor.getParameterAt (parameterIndex)).setValue (normalisedValue);
}

/** A saved-state block as the host stores it: link group, crossovers in Hz, band switches, zoom. */
inline juce::MemoryBlock makeStateBlock (int linkGroup,
                                         std::array<float, 3> crossoversHz,
                                         std::array<float, 4> bandSwitches,
                                         float zoomFactor)
{
    juce::MemoryBlock block;
    juce::MemoryOutputStream stream (block, false);
    stream.writeInt (linkGroup);

    for (auto hz : crossoversHz)
        stream.writeFloat (hz);

    for (auto value : bandSwitches)
        stream.writeFloat (value);

    stream.writeFloat (zoomFactor);
    stream.flush();
    return block;
}

} // namespace zenvar::test
