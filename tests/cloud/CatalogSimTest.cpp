// The catalogue server every cloud test runs: a stop ends it whenever it
// comes, from right after the fork to after it listens, so no test hangs on
// a server that began listening after it was told to end.
#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/support/CatalogSim.h"

namespace qv::test {
namespace {

TEST(CatalogSimProcess, AStopEndsItAtAnyMomentOfItsStart) {
    for (int round = 0; round < 40; ++round) {
        CatalogSim sim;
        ASSERT_TRUE(sim.Launch());
        // Each round stops it a quarter of a millisecond later into its start.
        std::this_thread::sleep_for(std::chrono::microseconds(250 * round));
        const auto status = sim.Stop();
        ASSERT_TRUE(status) << "round " << round;
        EXPECT_TRUE((WIFEXITED(*status) && WEXITSTATUS(*status) == 0) ||
                    (WIFSIGNALED(*status) && WTERMSIG(*status) == SIGTERM))
            << "round " << round << ": status " << *status;
    }
    CatalogSim sim;
    ASSERT_TRUE(sim.Start());
    const auto status = sim.Stop();
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << *status;
}

}  // namespace
}  // namespace qv::test
