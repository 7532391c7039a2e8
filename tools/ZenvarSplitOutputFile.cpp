#include "tools/ZenvarSplitOutputFile.h"

#include "tools/ZenvarSplitFailure.h"

#include <filesystem>

ZenvarSplitOutputFile::ZenvarSplitOutputFile (const juce::File& target)
    : temporary (target, juce::TemporaryFile::useHiddenFile)
{
}

ZenvarSplitOutputFile::~ZenvarSplitOutputFile() = default;

std::unique_ptr<juce::FileOutputStream> ZenvarSplitOutputFile::createStream()
{
    auto stream = std::make_unique<juce::FileOutputStream> (temporary.getFile());

    if (stream->failedToOpen())
        throw ZenvarSplitFailure ("cannot write " + getTarget().getFullPathName() + ": " + stream->getStatus().getErrorMessage());

    return stream;
}

void ZenvarSplitOutputFile::commit()
{
    jassert (! committed);

    if (! temporary.overwriteTargetFileWithTemporary())
        throw ZenvarSplitFailure ("cannot move the finished output into place as " + getTarget().getFullPathName());

    committed = true;
}

bool ZenvarSplitOutputFile::refersToSameFile (const juce::File& a, const juce::File& b)
{
    std::error_code error;
    const auto pathA = std::filesystem::path (a.getFullPathName().toStdString());
    const auto pathB = std::filesystem::path (b.getFullPathName().toStdString());

    if (std::filesystem::exists (pathA, error) && std::filesystem::exists (pathB, error))
        return std::filesystem::equivalent (pathA, pathB, error);

    return pathA.lexically_normal() == pathB.lexically_normal();
}
