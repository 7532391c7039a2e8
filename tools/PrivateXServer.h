#pragma once

#include <juce_core/juce_core.h>

/** A virtual X display of our own (Xvfb) for as long as the object exists; this process and the
    programs it starts use it through DISPLAY, which is restored afterwards. The server ends with
    its last client, so it also goes if this process dies.

    The server runs without the shared-memory extension: with it, a JUCE plug-in inside a JUCE
    host on a busy machine sometimes stops repainting for good after a resize, waiting for a
    shared-memory completion that never arrives. Plain image transfers have no such wait.
    [main thread, before JUCE's GUI starts] */
class PrivateXServer
{
public:
    PrivateXServer();
    ~PrivateXServer();

    /** False when Xvfb could not be started (not installed, or no display number free). */
    bool isRunning() const noexcept { return running; }

    /** The display name, such as ":1". */
    juce::String getDisplayName() const { return displayName; }

private:
    juce::ChildProcess server;
    juce::String displayName;
    juce::String previousDisplay;
    bool hadDisplay = false;
    bool running = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PrivateXServer)
};
