#include "tools/ZenvarSplitProgress.h"

#include <unistd.h>

namespace
{
/** Runs shorter than this never show a bar. */
constexpr double quietMilliseconds = 300.0;
constexpr double redrawMilliseconds = 100.0;
constexpr int barWidth = 40;
} // namespace

ZenvarSplitProgress::ZenvarSplitProgress (juce::int64 samples, double rate, std::FILE* output)
    : totalSamples (samples)
    , sampleRate (rate)
    , stream (output)
    , isTerminal (output != nullptr && isatty (fileno (output)) != 0)
    , startMs (juce::Time::getMillisecondCounterHiRes())
{
}

ZenvarSplitProgress::~ZenvarSplitProgress()
{
    finish();
}

void ZenvarSplitProgress::update (juce::int64 samplesDone)
{
    if (! isTerminal || totalSamples <= 0)
        return;

    const auto now = juce::Time::getMillisecondCounterHiRes();

    if (now - startMs < quietMilliseconds || now - lastDrawMs < redrawMilliseconds)
        return;

    lastDrawMs = now;
    drawn = true;
    const auto fraction = (double) samplesDone / (double) totalSamples;
    const auto bar = renderBar (fraction, (double) samplesDone / sampleRate, (double) totalSamples / sampleRate, barWidth);
    std::fprintf (stream, "\r%s", bar.toRawUTF8());
    std::fflush (stream);
}

void ZenvarSplitProgress::finish()
{
    if (! drawn)
        return;

    // Back to the start of the line and clear it, so the summary starts on a clean line.
    std::fprintf (stream, "\r\033[K");
    std::fflush (stream);
    drawn = false;
}

juce::String ZenvarSplitProgress::renderBar (double fraction, double secondsDone, double secondsTotal, int width)
{
    const auto clamped = juce::jlimit (0.0, 1.0, fraction);
    const auto filled = juce::roundToInt (clamped * width);

    return "[" + juce::String::repeatedString ("#", filled) + juce::String::repeatedString ("-", width - filled) + "] "
           + juce::String (juce::roundToInt (clamped * 100.0)).paddedLeft (' ', 3) + "%  "
           + juce::String (secondsDone, 1) + " s of " + juce::String (secondsTotal, 1) + " s";
}
