#include "plugin/device/DeviceInfoText.h"

#include "platform/ui/SApplication.h"
#include "platform/ui/SStringW.h"

namespace {

// The installed language's form of a line or format (the text itself when
// there is no application or no translation).
qv::ui::SStringW Tr(std::u16string_view text) {
    const qv::ui::SStringW source{std::u16string(text)};
    qv::ui::SApplication* app = qv::ui::SApplication::getSingletonPtr();
    return app ? app->TranslateText(source) : source;
}

std::u16string VersionLine(const char16_t* format, std::uint8_t version) {
    return qv::ui::SStringW::Format(Tr(format).c_str(), version / 10, version % 10).str();
}

}  // namespace

const char16_t* GetDeviceTypeText(std::uint8_t type) {
    switch (type) {
    case 1: return u"声卡";
    case 2: return u"话筒";
    case 3: return u"耳机";
    case 4: return u"音箱";
    case 5: return u"效果器";
    default: return u"其他";
    }
}

std::u16string DeviceInfoText(std::u16string_view productLine, const std::uint8_t* reply) {
    std::u16string text = Tr(productLine).str();
    if (!reply) return text;
    text += VersionLine(u"硬件版本：V%d.%d\n", reply[4]);
    text += VersionLine(u"固件版本：V%d.%d\n", reply[6]);
    text += qv::ui::SStringW::Format(Tr(u"设备类型：%s\n").c_str(), Tr(GetDeviceTypeText(reply[14])).c_str()).str();
    return text;
}
