#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

/** A horizontal strip with several thumbs on one normalised axis (0 at the left edge, 1 at the
    right) and a coloured segment between each pair of neighbours. Thumbs keep a minimum distance
    from each other and from the ends: moving one pushes its neighbours along. A press within
    5 pixels of a thumb grabs it, and a drag moves it by the pointer's movement (a tenth of it with
    Alt held), so a thumb held at a limit never jumps back under the pointer. [message thread]
*/
class MultiSlider : public juce::Component
{
public:
    //==============================================================================
    /** Hears thumb changes, and the start and end of each drag so that host gestures can be
        bracketed. Called on the message thread, from the most recently added listener to the
        first; a listener may delete the slider. */
    class Listener
    {
    public:
        virtual ~Listener() = default;

        /** Thumb `thumbIndex` has a new value, read it with `getValue`. A thumb pushed by its
            neighbour is reported before the neighbour itself. */
        virtual void multiSliderValueChanged (MultiSlider* slider, int thumbIndex) = 0;

        /** A press grabbed thumb `thumbIndex`. */
        virtual void multiSliderDragStarted (MultiSlider*, int /*thumbIndex*/) { }

        /** The press that grabbed thumb `thumbIndex` was released. */
        virtual void multiSliderDragEnded (MultiSlider*, int /*thumbIndex*/) { }
    };

    //==============================================================================
    /** Makes a strip with `numberOfThumbs` thumbs spread evenly over the axis and a minimum
        distance of 0.125. [message thread] */
    explicit MultiSlider (int numberOfThumbs);
    ~MultiSlider() override;

    //==============================================================================
    /** Moves thumb `index` to `newValue`, limited to its range, pushing neighbours to keep the
        minimum distance; with `sendNotification`, listeners hear every thumb that moved. A value
        exactly equal to the stored one does nothing; NaN counts as below the range. An index out
        of range is ignored. [message thread] */
    void setValue (int index, float newValue, bool sendNotification);

    /** The normalised value of thumb `index`; 0 for an index out of range. [message thread] */
    float getValue (int index) const noexcept;

    int getNumThumbs() const noexcept { return numThumbs; }

    /** Sets the smallest spacing between neighbouring thumbs, and between the outer thumbs and
        the ends, limited to 0..1 / (thumbs + 1) so every thumb keeps room. Neither moves thumbs
        nor repaints. [message thread] */
    void setMinimumDistance (float newMinimumDistance);

    float getMinimumDistance() const noexcept { return minDistance; }

    /** Sets the fill of segment `segment` (0 left of thumb 0, `getNumThumbs()` right of the last)
        and repaints; an index out of range is ignored. [message thread] */
    void setSegmentColour (int segment, juce::Colour newColour);

    /** The fill of segment `segment`; transparent black for an index out of range.
        [message thread] */
    juce::Colour getSegmentColour (int segment) const noexcept;

    /** The thumb being dragged, or -1 when none is held. [message thread] */
    int getDraggedThumb() const noexcept { return draggedThumb; }

    /** Registers a listener, not owned; adding one twice has no effect. [message thread] */
    void addListener (Listener* listener);
    void removeListener (Listener* listener);

    //==============================================================================
    void mouseDown (const juce::MouseEvent& event) override;
    void mouseDrag (const juce::MouseEvent& event) override;
    void mouseUp (const juce::MouseEvent& event) override;

    /** Fills the segments, nothing else. */
    void paint (juce::Graphics& g) override;

protected:
    //==============================================================================
    /** Called each time a thumb value is stored, pushed thumbs included. */
    virtual void thumbMoved (int index, float newValue);

    virtual void sendDragStarted (int index);
    virtual void sendValueChanged (int index);
    virtual void sendDragEnded (int index);

    juce::ListenerList<Listener>& getListenerList() noexcept { return listeners; }

    static constexpr int grabRadius = 5;

private:
    //==============================================================================
    enum class PushDirection
    {
        both,
        down,
        up
    };

    void moveThumb (int index, float newValue, bool sendNotification, PushDirection direction);

    float lastDragX = 0.0f;
    int draggedThumb = -1;
    int numThumbs;
    float minDistance = 0.125f;
    std::vector<float> values;
    std::vector<juce::Colour> segmentColours;
    juce::ListenerList<Listener> listeners;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MultiSlider)
};
