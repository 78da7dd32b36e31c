#pragma once
// The static description of one card parameter.
#include <cstdint>
#include <type_traits>

// Control kinds of a parameter.
enum ParamKind : std::int32_t {
    kParamContinuous = 0,  // knob or slider
    kParamSwitch = 3,      // on/off
    kParamChoice = 4,      // one of the option texts
    kParamSelector = 7,    // selector index, not bound to a control
};

struct ParamDescriptor {
    std::int32_t id;             // equal to the index in the family's table
    char16_t name[32];
    std::int32_t kind;           // ParamKind
    std::int32_t minimum;
    std::int32_t maximum;
    float scale;                 // display = raw x scale + displayOffset
    char16_t format[16];         // printf format of the displayed value
    char16_t options[512];       // option texts separated by "[#]"
    std::int32_t defaultValue;
    std::int32_t effectFlag;     // 1: taken over from an effect record and sent by the effect sync
    std::int32_t refreshFlag;    // 1: bound control refreshed after an effect, group or preset change
    std::int32_t tag;            // 4-bit value in the high nibble of the middle byte on the wire
    std::int32_t displayOffset;
};

static_assert(std::is_trivially_copyable_v<ParamDescriptor>);
static_assert(sizeof(ParamDescriptor) == 1160);
