#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

namespace zenvar::test
{

/** Makes JUCE see one primary display of the given scale factor, or no display at all, until the
    object goes away, then restores the displays it found. JUCE keeps its list of displays in the
    public member juce::Displays::displays, which its platform code fills in; this replaces that
    list. Needs the GUI side of JUCE running, on the message thread. */
class ScopedPrimaryDisplay
{
public:
    explicit ScopedPrimaryDisplay (std::optional<double> scale)
        : displays (const_cast<juce::Displays&> (juce::Desktop::getInstance().getDisplays()))
        , originalDisplays (displays.displays)
    {
        displays.displays.clear();

        if (scale.has_value())
        {
            juce::Displays::Display display;
            display.isMain = true;
            display.scale = *scale;
            display.dpi = 96.0 * *scale;
            display.totalArea = display.userArea = { 0, 0, 1280, 1024 };
            displays.displays.add (display);
        }
    }

    ~ScopedPrimaryDisplay() { displays.displays = originalDisplays; }

    ScopedPrimaryDisplay (const ScopedPrimaryDisplay&) = delete;
    ScopedPrimaryDisplay& operator= (const ScopedPrimaryDisplay&) = delete;

private:
    juce::Displays& displays;
    juce::Array<juce::Displays::Display> originalDisplays;
};

} // namespace zenvar::test
