#include "platform/modules/Modules.h"
#include "tests/support/LumivoTest.h"

#include "platform/image/Image.h"
#include "platform/wave/SoundDecoder.h"

#include <atomic>
#include <barrier>
#include <cstdlib>
#include <thread>
#include <vector>

using lumivo::test::LumivoTest;

class ModulesTest : public LumivoTest
{
};

TEST_F(ModulesTest, TheModulesLieBesideThePrograms)
{
    EXPECT_TRUE(lumivo::modules::missing().empty());
    EXPECT_FALSE(lumivo::modules::reportMissing());
}

namespace
{

// How many of the threads that first call into the modules, all at once, get what they asked for.
int rightFirstCallsFromThreadsAtOnce(int threadCount)
{
    lumivo::image::RgbImage picture;
    picture.width = 3;
    picture.height = 2;
    picture.pixels.assign(3 * 2 * 3, 200);
    const std::uint8_t noise[] = {1, 2, 3, 4, 5, 6, 7, 8};
    std::atomic<int> right{0};
    std::barrier together(threadCount);
    std::vector<std::thread> threads;
    for (int i = 0; i < threadCount; ++i) {
        threads.emplace_back([&] {
            together.arrive_and_wait();
            const auto turned = lumivo::image::rotate(picture, 90.0);
            const auto sound = lumivo::wave::decodeSoundBytes(noise, sizeof noise, {1, 22050, false});
            if (turned && turned->width == 2 && turned->height == 3 && !sound.ok && !sound.error.isEmpty())
                ++right;
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    return right;
}

} // namespace

// The first calls into a module load it. They come from several threads at once, as the background
// loading and a first use may, and keep their arguments: the rotation's angle travels in a vector
// register, which the loading itself uses. A process of its own, so that nothing is loaded yet.
TEST_F(ModulesTest, FirstCallsFromSeveralThreadsAtOnceReachTheModulesWithTheirArguments)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    constexpr int kThreads = 8;
    EXPECT_EXIT(std::exit(rightFirstCallsFromThreadsAtOnce(kThreads) == kThreads ? 0 : 1),
                ::testing::ExitedWithCode(0), "");
}

// The program may end while the modules still load in the background: the loading then goes on, with
// the modules' folder it reads, until the end joins it. The folder is asked first, as the program
// does, so that it is made before the loading starts.
TEST_F(ModulesTest, TheProgramMayEndWhileTheModulesStillLoad)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            (void)lumivo::modules::folder();
            lumivo::modules::preloadInBackground();
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}
