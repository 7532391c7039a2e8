#include "editor/ZenvarAudioProcessorEditor.h"

#include "editor/EmbeddedResources.h"
#include "plugin/ProductInfo.h"

#include <utility>

namespace
{
constexpr int timerIntervalMilliseconds = 16;
constexpr int groupSelectorRadioGroup = 1;
constexpr float labelPointHeightAtZoomOne = 10.5f;
constexpr float readOutBoxWidthAtZoomOne = 30.0f;
constexpr float zoomedInFactor = 1.5f;
constexpr float logoOpacity = 0.4f;

const std::array<juce::Colour, ZenvarMultiSlider::numBands> bandColours {
    juce::Colour (0xffd0011b), // A, red
    juce::Colour (0xff7ed321), // B, green
    juce::Colour (0xff4990e2), // C, blue
    juce::Colour (0xfffe8712), // D, orange
};

/** Differs also when either side is NaN, so a NaN parameter is always handed to the strip. */
bool differs (float a, float b) noexcept
{
    return ! (a == b);
}
} // namespace

//==============================================================================
ZenvarAudioProcessorEditor::ZenvarAudioProcessorEditor (ZenvarAudioProcessor& processorToEdit, WebPageOpener openWebPageToUse)
    : juce::AudioProcessorEditor (processorToEdit)
    , audioProcessor (processorToEdit)
    , openWebPage (std::move (openWebPageToUse))
    , windowGradient (juce::Colour (0xff485563), 0.0f, 96.0f, juce::Colour (0xff29323c), 400.0f, 24.0f, false)
{
    scaleFactor = EditorLayout::limitZoomFactor (audioProcessor.editorScale.load());
    setSize ((int) (400.0f * scaleFactor), (int) (120.0f * scaleFactor));

    const auto editorFont = juce::Font (createEditorTypeface());
    const auto labelFont = editorFont.withPointHeight (labelPointHeightAtZoomOne);

    logoButton.setMouseCursor (juce::MouseCursor::PointingHandCursor);
    logoButton.addListener (this);
    addAndMakeVisible (logoButton);

    addAndMakeVisible (productIcon);

    valueBar.setFont (labelFont);
    addAndMakeVisible (valueBar);

    bandStrip.setValueBar (&valueBar);
    bandStrip.setLabelFont (labelFont);

    for (int band = 0; band < ZenvarMultiSlider::numBands; ++band)
        bandStrip.setBandColour (band, bandColours[(size_t) band]);

    // Set before the editor listens, so these notify nobody and write nothing back.
    for (int k = 0; k < zenvar::numCrossovers; ++k)
        bandStrip.setValue (k, audioProcessor.getParameterValue (k), true);

    for (int band = 0; band < zenvar::numBands; ++band)
        bandStrip.setBandActive (band, zenvar::isBandSwitchOn (audioProcessor.getParameterValue (zenvar::firstBandSwitchIndex + band)), true);

    bandStrip.addListener (this);
    addAndMakeVisible (bandStrip);

    buttonLookAndFeel.setButtonFont (editorFont);

    for (int i = 0; i < EditorLayout::numGroupSelectors; ++i)
    {
        auto& selector = groupButtons[(size_t) i];
        selector.setButtonText (juce::String (i + 1));
        selector.setLookAndFeel (&buttonLookAndFeel);
        selector.setRadioGroupId (groupSelectorRadioGroup);
        selector.addListener (this);
        addAndMakeVisible (selector);
    }

    const auto group = audioProcessor.linkGroup.load();

    if (juce::isPositiveAndBelow (group, EditorLayout::numGroupSelectors))
        groupButtons[(size_t) group].setToggleState (true, juce::dontSendNotification);

    zoomButton.addListener (this);
    zoomButton.setToggleState (scaleFactor != 1.0f, juce::dontSendNotification);
    addAndMakeVisible (zoomButton);

    loadImages();
    applyScale (scaleFactor);

    displayScale = (float) getPrimaryDisplayScale();
    startTimer (timerIntervalMilliseconds);
}

ZenvarAudioProcessorEditor::~ZenvarAudioProcessorEditor()
{
    stopTimer();
    bandStrip.removeListener (this);
}

void ZenvarAudioProcessorEditor::openInDefaultBrowser (const juce::String& address)
{
    juce::Process::openDocument (address, {});
}

//==============================================================================
void ZenvarAudioProcessorEditor::paint (juce::Graphics& g)
{
    g.setGradientFill (windowGradient);
    g.fillAll();
}

void ZenvarAudioProcessorEditor::resized()
{
    const auto layout = EditorLayout::forWindow (getWidth(), scaleFactor);

    productIcon.setBounds (layout.productIcon);

    for (int i = 0; i < EditorLayout::numGroupSelectors; ++i)
        groupButtons[(size_t) i].setBounds (layout.groupSelectors[(size_t) i]);

    logoButton.setBounds (layout.logoButton);
    bandStrip.setBounds (layout.bandStrip);
    valueBar.setBounds (layout.valueBar);
    zoomButton.setBounds (layout.zoomButton);
}

void ZenvarAudioProcessorEditor::applyScale (float factor)
{
    const auto size = EditorLayout::getWindowSize (factor);
    setSize (size.x, size.y);

    const auto labelFont = bandStrip.getLabelFont().withPointHeight (labelPointHeightAtZoomOne * factor);
    bandStrip.setLabelFont (labelFont);
    valueBar.setFont (labelFont);
    valueBar.setBoxWidth (readOutBoxWidthAtZoomOne * factor);

    repaint();
}

void ZenvarAudioProcessorEditor::loadImages()
{
    const auto logo = loadNamedImage ("vantorlogovit");
    logoButton.setImages (false,
                          true,
                          true,
                          logo,
                          logoOpacity,
                          juce::Colour (0x00000000),
                          logo,
                          logoOpacity,
                          juce::Colour (0x33000000),
                          logo,
                          logoOpacity,
                          juce::Colour (0xff000000),
                          0.0f);

    productIcon.setImage (loadNamedImage ("zenvar_icon"));
    zoomButton.setImages (loadNamedImage ("zoom_in"), loadNamedImage ("zoom_out"));
}

//==============================================================================
void ZenvarAudioProcessorEditor::timerCallback()
{
    updateSpectrum();
    updateThumbs();
    updateBandSwitches();
    followDisplayScale();
    followStoredZoomFactor();
}

void ZenvarAudioProcessorEditor::updateSpectrum()
{
    // Also without a new frame: the levels then fall, and the strip repaints every tick so the
    // spectrum keeps moving.
    bandStrip.getFreqView().updateSpectrum (audioProcessor.takeLatestSpectrum(), audioProcessor.currentSampleRate.load());
    bandStrip.repaint();
}

void ZenvarAudioProcessorEditor::updateThumbs()
{
    // While the host is stopped, the strip's answer (a value it may have clamped) comes back
    // through multiSliderValueChanged, which corrects the parameter and pushes it to the group.
    const auto writeBack = ! audioProcessor.hostIsPlaying.load (std::memory_order_relaxed);

    for (int k = 0; k < zenvar::numCrossovers; ++k)
    {
        const auto value = audioProcessor.getParameterValue (k);

        if (differs (value, bandStrip.getValue (k)) && bandStrip.getDraggedThumb() == -1)
            bandStrip.setValue (k, value, writeBack);
    }
}

void ZenvarAudioProcessorEditor::updateBandSwitches()
{
    for (int band = 0; band < zenvar::numBands; ++band)
    {
        const auto isOn = zenvar::isBandSwitchOn (audioProcessor.getParameterValue (zenvar::firstBandSwitchIndex + band));

        if (isOn != bandStrip.isBandActive (band))
            bandStrip.setBandActive (band, isOn, false);
    }
}

void ZenvarAudioProcessorEditor::followDisplayScale()
{
    const auto primaryDisplayScale = (float) getPrimaryDisplayScale();

    if (differs (primaryDisplayScale, displayScale))
    {
        displayScale = primaryDisplayScale;
        loadImages();
    }
}

void ZenvarAudioProcessorEditor::followStoredZoomFactor()
{
    const auto storedZoomFactor = EditorLayout::limitZoomFactor (audioProcessor.editorScale.load());

    if (differs (storedZoomFactor, scaleFactor))
    {
        scaleFactor = storedZoomFactor;
        zoomButton.setToggleState (scaleFactor != 1.0f, juce::dontSendNotification);
        applyScale (scaleFactor);
        repaint();
    }
}

//==============================================================================
void ZenvarAudioProcessorEditor::multiSliderValueChanged (MultiSlider* slider, int thumbIndex)
{
    if (slider != &bandStrip || ! isCrossoverIndex (thumbIndex))
        return;

    getCrossoverParameter (thumbIndex).setValueNotifyingHost (bandStrip.getValue (thumbIndex));

    if (! audioProcessor.hostIsPlaying.load (std::memory_order_relaxed))
        pushCrossoverToLinkGroup (thumbIndex);
}

void ZenvarAudioProcessorEditor::multiSliderDragStarted (MultiSlider* slider, int thumbIndex)
{
    if (slider == &bandStrip && isCrossoverIndex (thumbIndex))
        getCrossoverParameter (thumbIndex).beginChangeGesture();
}

void ZenvarAudioProcessorEditor::multiSliderDragEnded (MultiSlider* slider, int thumbIndex)
{
    if (slider == &bandStrip && isCrossoverIndex (thumbIndex))
        getCrossoverParameter (thumbIndex).endChangeGesture();
}

void ZenvarAudioProcessorEditor::bandActiveChanged (ZenvarMultiSlider* slider, int band)
{
    if (slider != &bandStrip || ! juce::isPositiveAndBelow (band, zenvar::numBands))
        return;

    getBandSwitchParameter (band).setValueNotifyingHost (bandStrip.isBandActive (band) ? 1.0f : 0.0f);
}

void ZenvarAudioProcessorEditor::pushCrossoverToLinkGroup (int crossoverIndex)
{
    // The value as the parameter stored it, which is what the audio path would push.
    const auto value = audioProcessor.getParameterValue (crossoverIndex);
    auto* pool = audioProcessor.processorPool;

    for (auto* member : pool->getGroupMembers (audioProcessor.linkGroup.load()))
    {
        if (member == &audioProcessor)
            continue;

        if (auto* linkedInstance = dynamic_cast<ZenvarAudioProcessor*> (member))
        {
            linkedInstance->receivePushedCrossover (crossoverIndex, value);
            pool->notifyParameterPushed (linkedInstance, crossoverIndex);
        }
    }
}

//==============================================================================
void ZenvarAudioProcessorEditor::buttonClicked (juce::Button* button)
{
    if (button == &logoButton)
    {
        if (openWebPage != nullptr)
            openWebPage (zenvar::productWebPageAddress);

        return;
    }

    if (button == &zoomButton)
    {
        toggleZoom();
        return;
    }

    for (int i = 0; i < EditorLayout::numGroupSelectors; ++i)
        if (button == &groupButtons[(size_t) i])
            selectLinkGroup (i);
}

void ZenvarAudioProcessorEditor::toggleZoom()
{
    // From the factor shown, not from the button, which the click has already flipped.
    scaleFactor = scaleFactor == 1.0f ? zoomedInFactor : 1.0f;
    audioProcessor.editorScale = scaleFactor;
    applyScale (scaleFactor);
}

void ZenvarAudioProcessorEditor::selectLinkGroup (int group)
{
    if (group != audioProcessor.linkGroup.load())
        audioProcessor.moveToLinkGroup (group);
}

//==============================================================================
juce::AudioParameterFloat& ZenvarAudioProcessorEditor::getCrossoverParameter (int crossoverIndex) const noexcept
{
    return audioProcessor.getParameterAt (crossoverIndex);
}

juce::AudioParameterFloat& ZenvarAudioProcessorEditor::getBandSwitchParameter (int band) const noexcept
{
    return audioProcessor.getParameterAt (zenvar::firstBandSwitchIndex + band);
}

bool ZenvarAudioProcessorEditor::isCrossoverIndex (int index) noexcept
{
    return juce::isPositiveAndBelow (index, zenvar::numCrossovers);
}
