#include "plugin/RecvDataEvents.h"

#include <cstring>

#include "plugin/AppEvents.h"

void CRecvDataEvents::OnRecvData(const std::array<std::uint8_t, 64>& frame) {
    if (!qv::ui::SApplication::HasMainWnd()) return;
    auto event = std::make_shared<EventRecvData>(nullptr);
    std::memcpy(event->frame, frame.data(), sizeof event->frame);
    FireMainWndEventAsync(std::move(event));
}
