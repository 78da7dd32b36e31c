#pragma once
// The workspace's link to the parameter-control binder: which parameters have
// a control that shows them, and showing a value there.
#include <cstdint>

class IParamDisplay {
public:
    virtual ~IParamDisplay() = default;
    // A control is bound to show parameter id.
    virtual bool ShowsParam(std::int32_t id) const = 0;
    // Shows the raw value on the control bound to id (and its linked control).
    virtual void ShowParam(std::int32_t id, std::int32_t value) = 0;
};
