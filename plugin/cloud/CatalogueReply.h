#pragma once
// Readers of the catalogue's JSON replies. A reply is read by its length (up
// to its first zero byte), comments allowed; every type is checked before a
// value is used, so no reply of any content throws or overruns.
//
// - "message" must be a text; "ok" (any case) accepts the reply, any other
//   text is handed back as the message.
// - A missing or null "data" is an empty success for a list, and no effect
//   (unreadable) for a detail; "data" of another type than expected makes
//   the reply unreadable.
// - Elements or fields of the wrong type, and entries that do not fit their
//   records (a URL that is not http(s) or too long, a paramNo outside
//   0 .. 63 or without a parameter), are skipped. Names are cut to their
//   fields at a character boundary.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/cloud/CloudRecords.h"
#include "plugin/model/EffectRecord.h"
#include "plugin/model/ParamDescriptor.h"
#include "plugin/sound/SoundItem.h"

enum class ReplyResult {
    kAccepted,
    kNotOk,       // "message" was another text: it is in message
    kUnparsable,  // not JSON, or of the wrong shape
    kRefused,     // read, but its content may not be used (logged)
};

ReplyResult ReadCategories(std::string_view reply, std::vector<CloudCategory>& out, std::u16string& message);
ReplyResult ReadCategorySounds(std::string_view reply, std::vector<SoundItem>& out, std::u16string& message);
ReplyResult ReadEffectList(std::string_view reply, std::vector<CloudEffectItem>& out, std::u16string& message);
// An effect whose value lies outside [0, maximum] of its parameter is
// refused as a whole: the card must never get it.
ReplyResult ReadEffectDetail(std::string_view reply, std::span<const ParamDescriptor> descriptors,
                             EffectRecord& out, std::u16string& message);

// A name as a framework text: every '&' doubled, cut to at most maxUnits
// without splitting a doubled '&' or a surrogate pair.
std::u16string FrameworkText(std::u16string_view name, std::size_t maxUnits);
