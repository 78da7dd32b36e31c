// A report of any content through the protocol's own notification handling,
// as the receive thread hands it over: a notification is acknowledged once,
// with its bytes and the status its checks and its taker decide; a good one
// reaches the model, which takes what is valid and never reads past the
// frame.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "common/device/Frame.h"
#include "families/FamilyData.h"
#include "plugin/device/QuorvelProtocol.h"
#include "plugin/device/RecvDataListener.h"
#include "plugin/model/CParamModel.h"
#include "tests/model/ModelFakes.h"
#include "tests/model/fuzz/FuzzTargets.h"
#include "tests/support/FakeDeviceMgmt.h"

namespace {

// Applies each frame it takes to the model, as the workspace does on the UI
// thread.
class ModelListener : public IRecvDataListener {
public:
    ModelListener(CParamModel& model, bool takes) : m_model(model), m_takes(takes) {}
    bool OnRecvData(const std::array<std::uint8_t, 64>& frame) override {
        ++calls;
        if (!m_takes) return false;
        qv::model::ParamFrame copy{};
        std::copy(frame.begin(), frame.end(), copy.begin());
        outcome = m_model.ApplyNotification(copy);
        return true;
    }
    int calls = 0;
    CParamModel::NotificationOutcome outcome;

private:
    CParamModel& m_model;
    bool m_takes;
};

}  // namespace

int FuzzNotification(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t mode = data[0];
    const FamilyData& family = (mode & 1) ? ZenkFamily() : DorbIIFamily();
    FakeParamPort port;
    CParamModel model(family, port, nullptr);
    ModelListener listener(model, !(mode & 2));
    qv::test::FakeDeviceMgmt manager;
    CQuorvelProtocol protocol;
    if (!manager.Connect(nullptr, &protocol)) std::abort();
    protocol.SetRecvDataListener(&listener);

    std::uint8_t report[128] = {};
    std::memcpy(report, data + 1, std::min(size - 1, sizeof report));
    if (mode & 4) report[0] = 0x9E;           // mostly notifications
    if (mode & 8) qv::frame::Seal(report);    // mostly with a good checksum
    std::uint8_t received[128];
    std::memcpy(received, report, sizeof report);
    protocol.OnRecvData(report);

    const auto acks = manager.Posted();
    if (received[0] != 0x9E) {
        if (!acks.empty() || listener.calls != 0) std::abort();
        return 0;
    }
    if (acks.size() != 1) std::abort();
    const auto& ack = acks[0];
    if (ack[0] != 0x9F) std::abort();
    for (int i = 1; i < qv::frame::kCrcByte; ++i)
        if (i != 3 && ack[i] != received[i]) std::abort();
    const bool crcGood = qv::frame::Crc8(received, qv::frame::kCrcByte) == received[qv::frame::kCrcByte];
    const bool good = crcGood && received[3] == 0;
    if (listener.calls != (good ? 1 : 0)) std::abort();
    const std::uint8_t expected = received[3] != 0 ? 0xA0 : !crcGood ? 0x03 : (mode & 2) ? 0xA0 : 0xFF;
    if (ack[3] != expected) std::abort();

    const auto& outcome = listener.outcome;
    if (outcome.pairs.size() > 11) std::abort();
    for (const auto& [id, value] : outcome.pairs)
        if (id >= model.GetParamCount() || value < 0 || value > 0xFFF) std::abort();
    if (!outcome.complete && port.paramChangedFirings != 0) std::abort();
    if (!port.sends.empty() || !model.GetChangedParams().empty()) std::abort();
    protocol.SetRecvDataListener(nullptr);
    return 0;
}

#ifdef QV_FUZZ_MAIN
QV_FUZZ_ENTRY(FuzzNotification)
#endif
