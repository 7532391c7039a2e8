// Opens the editor of the built bundle in a real window, as a JUCE host does, on a private virtual
// X display; clicks a band, a group selector and the zoom button through the X server (xdotool);
// checks through the host's side of the plug-in (parameters, saved state, window size) and in
// pictures of the screen (ImageMagick's import) that the clicks did what they should.
//
//   zenvar-editor-window-check [--bundle Zenvar.vst3] [--out DIR]
//
// Writes editor-window-opened.png, editor-window-clicked.png and editor-window-zoomed.png into
// DIR (default: the current directory). Exit status 0 when every check passed, 1 otherwise.
//
// A JUCE plug-in inside a JUCE host on Linux shares the host's run loop, and on a machine short of
// CPU time its window sometimes misses a repaint; a failed screen step is worth one more run
// before it is taken for a fault. That is why this is a tool and not part of the test suite.

#include "editor/EditorLayout.h"
#include "tools/HostedProcessorState.h"
#include "tools/PrivateXServer.h"
#include "tools/ScriptedSession.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <vector>

#ifndef ZENVAR_WINDOW_CHECK_DEFAULT_BUNDLE
#define ZENVAR_WINDOW_CHECK_DEFAULT_BUNDLE ""
#endif

namespace
{
constexpr int windowX = 40;
constexpr int windowY = 60;
constexpr int stepTimeoutMilliseconds = 10000;

/** Makes JUCE treat this program as a standalone application, as any JUCE host program is, for
    as long as it exists: only then does JUCE make Xlib thread-safe and install its X error
    handler, which ignores the harmless errors of a display without a window manager (Xlib's
    default handler would end the process). Nothing ever creates the application object. */
class ScopedStandaloneHost
{
public:
    ScopedStandaloneHost()
    {
        juce::JUCEApplicationBase::createInstance = []() -> juce::JUCEApplicationBase*
        { return nullptr; };
    }
    ~ScopedStandaloneHost() { juce::JUCEApplicationBase::createInstance = nullptr; }

    ScopedStandaloneHost (const ScopedStandaloneHost&) = delete;
    ScopedStandaloneHost& operator= (const ScopedStandaloneHost&) = delete;
};

/** A top-level window holding a plug-in editor and following its size, as a host's plug-in
    window does. The editor attaches the plug-in's view once the window becomes visible. */
class HostWindow : public juce::Component
{
public:
    explicit HostWindow (juce::AudioProcessorEditor& editorToShow)
        : editor (editorToShow)
    {
        addAndMakeVisible (editor);
        setSize (editor.getWidth(), editor.getHeight());
    }

    void childBoundsChanged (juce::Component*) override { setSize (editor.getWidth(), editor.getHeight()); }

private:
    juce::AudioProcessorEditor& editor;
};

bool runCommand (const juce::StringArray& command)
{
    juce::ChildProcess process;
    return process.start (command, 0) && process.waitForProcessToFinish (stepTimeoutMilliseconds) && process.getExitCode() == 0;
}

bool clickOnScreen (juce::Point<int> screenPosition)
{
    return runCommand ({ "xdotool", "mousemove", "--sync", juce::String (screenPosition.x), juce::String (screenPosition.y), "click", "1" });
}

/** Takes pictures of the whole screen. Each one blocks the host's message thread, which also runs
    the plug-in's events, so it takes at most two a second and says when it took none. */
class ScreenCamera
{
public:
    bool capture (const juce::File& file, juce::Image& image)
    {
        const auto now = juce::Time::getMillisecondCounter();

        if (now - lastCapture < 500)
            return false;

        lastCapture = now;

        if (! runCommand ({ "import", "-window", "root", file.getFullPathName() }))
            return false;

        image = juce::ImageFileFormat::loadFrom (file);
        return image.isValid();
    }

private:
    juce::uint32 lastCapture = 0;
};

bool isReddish (juce::Colour c) { return c.getRed() > c.getGreen() + 60 && c.getRed() > c.getBlue() + 60; }
bool isOrangeish (juce::Colour c) { return c.getRed() > c.getBlue() + 80 && c.getGreen() > c.getBlue() + 30 && c.getRed() > c.getGreen(); }
bool isGreenish (juce::Colour c) { return c.getGreen() > c.getRed() + 30 && c.getGreen() > c.getBlue() + 30; }
bool isGreyish (juce::Colour c) { return std::abs (c.getRed() - c.getGreen()) < 12 && std::abs (c.getGreen() - c.getBlue()) < 12; }
int getBrightness (juce::Colour c) { return (c.getRed() + c.getGreen() + c.getBlue()) / 3; }

/** Counts and reports the checks made after the session. */
class Checks
{
public:
    void expect (bool passed, const juce::String& description)
    {
        std::cout << (passed ? "  ok      " : "  FAILED  ") << description << "\n";
        failures += passed ? 0 : 1;
    }

    bool allPassed() const noexcept { return failures == 0; }

private:
    int failures = 0;
};

/** The session: one instance shown in a window, a second one waiting in link group 2. */
class WindowCheck
{
public:
    WindowCheck (juce::AudioPluginInstance& shownInstance, juce::AudioPluginInstance& otherInstance, const juce::File& outputFolder)
        : shown (shownInstance)
        , other (otherInstance)
        , openedPicture (outputFolder.getChildFile ("editor-window-opened.png"))
        , clickedPicture (outputFolder.getChildFile ("editor-window-clicked.png"))
        , zoomedPicture (outputFolder.getChildFile ("editor-window-zoomed.png"))
    {
        shown.addListener (&hostEvents);
    }

    ~WindowCheck()
    {
        window.reset();
        editor.reset();
        shown.removeListener (&hostEvents);
    }

    bool run()
    {
        Checks checks;
        prepareInstances (checks);

        ScriptedSession session (stepTimeoutMilliseconds);
        addSteps (session);

        const auto failedStep = session.run();
        checks.expect (failedStep.isEmpty(), "every step finished" + (failedStep.isEmpty() ? juce::String() : " (not: " + failedStep + ")"));
        checkWhatTheHostSaw (checks);
        return checks.allPassed();
    }

private:
    //==============================================================================
    /** Records what the host hears from the shown instance. */
    struct HostEvents : public juce::AudioProcessorListener
    {
        std::vector<std::pair<int, float>> changes;
        int gestures = 0;

        void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value) override { changes.push_back ({ index, value }); }
        void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int) override { ++gestures; }
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override { }
    };

    void prepareInstances (Checks& checks)
    {
        HostedProcessorState otherState (other);
        otherState.setLinkGroup (2);
        otherState.setCrossoverHz (0, 300.0f);
        otherState.setCrossoverHz (1, 2000.0f);
        otherState.setCrossoverHz (2, 9000.0f);
        otherState.restoreInto (other);
        checks.expect (HostedProcessorState (other).getLinkGroup() == 2, "the other instance waits in link group 2");

        // Automation to 0 while the host is stopped: the editor's timer writes the nearest value
        // the band strip allows back, which tells the host that the editor is up and ticking.
        shown.getParameters()[0]->setValueNotifyingHost (0.0f);
    }

    void addSteps (ScriptedSession& session)
    {
        session.onStepStarted = [] (const juce::String& name)
        { std::cout << "step: " << name << std::endl; };

        // A hand on the mouse: while a step waits, the pointer twitches by a pixel over the
        // product icon, which reacts to nothing. Each twitch wakes the plug-in's X connection in
        // the host's run loop; events already read into Xlib's queue would otherwise wait there.
        const auto icon = screenPositionOf (layoutAt (1.0f).productIcon.getCentre());
        session.whileWaiting = [icon, twitch = 0]() mutable
        {
            twitch = 1 - twitch;
            runCommand ({ "xdotool", "mousemove", juce::String (icon.x + twitch), juce::String (icon.y) });
        };

        session.addStep (
            "editor opens and its timer writes the clamped crossover back", [this]
            { openWindow(); },
            [this]
            { return shown.getParameters()[0]->getValue() > 0.0f; });

        session.addStep (
            "screen shows the editor, band A on", [] {}, [this]
            { return camera.capture (openedPicture, screen) && isReddish (pixelAt (bandPoint (1.0f, 0))); });

        session.addStep (
            "band D switched on by a click", [this]
            { clickOnScreen (screenPositionOf (bandPoint (1.0f, 3))); },
            [this]
            { return shown.getParameters()[6]->getValue() == 1.0f; });

        session.addStep (
            "selector 3 moves the instance to link group 2", [this]
            { clickOnScreen (screenPositionOf (layoutAt (1.0f).groupSelectors[2].getCentre())); },
            [this]
            { return HostedProcessorState (shown).getLinkGroup() == 2; });

        session.addStep (
            "screen shows band D on and selector 3 lit", [] {}, [this]
            { return camera.capture (clickedPicture, screen) && isOrangeish (pixelAt (bandPoint (1.0f, 3))) && isSelectorLit (1.0f, 2) && ! isSelectorLit (1.0f, 0); });

        session.addStep (
            "zoom button makes the window 600 x 170", [this]
            { clickOnScreen (screenPositionOf (layoutAt (1.0f).zoomButton.getCentre())); },
            [this]
            { return editor->getWidth() == 600 && editor->getHeight() == 170; });

        session.addStep (
            "band B switched on by a click in the zoomed window", [this]
            { clickOnScreen (screenPositionOf (bandPoint (1.5f, 1))); },
            [this]
            { return shown.getParameters()[4]->getValue() == 1.0f; });

        session.addStep (
            "screen shows the zoomed editor, bands A, B and D on", [] {}, [this]
            { return camera.capture (zoomedPicture, screen) && isReddish (pixelAt (bandPoint (1.5f, 0))) && isGreenish (pixelAt (bandPoint (1.5f, 1)))
                     && isOrangeish (pixelAt (bandPoint (1.5f, 3))) && isSelectorLit (1.5f, 2); });
    }

    void checkWhatTheHostSaw (Checks& checks)
    {
        std::vector<float> bandChanges;

        for (const auto& [index, value] : hostEvents.changes)
            if (index == 6)
                bandChanges.push_back (value);

        checks.expect (bandChanges == std::vector<float> { 1.0f }, "the band click reached the host as one change of \"Band 4 Active\" to 1");
        const auto wroteBackClampedCrossover = std::any_of (hostEvents.changes.begin(), hostEvents.changes.end(), [] (const auto& change)
                                                            { return change.first == 0 && std::abs (change.second - 1.0f / 26.0f) < 1.0e-6f; });
        checks.expect (wroteBackClampedCrossover, "crossover 1 automated to 0 while stopped came back from the editor as 1/26");
        checks.expect (hostEvents.gestures == 0, "no gesture around clicks and selector moves");

        auto sameCrossovers = true;

        for (int k = 0; k < 3; ++k)
            sameCrossovers = sameCrossovers && std::abs (shown.getParameters()[k]->getValue() - other.getParameters()[k]->getValue()) < 1.0e-6f;

        checks.expect (sameCrossovers, "in link group 2 the shown instance took over the group's crossovers");
        checks.expect (HostedProcessorState (shown).getZoomFactor() == 1.5f, "the saved state carries zoom 1.5");
        checks.expect (isGreyish (pixelAt (bandPoint (1.5f, 2))), "band C, never clicked, is grey on screen");
    }

    //==============================================================================
    void openWindow()
    {
        editor.reset (shown.createEditorIfNeeded());
        window = std::make_unique<HostWindow> (*editor);
        window->setTopLeftPosition (windowX, windowY);
        window->addToDesktop (0);
        window->setVisible (true);
    }

    static juce::Point<int> screenPositionOf (juce::Point<int> editorPosition)
    {
        return juce::Point<int> (windowX, windowY) + editorPosition;
    }

    static EditorLayout layoutAt (float zoomFactor)
    {
        return EditorLayout::forWindow (EditorLayout::getWindowSize (zoomFactor).x, zoomFactor);
    }

    /** The middle of a band, low in the strip (clear of letters and thumbs), from the crossovers
        the host sees. */
    juce::Point<int> bandPoint (float zoomFactor, int band) const
    {
        const auto lower = band > 0 ? shown.getParameters()[band - 1]->getValue() : 0.0f;
        const auto upper = band < 3 ? shown.getParameters()[band]->getValue() : 1.0f;
        return layoutAt (zoomFactor).bandStrip.getRelativePoint ((lower + upper) * 0.5f, 0.6f);
    }

    juce::Colour pixelAt (juce::Point<int> editorPosition) const
    {
        const auto position = screenPositionOf (editorPosition);
        return screen.isValid() ? screen.getPixelAt (position.x, position.y) : juce::Colour();
    }

    /** A lit selector's disc is much brighter than an unlit one; compared near the disc's left
        edge, clear of the number. */
    bool isSelectorLit (float zoomFactor, int selector) const
    {
        const auto selectors = layoutAt (zoomFactor).groupSelectors;
        const auto nearEdge = [&] (int i)
        { return pixelAt (selectors[(size_t) i].getPosition() + juce::Point<int> (3, 8)); };
        const auto darkest = juce::jmin (getBrightness (nearEdge ((selector + 1) % 8)), getBrightness (nearEdge ((selector + 2) % 8)));
        return getBrightness (nearEdge (selector)) > darkest + 30;
    }

    juce::AudioPluginInstance& shown;
    juce::AudioPluginInstance& other;
    const juce::File openedPicture, clickedPicture, zoomedPicture;
    HostEvents hostEvents;
    std::unique_ptr<juce::AudioProcessorEditor> editor;
    std::unique_ptr<HostWindow> window;
    ScreenCamera camera;
    juce::Image screen;
};

int runCheck (const juce::File& bundle, const juce::File& outputFolder)
{
    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> found;
    format.findAllTypesForFile (found, bundle.getFullPathName());

    if (found.size() != 1)
    {
        std::cerr << "zenvar-editor-window-check: no plug-in in " << bundle.getFullPathName() << "\n";
        return 1;
    }

    juce::String error;
    auto shown = format.createInstanceFromDescription (*found[0], 48000.0, 512, error);
    auto other = format.createInstanceFromDescription (*found[0], 48000.0, 512, error);

    if (shown == nullptr || other == nullptr)
    {
        std::cerr << "zenvar-editor-window-check: " << error << "\n";
        return 1;
    }

    const auto passed = WindowCheck (*shown, *other, outputFolder).run();
    std::cout << (passed ? "all checks passed" : "some checks FAILED") << "; pictures in " << outputFolder.getFullPathName() << "\n";
    return passed ? 0 : 1;
}
} // namespace

int main (int argc, char* argv[])
{
    juce::File bundle (ZENVAR_WINDOW_CHECK_DEFAULT_BUNDLE);
    auto outputFolder = juce::File::getCurrentWorkingDirectory();

    for (int i = 1; i + 1 < argc; i += 2)
    {
        const juce::String option (argv[i]);
        const auto value = juce::File::getCurrentWorkingDirectory().getChildFile (argv[i + 1]);

        if (option == "--bundle")
            bundle = value;
        else if (option == "--out")
            outputFolder = value;
    }

    if (argc % 2 == 0 || ! bundle.exists())
    {
        std::cerr << "usage: zenvar-editor-window-check [--bundle Zenvar.vst3] [--out DIR]\n";
        return 2;
    }

    for (const auto* program : { "xdotool", "import" })
    {
        if (! runCommand ({ "sh", "-c", juce::String ("command -v ") + program + " > /dev/null" }))
        {
            std::cerr << "zenvar-editor-window-check: needs " << program << " (Debian packages xdotool and imagemagick)\n";
            return 2;
        }
    }

    const PrivateXServer display;

    if (! display.isRunning())
    {
        std::cerr << "zenvar-editor-window-check: cannot start Xvfb (Debian package xvfb)\n";
        return 2;
    }

    // The host opens its X connection before the plug-in's own copy of JUCE opens another on its
    // message thread.
    const ScopedStandaloneHost standaloneHost;
    const juce::ScopedJuceInitialiser_GUI juce;

    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
    {
        std::cerr << "zenvar-editor-window-check: no display on " << display.getDisplayName() << "\n";
        return 2;
    }

    outputFolder.createDirectory();
    return runCheck (bundle, outputFolder);
}
