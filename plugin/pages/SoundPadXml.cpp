#include "plugin/pages/SoundPadXml.h"

#include <string>

#include "platform/os/Utf.h"
#include "plugin/sound/SoundPadIds.h"

namespace {

constexpr const char* kPlainTemplate = R"(<imgbtn class="cls_sound_btn" inset="5,0,5,0" dotted="1" focusable="0"/>)";
constexpr const char* kAddLocalTemplate =
    R"(<imgbtn class="cls_sound_btn" text="+" inset="5,0,5,0" dotted="1" font="size:20,bold:1" tip="添加本地mp3文件" focusable="0"/>)";
constexpr const char* kFavouriteTemplate =
    R"(<window layout="vbox" gravity="center"><imgbtn class="cls_sound_btn_hotkey" inset="5,0,5,0" dotted="1"/>)"
    R"(<text class="cls_sound_txt_hotkey_key"/></window>)";
constexpr const char* kCloudPageTemplate =
    R"(<page padding="8,2,0,0"><scrollview class="cls_scrollview" layout="gridLayout" columnCount="4" rowCount="3" )"
    R"(xInterval="8" yInterval="1" xGravity="fill" yGravity="fill" font="size:12" colorText="#E0E0E0"/></page>)";

void Load(pugi::xml_document& doc, const char* text) {
    doc.reset();
    doc.load_string(text);
}

std::string Utf8(std::u16string_view text) { return qv::os::Utf16ToUtf8(text); }

// "&" shown as itself in a caption.
std::string Caption(std::u16string_view name) {
    std::string caption;
    for (char c : Utf8(name)) {
        caption.push_back(c);
        if (c == '&') caption.push_back('&');
    }
    return caption;
}

// Sets the attribute in the element's own place among its attributes.
void Set(pugi::xml_node node, const char* name, const std::string& value) {
    pugi::xml_attribute attr = node.attribute(name);
    if (!attr) attr = node.prepend_attribute(name);
    attr.set_value(value.c_str());
}

}  // namespace

void MakePlainPad(pugi::xml_document& doc, int id, std::u16string_view name) {
    Load(doc, kPlainTemplate);
    pugi::xml_node pad = doc.first_child();
    Set(pad, "text", Caption(name));
    Set(pad, "id", std::to_string(id));
}

void MakeAddLocalPad(pugi::xml_document& doc) {
    Load(doc, kAddLocalTemplate);
    Set(doc.first_child(), "id", std::to_string(kAddLocalPad));
}

void MakeFavouritePad(pugi::xml_document& doc, int id, std::u16string_view name, std::u16string_view hotKeyText) {
    Load(doc, kFavouriteTemplate);
    pugi::xml_node button = doc.first_child().child("imgbtn");
    Set(button, "text", Caption(name));
    Set(button, "id", std::to_string(id));
    doc.first_child().child("text").text().set(Caption(hotKeyText).c_str());
}

std::u16string CloudPageXml(std::u16string_view title, std::u16string_view scrollViewName) {
    pugi::xml_document doc;
    Load(doc, kCloudPageTemplate);
    Set(doc.first_child(), "title", Utf8(title));
    Set(doc.first_child().child("scrollview"), "name", Utf8(scrollViewName));
    std::string text;
    struct Writer : pugi::xml_writer {
        std::string* out;
        void write(const void* data, std::size_t size) override { out->append(static_cast<const char*>(data), size); }
    } writer;
    writer.out = &text;
    doc.first_child().print(writer, "", pugi::format_raw);
    return qv::os::Utf8ToUtf16(text);
}
