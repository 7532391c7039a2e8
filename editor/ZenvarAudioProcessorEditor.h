#pragma once

#include "controls/MSToggleImageButton.h"
#include "controls/ZenvarButtonLookAndFeel.h"
#include "controls/ZenvarMultiSlider.h"
#include "controls/ZenvarValueBar.h"
#include "editor/EditorLayout.h"
#include "processor/ZenvarAudioProcessor.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <functional>

/** The plug-in's window: a header with the product icon, the eight link-group selectors and the
    maker's logo, the crossover read-out, the band strip with the live spectrum behind it, and the
    zoom button on the strip's lower right corner.

    The editor only assembles the controls and wires them to the processor. It keeps no copy of
    any parameter, link group or zoom factor beyond the zoom it shows: a 16 ms timer brings the
    controls in step with the processor (host automation, state loads, values pushed by linked
    instances), and user gestures go straight to the processor's parameters, its link group and
    its `editorScale`. Everything runs on the message thread.
*/
class ZenvarAudioProcessorEditor : public juce::AudioProcessorEditor,
                                   public juce::Timer,
                                   public ZenvarMultiSlider::Listener,
                                   public juce::Button::Listener
{
public:
    /** Opens a web address; the logo uses it for the product's page. */
    using WebPageOpener = std::function<void (const juce::String& address)>;

    /** Builds the window for `processorToEdit`, which must outlive it, at the processor's zoom
        factor and with the selector of its link group lit. `openWebPageToUse` opens the product
        page when the logo is clicked; by default in the system's browser. [message thread] */
    explicit ZenvarAudioProcessorEditor (ZenvarAudioProcessor& processorToEdit,
                                         WebPageOpener openWebPageToUse = openInDefaultBrowser);
    ~ZenvarAudioProcessorEditor() override;

    /** Opens `address` in the system's default browser. [message thread] */
    static void openInDefaultBrowser (const juce::String& address);

    //==============================================================================
    /** Fills the window with its gradient; the children draw on top. */
    void paint (juce::Graphics& g) override;

    /** Places the children for the current width and zoom factor. */
    void resized() override;

    //==============================================================================
    /** One tick of the 16 ms timer: feeds the spectrum view, moves thumbs (unless one is held) and
        band switches to the parameters, and follows changes of the primary display's density and
        of the stored zoom factor. While the host is stopped, a crossover the strip had to move or
        clamp is written back and pushed to the link group. [message thread] */
    void timerCallback() override;

    //==============================================================================
    /** A thumb moved: sets its crossover with host notification and, while the host is stopped,
        pushes the value to the other members of the link group (while it plays, the audio
        callback does that). [message thread] */
    void multiSliderValueChanged (MultiSlider* slider, int thumbIndex) override;

    /** A drag opens a host gesture on the dragged thumb's crossover... */
    void multiSliderDragStarted (MultiSlider* slider, int thumbIndex) override;

    /** ...and its release closes it. Neighbours pushed by the drag change inside that gesture. */
    void multiSliderDragEnded (MultiSlider* slider, int thumbIndex) override;

    /** A band was clicked: sets its switch to 1 or 0 with host notification, without a gesture;
        band switches are never shared with the link group. [message thread] */
    void bandActiveChanged (ZenvarMultiSlider* slider, int band) override;

    //==============================================================================
    /** The logo opens the product page, the zoom button switches between 1.0 and 1.5 (any other
        factor goes to 1.0), and a group selector moves the instance into its link group.
        [message thread] */
    void buttonClicked (juce::Button* button) override;

private:
    //==============================================================================
    void applyScale (float factor);
    void loadImages();

    void updateSpectrum();
    void updateThumbs();
    void updateBandSwitches();
    void followDisplayScale();
    void followStoredZoomFactor();

    void pushCrossoverToLinkGroup (int crossoverIndex);
    void toggleZoom();
    void selectLinkGroup (int group);

    juce::AudioParameterFloat& getCrossoverParameter (int crossoverIndex) const noexcept;
    juce::AudioParameterFloat& getBandSwitchParameter (int band) const noexcept;
    static bool isCrossoverIndex (int index) noexcept;

    //==============================================================================
    ZenvarAudioProcessor& audioProcessor;
    WebPageOpener openWebPage;
    float displayScale = 1.0f;
    float scaleFactor = 1.0f;

    // The read-out before the strip that points to it, and the look-and-feel before the group
    // selectors that draw with it: members are destroyed in reverse order, so each outlives its
    // users.
    ZenvarValueBar valueBar;
    ZenvarMultiSlider bandStrip;
    ZenvarButtonLookAndFeel buttonLookAndFeel;
    std::array<juce::ToggleButton, EditorLayout::numGroupSelectors> groupButtons;
    juce::ImageButton logoButton;
    juce::ImageComponent productIcon;
    MSToggleImageButton zoomButton;
    juce::ColourGradient windowGradient;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ZenvarAudioProcessorEditor)
};
