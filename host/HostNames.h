#pragma once
// Names the host shares with other processes: locks, window classes and the
// activation message.
#include "platform/os/ActivationChannel.h"
#include "platform/os/Types.h"

inline constexpr const char16_t* kSingleInstanceName = u"{F0ACB48A-139E-4239-8144-AB9B043723BC}";
inline constexpr const char16_t* kRunLockName = u"{4EAB8166-D7D4-4B1D-A60A-180BF4C20BAC}";
// The running plug-in's hidden window, target of the activation message.
inline constexpr const char16_t* kHiddenWindowClass = u"{217984E9-C0EC-44B9-BF57-0800EC42972D}";
// The outside firmware tool, closed at start.
inline constexpr const char16_t* kFirmwareToolClass = u"{41F01DD1-F860-4C7D-AFB8-D3EE467402C7}";
inline constexpr UINT kActivateMessage = qv::os::kActivationMessage;
inline constexpr WPARAM kActivateWParam = 5;
inline constexpr const char16_t* kAppDataName = u"Quorvel";
