#include "tools/PrivateXServer.h"

#include <cstdlib>

PrivateXServer::PrivateXServer()
{
    const juce::StringArray command { "Xvfb", "-displayfd", "1", "-terminate", "-nolisten", "tcp", "-extension", "MIT-SHM", "-screen", "0", "1280x1024x24" };

    if (! server.start (command, juce::ChildProcess::wantStdOut))
        return;

    // Xvfb writes the display number it chose, then a newline, once it accepts clients.
    juce::String number;
    char c = 0;

    while (server.readProcessOutput (&c, 1) == 1 && c != '\n')
        number += c;

    if (number.isEmpty() || ! number.containsOnly ("0123456789"))
    {
        server.kill();
        return;
    }

    const auto* current = std::getenv ("DISPLAY");
    hadDisplay = current != nullptr;
    previousDisplay = hadDisplay ? juce::String (current) : juce::String();
    displayName = ":" + number;
    setenv ("DISPLAY", displayName.toRawUTF8(), 1);
    running = true;
}

PrivateXServer::~PrivateXServer()
{
    if (running)
    {
        if (hadDisplay)
            setenv ("DISPLAY", previousDisplay.toRawUTF8(), 1);
        else
            unsetenv ("DISPLAY");
    }

    server.kill();
}
