#include "tests/ui/UiTestEnv.h"

#include "platform/os/MessageQueue.h"
#include "platform/ui/SRenderTarget.h"

namespace qv::ui::test {

void SteppedClock::Step(std::uint64_t ms) {
    m_now += ms;
    qv::os::NotifyClockChanged();
}

int PumpPending() {
    int n = 0;
    while (qv::os::PumpOneMessage()) ++n;
    return n;
}

void UiAppTest::SetUp() {
    m_app = std::make_unique<SApplication>(nullptr);
    ASSERT_TRUE(m_app->AddResProvider(nullptr, u"uidef:xml_init"));
}

void UiAppTest::TearDown() {
    PumpPending();
    m_app.reset();
    qv::os::DestroyThreadQueue();
}

namespace {

// The main thread's font caches live until it exits; free them so the leak
// checker sees only what the tests themselves leave.
class FontCacheEnvironment : public ::testing::Environment {
public:
    void TearDown() override { SRenderTarget::ReleaseThreadFontCache(); }
};

const auto* const kFontCacheEnvironment = ::testing::AddGlobalTestEnvironment(new FontCacheEnvironment);

}  // namespace

}  // namespace qv::ui::test
