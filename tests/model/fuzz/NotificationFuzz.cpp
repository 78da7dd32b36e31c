// A card notification of any content: the model takes what is valid, never
// reads past the frame, and reports unknown ids as an incomplete frame.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "families/FamilyData.h"
#include "plugin/model/CParamModel.h"
#include "tests/model/ModelFakes.h"
#include "tests/model/fuzz/FuzzTargets.h"

int FuzzNotification(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const FamilyData& family = (data[0] & 1) ? ZenkFamily() : DorbIIFamily();
    FakeParamPort port;
    CParamModel model(family, port, nullptr);
    qv::model::ParamFrame frame{};
    std::memcpy(frame.data(), data + 1, std::min(size - 1, frame.size()));
    const auto outcome = model.ApplyNotification(frame);
    if (outcome.pairs.size() > 11) std::abort();
    for (const auto& [id, value] : outcome.pairs)
        if (id >= model.GetParamCount() || value < 0 || value > 0xFFF) std::abort();
    if (!outcome.complete && port.paramChangedFirings != 0) std::abort();
    if (!port.sends.empty() || !model.GetChangedParams().empty()) std::abort();
    return 0;
}

#ifdef QV_FUZZ_MAIN
QV_FUZZ_ENTRY(FuzzNotification)
#endif
