#include "processor/AnalysisFeed.h"
#include "support/DspTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

namespace zenvar::test
{

namespace
{
constexpr int frameLength = AnalysisFeed::frameLength;

/** Pushes `left` (and `right`, when given) in blocks of `blockLength`. */
void pushInBlocks (AnalysisFeed& feed, const std::vector<float>& left, const std::vector<float>* right, int blockLength)
{
    for (size_t start = 0; start < left.size(); start += static_cast<size_t> (blockLength))
    {
        const auto length = static_cast<int> (std::min (left.size() - start, static_cast<size_t> (blockLength)));
        const float* channels[] = { left.data() + start, right != nullptr ? right->data() + start : nullptr };
        feed.pushBlock (channels, right != nullptr ? 2 : 1, length);
    }
}

std::vector<float> makeSine (double bin, int length, double amplitude = 1.0)
{
    std::vector<float> sine (static_cast<size_t> (length));

    for (int n = 0; n < length; ++n)
        sine[static_cast<size_t> (n)] = static_cast<float> (amplitude * std::sin (2.0 * M_PI * bin * n / frameLength));

    return sine;
}

float largestMagnitudeExcept (const kiss_fft_cpx* frame, int skippedBin)
{
    float largest = 0.0f;

    for (int bin = 0; bin < AnalysisFeed::numMagnitudes; ++bin)
        if (bin != skippedBin)
            largest = std::max (largest, std::fabs (frame[bin].r));

    return largest;
}
} // namespace

TEST (AnalysisFeed, ConstantInputLandsInBinZero)
{
    AnalysisFeed feed;
    const std::vector<float> ones (frameLength, 1.0f);
    pushInBlocks (feed, ones, &ones, 256);

    const auto* frame = feed.takeLatestSpectrum();
    ASSERT_NE (frame, nullptr);
    EXPECT_NEAR (frame[0].r, 2.0f * AnalysisFeed::getInputScale() * frameLength, 1.0e-5f);
    EXPECT_NEAR (frame[0].r, 3.14159f, 1.0e-5f);
    EXPECT_LT (largestMagnitudeExcept (frame, 0), 1.0e-5f);
}

TEST (AnalysisFeed, SineAtBin64LandsInBin64)
{
    AnalysisFeed feed;
    const auto sine = makeSine (64.0, frameLength);
    pushInBlocks (feed, sine, &sine, 100);

    const auto* frame = feed.takeLatestSpectrum();
    ASSERT_NE (frame, nullptr);
    EXPECT_NEAR (frame[64].r, 1.5708f, 1.0e-4f);
    EXPECT_LT (largestMagnitudeExcept (frame, 64), 1.0e-4f);
}

TEST (AnalysisFeed, SilenceGivesZeroMagnitudes)
{
    AnalysisFeed feed;
    const std::vector<float> silence (frameLength, 0.0f);
    pushInBlocks (feed, silence, nullptr, 512);

    const auto* frame = feed.takeLatestSpectrum();
    ASSERT_NE (frame, nullptr);
    EXPECT_EQ (largestMagnitudeExcept (frame, -1), 0.0f);
}

TEST (AnalysisFeed, MonoGivesTheSameFramesAsStereoWithEqualChannels)
{
    AnalysisFeed mono, stereo;
    const auto signal = makeNoise (3 * frameLength, 12);
    pushInBlocks (mono, signal, nullptr, 333);
    pushInBlocks (stereo, signal, &signal, 333);

    const auto* a = mono.takeLatestSpectrum();
    const auto* b = stereo.takeLatestSpectrum();
    ASSERT_NE (a, nullptr);
    ASSERT_NE (b, nullptr);

    for (int bin = 0; bin < AnalysisFeed::numMagnitudes; ++bin)
        ASSERT_EQ (bitsOf (a[bin].r), bitsOf (b[bin].r)) << "bin " << bin;
}

TEST (AnalysisFeed, OneFramePer1024SamplesWhateverTheBlockLength)
{
    for (const auto blockLength : { 1, 7, 441, 1000, 1024, 1500, 2048 })
    {
        SCOPED_TRACE (blockLength);
        AnalysisFeed feed;
        const std::vector<float> signal (static_cast<size_t> (blockLength), 0.5f);
        int frames = 0;

        for (int pushed = 0; pushed + blockLength <= 8 * frameLength; pushed += blockLength)
        {
            pushInBlocks (feed, signal, nullptr, blockLength);

            if (feed.takeLatestSpectrum() != nullptr)
                ++frames;

            // A block that finishes two frames still only hands over one, the newer.
            if (blockLength == 2048)
            {
                EXPECT_EQ (feed.takeLatestSpectrum(), nullptr);
            }
        }

        const auto samples = (8 * frameLength / blockLength) * blockLength;
        EXPECT_EQ (frames, blockLength > frameLength ? samples / blockLength : samples / frameLength);
    }
}

TEST (AnalysisFeed, A2048SampleBlockLeavesTheSecondFrame)
{
    AnalysisFeed feed;
    auto signal = std::vector<float> (frameLength, 1.0f);
    const auto sine = makeSine (64.0, frameLength);
    signal.insert (signal.end(), sine.begin(), sine.end());
    pushInBlocks (feed, signal, nullptr, 2048);

    const auto* frame = feed.takeLatestSpectrum();
    ASSERT_NE (frame, nullptr);
    EXPECT_NEAR (frame[64].r, 1.5708f, 1.0e-4f);
    EXPECT_LT (frame[0].r, 1.0e-4f);
    EXPECT_EQ (feed.takeLatestSpectrum(), nullptr);
}

TEST (AnalysisFeed, AFeedWhoseAllocationFailedDoesNothing)
{
    AnalysisFeed feed ([] (std::size_t) -> void*
                       { return nullptr; },
                       [] (void*)
                       { FAIL() << "nothing to release"; });
    EXPECT_FALSE (feed.hasStorage());

    const auto signal = makeNoise (4 * frameLength, 2);
    pushInBlocks (feed, signal, &signal, 512);
    EXPECT_EQ (feed.takeLatestSpectrum(), nullptr);
}

TEST (AnalysisFeed, TheEditorNeverSeesATornStaleOrOverwrittenFrame)
{
    // Every sample of frame k is (k + 1) / numFrames, so a frame mixed from two is uneven and a
    // frame handed over out of order goes backwards. The editor takes frames and spectra in
    // turn, and now and then holds on to a frame while the audio side finishes three more,
    // then checks that nobody wrote into it. The audio side runs unpaced, far faster than real
    // time, but is kept from running more than eight frames ahead of the editor's progress so
    // that both see many hand-overs.
    constexpr int numFrames = 4000;
    const auto scale = 2.0f * AnalysisFeed::getInputScale();

    AnalysisFeed feed;
    std::atomic<int> framesPushed { 0 }, editorProgress { 0 };
    std::atomic<bool> finished { false };

    std::thread audio ([&]
                       {
                           std::vector<float> block (frameLength);

                           for (int k = 0; k < numFrames; ++k)
                           {
                               std::fill (block.begin(), block.end(), static_cast<float> (k + 1) / numFrames);

                               // Blocks of 300, so that frames finish mid-block.
                               for (int start = 0; start < frameLength; start += 300)
                               {
                                   const float* channels[] = { block.data() + start };
                                   feed.pushBlock (channels, 1, std::min (300, frameLength - start));
                               }

                               framesPushed.fetch_add (1);

                               while (framesPushed.load() > editorProgress.load() + 8)
                                   std::this_thread::yield();
                           }

                           finished.store (true); });

    int lastFrame = -1, framesSeen = 0, spectraSeen = 0, failures = 0;
    std::vector<float> copy (frameLength);

    const auto report = [&] (const std::string& problem)
    {
        if (failures++ < 5)
            ADD_FAILURE() << problem;
    };

    const auto checkOrder = [&] (int k)
    {
        if (k <= lastFrame)
            report ("frame " + std::to_string (k) + " handed over after frame " + std::to_string (lastFrame));

        lastFrame = k;
    };

    for (int attempt = 0;; ++attempt)
    {
        const auto done = finished.load();

        if (attempt % 2 == 0)
        {
            const auto* frame = feed.takeLatestFrame();

            if (frame == nullptr)
            {
                if (done)
                    break;

                continue;
            }

            editorProgress.fetch_add (1);
            std::copy (frame, frame + frameLength, copy.begin());
            const auto k = static_cast<int> (std::lround (copy[0] / scale * numFrames)) - 1;

            if (std::any_of (copy.begin(), copy.end(), [&] (float s)
                             { return s != copy[0]; }))
                report ("frame " + std::to_string (k) + " is torn");

            checkOrder (k);

            if (++framesSeen % 8 == 0)
            {
                const auto target = framesPushed.load() + 3;
                editorProgress.fetch_add (4);

                while (framesPushed.load() < target && ! finished.load())
                    std::this_thread::yield();

                if (! std::equal (copy.begin(), copy.end(), frame))
                    report ("frame " + std::to_string (k) + " was written while the editor held it");
            }
        }
        else if (const auto* spectrum = feed.takeLatestSpectrum())
        {
            editorProgress.fetch_add (1);
            const auto k = static_cast<int> (std::lround (spectrum[0].r / (scale * frameLength) * numFrames)) - 1;

            if (largestMagnitudeExcept (spectrum, 0) > 1.0e-3f * spectrum[0].r)
                report ("spectrum of frame " + std::to_string (k) + " comes from a torn frame");

            checkOrder (k);
            ++spectraSeen;
        }
    }

    audio.join();
    EXPECT_EQ (failures, 0);
    EXPECT_EQ (lastFrame, numFrames - 1);
    EXPECT_GT (framesSeen, numFrames / 20);
    EXPECT_GT (spectraSeen, numFrames / 20);
}

} // namespace zenvar::test
