#pragma once
// What the parameter model needs from the device link and the UI: the
// workspace implements it over the protocol, the throttle, the binder and
// the notify centre.
#include <cstdint>
#include <vector>

#include "platform/os/Types.h"
#include "plugin/model/ParamPacking.h"

class IParamModelPort {
public:
    virtual ~IParamModelPort() = default;
    // The host's device manager reports a connected card.
    virtual bool IsConnected() = 0;
    // Sends parameter frames in order; 1 when every frame was acknowledged.
    virtual BOOL SendFrames(const std::vector<qv::model::ParamFrame>& frames) = 0;
    // A written value waits in the changed set: ask the send throttle.
    virtual void RequestSend() = 0;
    // Refresh the bound controls and announce the equaliser bands.
    virtual void FireParamChanged() = 0;
    // An equaliser band was written by a control (announced even when unchanged).
    virtual void OnBandWritten(std::int32_t id, std::int32_t value) = 0;
    // Show a value the card reported on the parameter's bound control.
    virtual void UpdateParamDisplay(std::int32_t id, std::int32_t value) = 0;
};
