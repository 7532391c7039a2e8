#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstddef>
#include <string>

/** The bytes of one resource compiled into the plug-in; null data and size 0 when there is none.
    The bytes live as long as the plug-in's code is loaded. */
struct EmbeddedResource
{
    const void* data = nullptr;
    size_t sizeInBytes = 0;
};

//==============================================================================
/** The resource whose key equals `key` byte for byte (keys are case-sensitive ASCII), or an empty
    resource. [any thread] */
EmbeddedResource findEmbeddedResource (const char* key);

/** The key of picture `name` for a display of scale `displayScale`: the name followed by "2x_png"
    when the scale is above 1 (strictly), otherwise by "_png". A null or empty name gives the bare
    suffix, and a NaN scale counts as 1. [any thread] */
std::string getNamedImageKey (const char* name, double displayScale);

/** The scale factor of the primary display, or 1 when the framework knows no display (a machine
    without a screen) or reports a scale that is not a positive number. [message thread] */
double getPrimaryDisplayScale();

/** The picture `name` ("zoom_in", "zoom_out", "zenvar_icon", "vantorlogovit") in the variant for
    the primary display's current scale: 2x above scale 1, else 1x, with no fallback between them.
    Unknown names and undecodable data give a null image. Decoded pictures are shared through
    juce::ImageCache. [message thread] */
juce::Image loadNamedImage (const char* name);

/** loadNamedImage for a display of scale `displayScale` instead of the primary display's.
    [message thread] */
juce::Image loadNamedImageAtScale (const char* name, double displayScale);

//==============================================================================
/** The editor's TrueType font file (family Manrope, style Regular), embedded. [any thread] */
EmbeddedResource getEditorTypefaceData();

/** A new typeface made from the embedded font file, which also registers it with the system on
    platforms that need that. Each editor makes its own at construction. [message thread] */
juce::Typeface::Ptr createEditorTypeface();
