#include "editor/EmbeddedResources.h"

#include <ZenvarBinaryData.h>

#include <cmath>
#include <cstring>

EmbeddedResource findEmbeddedResource (const char* key)
{
    if (key == nullptr)
        return {};

    // The generated getNamedResource matches on a 32-bit hash of the key alone, so a different
    // key with the same hash would get another resource's bytes. Compare the whole key first.
    for (int i = 0; i < embeddedResources::namedResourceListSize; ++i)
    {
        const char* candidate = embeddedResources::namedResourceList[i];

        if (std::strcmp (candidate, key) == 0)
        {
            int sizeInBytes = 0;
            const char* data = embeddedResources::getNamedResource (candidate, sizeInBytes);
            return { data, data != nullptr ? (size_t) sizeInBytes : 0 };
        }
    }

    return {};
}

std::string getNamedImageKey (const char* name, double displayScale)
{
    std::string key (name != nullptr ? name : "");
    key += displayScale > 1.0 ? "2x_png" : "_png";
    return key;
}

double getPrimaryDisplayScale()
{
    if (const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay())
        if (std::isfinite (display->scale) && display->scale > 0.0)
            return display->scale;

    return 1.0;
}

juce::Image loadNamedImage (const char* name)
{
    return loadNamedImageAtScale (name, getPrimaryDisplayScale());
}

juce::Image loadNamedImageAtScale (const char* name, double displayScale)
{
    const auto resource = findEmbeddedResource (getNamedImageKey (name, displayScale).c_str());

    if (resource.data == nullptr)
        return {};

    return juce::ImageCache::getFromMemory (resource.data, (int) resource.sizeInBytes);
}

EmbeddedResource getEditorTypefaceData()
{
    return { embeddedResources::ManropeRegular_ttf, (size_t) embeddedResources::ManropeRegular_ttfSize };
}

juce::Typeface::Ptr createEditorTypeface()
{
    const auto font = getEditorTypefaceData();
    return juce::Typeface::createSystemTypefaceFor (font.data, font.sizeInBytes);
}
