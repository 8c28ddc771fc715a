// Figures for the sound code, printed rather than judged against a clock:
// how long the game's set of effects takes to load, and whether steady play
// touches the heap.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "audio/audio_device.h"
#include "tests/audio/allocation_counter.h"
#include "tests/audio/audio_test_support.h"

namespace {

using audio_test::DeviceSession;
using audio_test::MakeTone;

constexpr int kEffectCount = 31;  // the game's sound effect slots

TEST(AudioBenchmark, LoadThirtyOneEffects) {
    std::vector<std::string> paths;
    for (int i = 0; i < kEffectCount; ++i) {
        // Short effects of mixed layouts, 0.1 to 0.5 s.
        int bits = (i % 2) ? 16 : 8;
        int channels = (i % 3 == 0) ? 2 : 1;
        int hertz = (i % 4 < 2) ? 22050 : 44100;
        double seconds = 0.1 + 0.4 * i / (kEffectCount - 1);
        paths.push_back(MakeTone("effect" + std::to_string(i) + ".wav", hertz, bits, channels,
                                 std::to_string(seconds) + " square " + std::to_string(220 + 20 * i) + " fade 0 0 0.05"));
    }
    std::string oggs;
    for (const std::string& path : paths) oggs += " '" + path + "'";
    ASSERT_TRUE(audio_test::Shell("oggenc -Q" + oggs));  // writes effectN.ogg beside each
    DeviceSession s;
    for (const char* kind : {".wav", ".ogg"}) {
        auto start = std::chrono::steady_clock::now();
        int loaded = 0;
        for (const std::string& path : paths) {
            std::string file = path.substr(0, path.size() - 4) + kind;
            gxtkSample* sample = s.Device()->LoadSample(String(file.c_str()));
            if (sample) {
                audio_test::Keep(sample);
                ++loaded;
            }
        }
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(loaded, kEffectCount) << kind;
        std::printf("[ figure   ] loading %d %s effects (0.1-0.5 s each): %.2f ms (%.3f ms each)\n", loaded, kind, ms,
                    ms / loaded);
    }
}

TEST(AudioBenchmark, SteadyPlayDoesNotAllocate) {
    if (!audio_test::AllocationCountingAvailable()) GTEST_SKIP() << "allocator hook unavailable in sanitizer builds";
    DeviceSession s;
    gxtkAudio* audio = s.Device();
    gxtkSample* a = audio->LoadSample(String(MakeTone("steady_a.wav", 22050, 16, 1, "0.2 sine 300").c_str()));
    gxtkSample* b = audio->LoadSample(String(MakeTone("steady_b.wav", 22050, 8, 2, "0.2 sine 500").c_str()));
    ASSERT_TRUE(a && b);
    audio_test::Keep(a);
    audio_test::Keep(b);
    auto round = [&](int i) {
        int channel = i % kAudioChannelCount;
        audio->PlaySample((i & 1) ? a : b, channel, i & 2);
        audio->SetVolume(channel, 0.5f + (i % 5) * 0.1f);
        audio->SetPan(channel, (i % 7 - 3) * 0.3f);
        audio->SetRate(channel, 0.8f + (i % 3) * 0.2f);
        audio->ChannelState(channel);
        if (i % 4 == 0) audio->PauseChannel(channel);
        if (i % 4 == 1) audio->ResumeChannel(channel);
        if (i % 6 == 0) audio->StopChannel(channel);
    };
    // Warm up: every channel gets its source.
    for (int i = 0; i < 2 * kAudioChannelCount; ++i) round(i);
    // The counter itself sees an allocation.
    audio_test::StartCountingAllocations();
    void* (*volatile allocate)(size_t) = std::malloc;  // volatile: the call cannot be optimised away
    std::free(allocate(16));
    ASSERT_EQ(audio_test::StopCountingAllocations(), 1);

    constexpr int kRounds = 3000;
    audio_test::StartCountingAllocations();
    for (int i = 0; i < kRounds; ++i) round(i);
    long count = audio_test::StopCountingAllocations();
    std::printf("[ figure   ] %d rounds of PlaySample and the channel setters: %ld heap allocations\n", kRounds,
                count);
    EXPECT_EQ(count, 0) << "steady play should not touch the heap";
}

}  // namespace
