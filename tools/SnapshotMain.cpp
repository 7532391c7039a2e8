// Renders parts of the plug-in's interface into PNG files, without a host or a display.
//
//   zenvar-snapshot --controls out.png [--zoom 1.5] [--density 2] [--bands 1011]
//                   [--crossovers 160,1000,5000] [--seed 7]
//   zenvar-snapshot --editor out.png [the same options] [--group 3]

#include "tools/ControlsSnapshot.h"
#include "tools/EditorSnapshot.h"

#include <iostream>

namespace
{
void printUsage()
{
    std::cerr << "usage: zenvar-snapshot --controls OUT.png [options]\n"
                 "       zenvar-snapshot --editor OUT.png [options]\n"
                 "  --controls OUT.png      the read-out and band strip over a made-up spectrum\n"
                 "  --editor OUT.png        the whole window of a processor playing generated music\n"
                 "options:\n"
                 "  --zoom Z                the editor's zoom factor (default 1)\n"
                 "  --density D             pixels per logical pixel (default 1)\n"
                 "  --bands MASK            four 0/1 digits for bands A to D (default 1111)\n"
                 "  --crossovers A,B,C      crossover frequencies in Hz (default 160,1000,5000)\n"
                 "  --seed N                seed of the made-up spectrum or music (default 7)\n"
                 "  --group G               lit link-group selector 1 to 8, editor only (default 1)\n";
}

bool parseBands (const juce::String& mask, std::array<bool, 4>& bandsOn)
{
    if (mask.length() != 4 || !mask.containsOnly ("01"))
        return false;

    for (int band = 0; band < 4; ++band)
        bandsOn[static_cast<size_t> (band)] = mask[band] == '1';

    return true;
}

bool parseCrossovers (const juce::String& list, std::array<float, 3>& crossoversHz)
{
    const auto parts = juce::StringArray::fromTokens (list, ",", "");

    if (parts.size() != 3)
        return false;

    for (int k = 0; k < 3; ++k)
    {
        if (!parts[k].trim().containsOnly ("0123456789.") || parts[k].trim().isEmpty())
            return false;

        crossoversHz[static_cast<size_t> (k)] = parts[k].getFloatValue();
    }

    return true;
}

bool parsePositive (const juce::String& text, float& value)
{
    value = text.getFloatValue();
    return text.containsOnly ("0123456789.") && value > 0.0f && value <= 8.0f;
}

bool writePng (const juce::Image& image, const juce::File& file)
{
    file.deleteFile();
    juce::FileOutputStream stream (file);

    if (!stream.openedOk())
        return false;

    juce::PNGImageFormat png;
    return png.writeImageToStream (image, stream) && stream.getStatus().wasOk();
}

bool parseGroup (const juce::String& text, int& linkGroup)
{
    linkGroup = text.getIntValue() - 1;
    return text.containsOnly ("0123456789") && juce::isPositiveAndBelow (linkGroup, 8);
}

EditorSnapshotOptions makeEditorOptions (const ControlsSnapshotOptions& options, int linkGroup)
{
    EditorSnapshotOptions editorOptions;
    editorOptions.zoomFactor = options.zoomFactor;
    editorOptions.pixelDensity = options.pixelDensity;
    editorOptions.crossoversHz = options.crossoversHz;
    editorOptions.bandsOn = options.bandsOn;
    editorOptions.linkGroup = linkGroup;
    editorOptions.seed = options.spectrumSeed;
    return editorOptions;
}

int run (const juce::StringArray& args)
{
    juce::String controlsPath, editorPath;
    ControlsSnapshotOptions options;
    int linkGroup = 0;

    for (int i = 0; i < args.size(); ++i)
    {
        const auto& option = args[i];
        const auto hasValue = i + 1 < args.size();
        const auto value = hasValue ? args[i + 1] : juce::String();
        auto valid = hasValue;

        if (option == "--controls")
            controlsPath = value;
        else if (option == "--editor")
            editorPath = value;
        else if (option == "--group")
            valid = valid && parseGroup (value, linkGroup);
        else if (option == "--zoom")
            valid = valid && parsePositive (value, options.zoomFactor);
        else if (option == "--density")
            valid = valid && parsePositive (value, options.pixelDensity);
        else if (option == "--bands")
            valid = valid && parseBands (value, options.bandsOn);
        else if (option == "--crossovers")
            valid = valid && parseCrossovers (value, options.crossoversHz);
        else if (option == "--seed")
            options.spectrumSeed = value.getIntValue();
        else
            valid = false;

        if (!valid)
        {
            std::cerr << "zenvar-snapshot: bad or incomplete option '" << option << "'\n";
            printUsage();
            return 2;
        }

        ++i;
    }

    if (controlsPath.isEmpty() == editorPath.isEmpty())
    {
        printUsage();
        return 2;
    }

    const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (controlsPath.isNotEmpty() ? controlsPath : editorPath);
    const auto image = controlsPath.isNotEmpty() ? renderControlsSnapshot (options)
                                                 : renderEditorSnapshot (makeEditorOptions (options, linkGroup));

    if (!writePng (image, file))
    {
        std::cerr << "zenvar-snapshot: cannot write " << file.getFullPathName() << "\n";
        return 1;
    }

    return 0;
}
} // namespace

int main (int argc, char* argv[])
{
    juce::ScopedJuceInitialiser_GUI juce;
    juce::StringArray args;

    for (int i = 1; i < argc; ++i)
        args.add (juce::String::fromUTF8 (argv[i]));

    return run (args);
}
