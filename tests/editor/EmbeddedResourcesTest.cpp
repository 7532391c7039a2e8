#include "editor/EmbeddedResources.h"
#include "support/ScopedPrimaryDisplay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>

using zenvar::test::ScopedPrimaryDisplay;

namespace
{
struct Picture
{
    const char* name;
    int width1x;
    int height1x;
};

constexpr Picture pictures[] = {
    { "zoom_in", 22, 22 },
    { "zoom_out", 22, 22 },
    { "zenvar_icon", 79, 17 },
    { "vantorlogovit", 39, 8 },
};

uint32_t readBigEndian32 (const uint8_t* bytes)
{
    return (uint32_t (bytes[0]) << 24) | (uint32_t (bytes[1]) << 16) | (uint32_t (bytes[2]) << 8) | bytes[3];
}

int16_t readBigEndian16 (const uint8_t* bytes)
{
    return (int16_t) (uint16_t) ((bytes[0] << 8) | bytes[1]);
}

const uint8_t* bytesOf (const EmbeddedResource& resource)
{
    return static_cast<const uint8_t*> (resource.data);
}

/** The PNG header fields and chunk names of a file, read straight from its bytes. */
struct PngLayout
{
    uint32_t width = 0, height = 0;
    int bitDepth = -1, colourType = -1, interlace = -1;
    juce::StringArray chunks;
};

PngLayout readPngLayout (const EmbeddedResource& resource)
{
    static const uint8_t signature[] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n' };
    PngLayout layout;
    const auto* bytes = bytesOf (resource);

    if (resource.sizeInBytes < 8 || std::memcmp (bytes, signature, 8) != 0)
        return layout;

    for (size_t offset = 8; offset + 12 <= resource.sizeInBytes;)
    {
        const auto length = readBigEndian32 (bytes + offset);
        const auto kind = juce::String (reinterpret_cast<const char*> (bytes + offset + 4), 4);
        const auto* data = bytes + offset + 8;
        layout.chunks.add (kind);

        if (kind == "IHDR")
        {
            layout.width = readBigEndian32 (data);
            layout.height = readBigEndian32 (data + 4);
            layout.bitDepth = data[8];
            layout.colourType = data[9];
            layout.interlace = data[12];
        }

        offset += 12 + length;
    }

    return layout;
}

/** The byte offset of TrueType table `tag` in a font file, or 0. */
size_t findFontTable (const EmbeddedResource& font, const char* tag)
{
    const auto* bytes = bytesOf (font);
    const int numTables = (uint16_t) readBigEndian16 (bytes + 4);

    for (int i = 0; i < numTables; ++i)
    {
        const auto* record = bytes + 12 + 16 * i;

        if (std::memcmp (record, tag, 4) == 0)
            return readBigEndian32 (record + 8);
    }

    return 0;
}

/** The hash by which JUCE's generated getNamedResource picks a resource. */
uint32_t resourceNameHash (const char* name)
{
    uint32_t hash = 0;

    for (; *name != 0; ++name)
        hash = 31 * hash + (uint32_t) *name;

    return hash;
}

/** The largest difference of a premultiplied channel between `image1x` and `image2x` shrunk to
    half size by averaging each 2 x 2 block; 255 if the sizes do not pair up. */
int largestDifferenceAtHalfSize (const juce::Image& image1x, const juce::Image& image2x)
{
    if (image2x.getWidth() != 2 * image1x.getWidth() || image2x.getHeight() != 2 * image1x.getHeight())
        return 255;

    int largest = 0;

    for (int y = 0; y < image1x.getHeight(); ++y)
    {
        for (int x = 0; x < image1x.getWidth(); ++x)
        {
            float sum[4] = {};

            for (int dy = 0; dy < 2; ++dy)
            {
                for (int dx = 0; dx < 2; ++dx)
                {
                    const auto pixel = image2x.getPixelAt (2 * x + dx, 2 * y + dy).getPixelARGB();
                    sum[0] += pixel.getAlpha();
                    sum[1] += pixel.getRed();
                    sum[2] += pixel.getGreen();
                    sum[3] += pixel.getBlue();
                }
            }

            const auto pixel = image1x.getPixelAt (x, y).getPixelARGB();
            const int channels[] = { pixel.getAlpha(), pixel.getRed(), pixel.getGreen(), pixel.getBlue() };

            for (int c = 0; c < 4; ++c)
                largest = std::max (largest, (int) std::lround (std::abs (sum[c] / 4.0f - (float) channels[c])));
        }
    }

    return largest;
}

int countTransparentPixels (const juce::Image& image)
{
    int count = 0;

    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            count += image.getPixelAt (x, y).getAlpha() == 0 ? 1 : 0;

    return count;
}

/** Image decoding, displays and fonts need JUCE's GUI side running. */
struct EmbeddedPictures : public ::testing::Test
{
    juce::ScopedJuceInitialiser_GUI juce;
};

using EditorTypeface = EmbeddedPictures;
} // namespace

//==============================================================================
TEST (NamedImageKey, AddsTheSuffixOfTheDensityOnce)
{
    const struct
    {
        const char* name;
        double displayScale;
        const char* expectedKey;
    } cases[] = {
        { "zoom_in", 1.0, "zoom_in_png" },
        { "zoom_in", 2.0, "zoom_in2x_png" },
        { "zoom_in", 1.25, "zoom_in2x_png" },
        { "zoom_in", 1.0000001, "zoom_in2x_png" },
        { "zoom_in", 0.5, "zoom_in_png" },
        { "zoom_in", std::numeric_limits<double>::quiet_NaN(), "zoom_in_png" },
        { "zoom_in_png", 1.0, "zoom_in_png_png" },
        { "", 2.0, "2x_png" },
        { nullptr, 1.0, "_png" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.name != nullptr ? c.name : "(null)") + " at scale " + juce::String (c.displayScale));
        EXPECT_EQ (getNamedImageKey (c.name, c.displayScale), c.expectedKey);
    }
}

//==============================================================================
TEST_F (EmbeddedPictures, EveryPictureIsAnUninterlacedRgbaPngTaggedSrgb)
{
    for (const auto& picture : pictures)
    {
        for (const auto scale : { 1, 2 })
        {
            const auto key = getNamedImageKey (picture.name, scale);
            SCOPED_TRACE (key);
            const auto layout = readPngLayout (findEmbeddedResource (key.c_str()));

            EXPECT_EQ (layout.width, (uint32_t) (picture.width1x * scale));
            EXPECT_EQ (layout.height, (uint32_t) (picture.height1x * scale));
            EXPECT_EQ (layout.bitDepth, 8);
            EXPECT_EQ (layout.colourType, 6);
            EXPECT_EQ (layout.interlace, 0);
            EXPECT_TRUE (layout.chunks.contains ("sRGB"));
        }
    }
}

TEST_F (EmbeddedPictures, PrimaryDisplayScaleChoosesTheDensity)
{
    const struct
    {
        std::optional<double> primaryDisplayScale;
        int expectedDensity;
    } cases[] = {
        { 1.0, 1 },
        { 2.0, 2 },
        { 1.25, 2 },
        { 0.75, 1 },
        { std::nullopt, 1 }, // no display known
        { std::numeric_limits<double>::quiet_NaN(), 1 },
    };

    for (const auto& c : cases)
    {
        const ScopedPrimaryDisplay display (c.primaryDisplayScale);
        EXPECT_EQ (getPrimaryDisplayScale() > 1.0 ? 2 : 1, c.expectedDensity);

        for (const auto& picture : pictures)
        {
            SCOPED_TRACE (juce::String (picture.name) + " with primary display scale "
                          + (c.primaryDisplayScale ? juce::String (*c.primaryDisplayScale) : juce::String ("none")));
            const auto image = loadNamedImage (picture.name);

            ASSERT_TRUE (image.isValid());
            EXPECT_EQ (image.getWidth(), picture.width1x * c.expectedDensity);
            EXPECT_EQ (image.getHeight(), picture.height1x * c.expectedDensity);
        }
    }
}

TEST_F (EmbeddedPictures, BackgroundIsTransparentAndInkIsPresent)
{
    for (const auto& picture : pictures)
    {
        for (const auto scale : { 1.0, 2.0 })
        {
            SCOPED_TRACE (getNamedImageKey (picture.name, scale));
            const auto image = loadNamedImageAtScale (picture.name, scale);
            ASSERT_TRUE (image.isValid());
            ASSERT_TRUE (image.hasAlphaChannel());

            const int transparent = countTransparentPixels (image);
            const int total = image.getWidth() * image.getHeight();
            EXPECT_GE (transparent * 4, total) << "at least a quarter of the picture is background";
            EXPECT_LT (transparent * 10, total * 9) << "the drawing covers at least a tenth of it";
        }
    }
}

TEST_F (EmbeddedPictures, EachDoubleDensityPictureShowsTheSameDrawing)
{
    // Drawing differences (a picture swapped for another, a shifted stroke) move whole pixels
    // by far more than this; edge smoothing alone stays well below it.
    constexpr int tolerance = 24;

    for (const auto& picture : pictures)
    {
        SCOPED_TRACE (picture.name);
        EXPECT_LE (largestDifferenceAtHalfSize (loadNamedImageAtScale (picture.name, 1.0),
                                                loadNamedImageAtScale (picture.name, 2.0)),
                   tolerance);
    }

    EXPECT_GT (largestDifferenceAtHalfSize (loadNamedImageAtScale ("zoom_out", 1.0), loadNamedImageAtScale ("zoom_in", 2.0)),
               tolerance)
        << "the comparison must tell the two magnifiers apart";
}

TEST_F (EmbeddedPictures, NamesNotInTheTableGiveNullImages)
{
    // "{Pom_in_png" has the same 32-bit hash as "zoom_in_png", which JUCE's generated lookup
    // alone would take for a match.
    ASSERT_EQ (resourceNameHash ("{Pom_in_png"), resourceNameHash ("zoom_in_png"));

    for (const auto* name : { "zoom", "zoom_in_png", "zoom_in2", "ZOOM_IN", "zoom_in ", "", "{Pom_in", "ManropeRegular" })
    {
        for (const auto scale : { 1.0, 2.0 })
        {
            SCOPED_TRACE (juce::String ("\"") + name + "\" at scale " + juce::String (scale));
            EXPECT_TRUE (loadNamedImageAtScale (name, scale).isNull());
        }
    }

    EXPECT_TRUE (loadNamedImageAtScale (nullptr, 1.0).isNull());
    EXPECT_EQ (findEmbeddedResource (nullptr).data, nullptr);
    EXPECT_EQ (findEmbeddedResource ("{Pom_in_png").sizeInBytes, 0u);
}

TEST_F (EmbeddedPictures, RepeatedLoadsShareTheDecodedImage)
{
    const auto first = loadNamedImageAtScale ("zenvar_icon", 2.0);
    const auto second = loadNamedImageAtScale ("zenvar_icon", 2.0);

    ASSERT_TRUE (first.isValid());
    EXPECT_EQ (first, second);
    EXPECT_NE (first, loadNamedImageAtScale ("zenvar_icon", 1.0));
}

//==============================================================================
TEST_F (EditorTypeface, EmbeddedFontIsATrueTypeFile)
{
    const auto font = getEditorTypefaceData();

    ASSERT_NE (font.data, nullptr);
    ASSERT_GT (font.sizeInBytes, 12u);
    EXPECT_EQ (readBigEndian32 (bytesOf (font)), 0x00010000u) << "TrueType outlines, not CFF";
    EXPECT_NE (findFontTable (font, "glyf"), 0u);
}

TEST_F (EditorTypeface, TypefaceComesFromTheEmbeddedFont)
{
    const auto typeface = createEditorTypeface();
    ASSERT_TRUE (typeface != nullptr);
    EXPECT_EQ (typeface->getName(), "Manrope");
    EXPECT_EQ (typeface->getStyle(), "Regular");

    // JUCE scales a face by its ascender plus descender; they must be the embedded file's.
    const auto fontData = getEditorTypefaceData();
    const auto hhea = findFontTable (fontData, "hhea");
    ASSERT_NE (hhea, 0u);
    const float ascender = readBigEndian16 (bytesOf (fontData) + hhea + 4);
    const float descender = readBigEndian16 (bytesOf (fontData) + hhea + 6);
    EXPECT_NEAR (typeface->getAscent(), ascender / (ascender - descender), 1.0e-5f);

    const juce::Font font (typeface);
    EXPECT_EQ (font.getTypefaceName(), "Manrope");
    EXPECT_FLOAT_EQ (font.getHeight(), 14.0f);
}

TEST_F (EditorTypeface, CoversEveryCharacterTheEditorDraws)
{
    const auto typeface = createEditorTypeface();
    ASSERT_TRUE (typeface != nullptr);

    // Read-outs ("160", "1.3K"), band letters and group numbers.
    const juce::String characters ("0123456789.KABCD");
    juce::Array<int> glyphs;
    juce::Array<float> offsets;
    typeface->getGlyphPositions (characters, glyphs, offsets);
    ASSERT_EQ (glyphs.size(), characters.length());

    for (int i = 0; i < characters.length(); ++i)
    {
        SCOPED_TRACE (characters.substring (i, i + 1));
        juce::Path outline;
        EXPECT_TRUE (typeface->getOutlineForGlyph (glyphs[i], outline));
        EXPECT_FALSE (outline.isEmpty());
        EXPECT_GT (offsets[i + 1], offsets[i]);
    }
}
