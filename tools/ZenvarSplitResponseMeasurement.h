#pragma once

#include "tools/ZenvarSplitHost.h"

#include <array>
#include <vector>

/** The magnitude responses of the four bands and of their sum, on a logarithmic frequency grid
    from 20 Hz to 20 kHz. */
struct ZenvarSplitBandResponses
{
    double sampleRate = 0.0;
    std::array<float, 3> crossoversHz {};
    std::vector<double> frequenciesHz;
    std::array<std::vector<double>, ZenvarSplitHost::numBands> bandDecibels;
    std::vector<double> sumDecibels;
};

/** Measures the band responses through the plug-in: an impulse runs through the four hosted
    instances, and the spectrum of each instance's output is its band's response. The sum is the
    spectrum of the four outputs added, phases included. [main thread] */
class ZenvarSplitResponseMeasurement
{
public:
    /** Lowest and highest frequency of the grid, in Hz. */
    static constexpr double lowestHz = 20.0;
    static constexpr double highestHz = 20000.0;

    /** Measures through `host`, whose crossovers must already be applied, at `numPoints`
        frequencies. The impulse response is taken over at least one second, so even a 20 Hz
        crossover is resolved. */
    static ZenvarSplitBandResponses measure (ZenvarSplitHost& host, int numPoints = 600);
};
