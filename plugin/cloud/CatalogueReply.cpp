#include "plugin/cloud/CatalogueReply.h"

#include <json/json.h>

#include <cstring>
#include <memory>
#include <optional>

#include "common/http/HttpUrl.h"
#include "platform/os/Log.h"
#include "platform/os/Utf.h"
#include "plugin/model/RecordText.h"

namespace {

using qv::os::Utf8ToUtf16;

std::optional<Json::Value> ParseObject(std::string_view reply) {
    const std::size_t length = ::strnlen(reply.data(), reply.size());
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    Json::Value root;
    std::string errors;
    try {
        const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        if (!reader->parse(reply.data(), reply.data() + length, &root, &errors)) return std::nullopt;
    } catch (const std::exception& error) {  // nesting beyond the reader's limit
        QV_LOGW("catalogue reply not read: %s", error.what());
        return std::nullopt;
    }
    if (!root.isObject()) return std::nullopt;
    return root;
}

// The reply's verdict and, when accepted, its "data" (null when absent).
ReplyResult CheckReply(std::string_view reply, std::u16string& message, Json::Value& data) {
    const std::optional<Json::Value> root = ParseObject(reply);
    if (!root) return ReplyResult::kUnparsable;
    const Json::Value& text = (*root)["message"];
    if (!text.isString()) return ReplyResult::kUnparsable;
    const std::string value = text.asString();
    if (value.size() != 2 || (value[0] | 0x20) != 'o' || (value[1] | 0x20) != 'k') {
        message = Utf8ToUtf16(value);
        return ReplyResult::kNotOk;
    }
    data = (*root)["data"];
    return ReplyResult::kAccepted;
}

// The member when the value is an object holding it with the right type.
const Json::Value* Member(const Json::Value& object, const char* key, bool (Json::Value::*isType)() const) {
    if (!object.isObject()) return nullptr;
    const Json::Value* member = object.find(key, key + std::strlen(key));
    return member && (member->*isType)() ? member : nullptr;
}

std::optional<std::int32_t> IntMember(const Json::Value& object, const char* key) {
    const Json::Value* member = Member(object, key, &Json::Value::isInt);
    if (!member) return std::nullopt;
    return member->asInt();
}

std::optional<std::string> TextMember(const Json::Value& object, const char* key) {
    const Json::Value* member = Member(object, key, &Json::Value::isString);
    if (!member) return std::nullopt;
    return member->asString();
}

// UTF-8 cut to at most maxBytes without splitting a character.
std::string_view CutUtf8(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t length = maxBytes;
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    return text.substr(0, length);
}

template <class Item, class ReadItem>
ReplyResult ReadArray(std::string_view reply, std::vector<Item>& out, std::u16string& message, ReadItem read) {
    out.clear();
    Json::Value data;
    const ReplyResult result = CheckReply(reply, message, data);
    if (result != ReplyResult::kAccepted || data.isNull()) return result;
    if (!data.isArray()) return ReplyResult::kUnparsable;
    for (Json::ArrayIndex i = 0; i < data.size(); ++i) {
        Item item{};
        if (read(data[i], item)) out.push_back(item);
    }
    return ReplyResult::kAccepted;
}

}  // namespace

std::u16string FrameworkText(std::u16string_view name, std::size_t maxUnits) {
    std::u16string text;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size();
        const std::size_t units = (c == u'&' || pair) ? 2 : 1;
        if (text.size() + units > maxUnits) break;
        if (c == u'&') {
            text += u"&&";
        } else {
            text.push_back(c);
            if (pair) text.push_back(name[++i]);
        }
    }
    return text;
}

ReplyResult ReadCategories(std::string_view reply, std::vector<CloudCategory>& out, std::u16string& message) {
    return ReadArray(reply, out, message, [](const Json::Value& element, CloudCategory& category) {
        const auto id = IntMember(element, "id");
        const auto name = TextMember(element, "categoryName");
        if (!id || !name) return false;
        const std::string_view cut = CutUtf8(*name, sizeof category.name - 1);
        std::memcpy(category.name, cut.data(), cut.size());
        category.id = *id;
        return true;
    });
}

ReplyResult ReadCategorySounds(std::string_view reply, std::vector<SoundItem>& out, std::u16string& message) {
    return ReadArray(reply, out, message, [](const Json::Value& element, SoundItem& item) {
        const auto id = IntMember(element, "id");
        const auto name = TextMember(element, "name");
        const auto url = TextMember(element, "url");
        if (!id || !name || !url) return false;
        if (!qv::http::IsWebUrl(url->c_str())) {
            QV_LOGW("sound %d skipped: its URL is not http(s)", *id);
            return false;
        }
        item.kind = kSoundCloud;
        item.cloudId = *id;
        SetFieldTextAtBoundary(item.name, Utf8ToUtf16(*name));
        if (!SetFieldTextWhole(item.path, Utf8ToUtf16(*url))) {
            QV_LOGW("sound %d skipped: its URL is longer than %d units", *id, static_cast<int>(kSoundPathUnits - 1));
            return false;
        }
        return true;
    });
}

ReplyResult ReadEffectList(std::string_view reply, std::vector<CloudEffectItem>& out, std::u16string& message) {
    return ReadArray(reply, out, message, [](const Json::Value& element, CloudEffectItem& item) {
        const auto id = IntMember(element, "id");
        const auto name = TextMember(element, "soundName");
        if (!id || !name) return false;
        SetFieldText(item.name, FrameworkText(Utf8ToUtf16(*name), 63));
        item.id = *id;
        return true;
    });
}

ReplyResult ReadEffectDetail(std::string_view reply, std::span<const ParamDescriptor> descriptors,
                             EffectRecord& out, std::u16string& message) {
    Json::Value data;
    const ReplyResult result = CheckReply(reply, message, data);
    if (result != ReplyResult::kAccepted) return result;
    const auto id = IntMember(data, "id");
    if (!data.isObject() || !id) return ReplyResult::kUnparsable;

    EffectRecord record{};
    record.id = *id;
    if (const auto name = TextMember(data, "soundName")) SetFieldText(record.name, FrameworkText(Utf8ToUtf16(*name), 63));
    if (const auto remark = TextMember(data, "remark")) SetFieldTextAtBoundary(record.remark, Utf8ToUtf16(*remark));
    if (const auto nickname = TextMember(data, "nickname")) SetFieldTextAtBoundary(record.nickname, Utf8ToUtf16(*nickname));

    if (const Json::Value* groups = Member(data, "groupList", &Json::Value::isArray)) {
        for (Json::ArrayIndex g = 0; g < groups->size(); ++g) {
            const Json::Value* params = Member((*groups)[g], "paramList", &Json::Value::isArray);
            if (!params) continue;
            for (Json::ArrayIndex p = 0; p < params->size(); ++p) {
                const auto number = IntMember((*params)[p], "paramNo");
                const auto value = IntMember((*params)[p], "paramValue");
                if (!number || !value || *number < 0 || *number >= kEffectValueCount) continue;
                const auto slot = static_cast<std::size_t>(*number);
                if (slot >= descriptors.size() || descriptors[slot].id != *number) continue;
                if (*value < 0 || *value > descriptors[slot].maximum) {
                    QV_LOGE("cloud effect %d refused: value %d of parameter %d lies outside 0..%d", *id, *value,
                            *number, descriptors[slot].maximum);
                    return ReplyResult::kRefused;
                }
                record.values[slot] = *value;
            }
        }
    }
    out = record;
    return ReplyResult::kAccepted;
}
