#include "tools/catalogsim/Catalogue.h"

#include <json/json.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "tools/catalogsim/SampleSounds.h"

namespace catalogsim {
namespace {

const std::string kCategories = "POST /tuning/api/live/getSpecialEffectCategory.json";
const std::string kCategorySounds = "POST /tuning/api/live/findByCategory.json";
const std::string kEffectList = "POST /tuning/api/sound/getSoundList.json";
const std::string kEffectDetail = "POST /tuning/api/sound/getSoundDetail.json";
const std::string kUsage = "POST /tuning/api/user/informationCollector.json";

std::string Ok(const std::string& data) { return "{\"message\":\"ok\",\"data\":" + data + "}"; }

Reply Json(const std::string& body) {
    Reply reply;
    reply.body = body;
    return reply;
}

Reply File(std::int64_t size) {
    Reply reply;
    reply.contentType = "audio/mpeg";
    reply.generated = size;
    return reply;
}

// A real sound: one of the skin's pads' sounds as MP3.
Reply Sound(const std::string& skinSound) {
    Reply reply;
    reply.contentType = "audio/mpeg";
    reply.body = SkinSoundMp3(skinSound);
    return reply;
}

bool IsFile(const std::string& route) { return route.rfind("GET ", 0) == 0; }

std::string ArgumentOf(const std::string& name, const std::string& prefix) {
    return name.rfind(prefix, 0) == 0 ? name.substr(prefix.size()) : std::string();
}

void ForEachJsonRoute(Catalogue& catalogue, void (*change)(Reply&)) {
    for (auto& [route, reply] : catalogue.routes)
        if (!IsFile(route)) change(reply);
}

std::string LongText(const std::string& unit, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += unit;
    return text;
}

}  // namespace

const Reply* Catalogue::Find(const std::string& method, const std::string& path, const std::string& body,
                             std::string& route) const {
    route = method + " " + path;
    if (auto it = routes.find(route + "|" + body); it != routes.end()) {
        route = it->first;
        return &it->second;
    }
    if (auto it = routes.find(route); it != routes.end()) return &it->second;
    return nullptr;
}

Catalogue RegularCatalogue() {
    Catalogue c;
    c.routes[kCategories] = Json(Ok(R"([{"id":1,"categoryName":"笑声"},{"id":2,"categoryName":"掌声"}])"));
    c.routes[kCategorySounds + "|categoryId=1"] = Json(Ok(
        R"([{"id":101,"name":"大笑","url":"{base}/files/laugh.mp3"},{"id":102,"name":"偷笑","url":"{base}/files/giggle.mp3"}])"));
    c.routes[kCategorySounds + "|categoryId=2"] =
        Json(Ok(R"([{"id":201,"name":"掌声","url":"{base}/files/clap.mp3"}])"));
    c.routes[kEffectList] = Json(Ok(R"([{"id":301,"soundName":"KTV"},{"id":302,"soundName":"R&B"}])"));
    // Settings a singer would keep: the equaliser near flat with some
    // presence (raw 12 is 0 dB), reverb on at a usual length and level, the
    // voice change and the electric voice off.
    c.routes[kEffectDetail + "|soundId=301"] = Json(Ok(
        R"({"id":301,"soundName":"KTV","remark":"大厅","nickname":"Lin","groupList":[)"
        R"({"paramList":[{"paramNo":4,"paramValue":1},{"paramNo":11,"paramValue":0},{"paramNo":13,"paramValue":1},)"
        R"({"paramNo":14,"paramValue":0},{"paramNo":15,"paramValue":0},{"paramNo":16,"paramValue":0},{"paramNo":17,"paramValue":12},)"
        R"({"paramNo":18,"paramValue":0},{"paramNo":19,"paramValue":0}]},)"
        R"({"paramList":[{"paramNo":25,"paramValue":13},{"paramNo":26,"paramValue":13},{"paramNo":27,"paramValue":12},)"
        R"({"paramNo":28,"paramValue":11},{"paramNo":29,"paramValue":12},{"paramNo":30,"paramValue":13},{"paramNo":31,"paramValue":14},)"
        R"({"paramNo":32,"paramValue":15},{"paramNo":33,"paramValue":14},{"paramNo":34,"paramValue":13}]},)"
        R"({"paramList":[{"paramNo":12,"paramValue":1},{"paramNo":20,"paramValue":18},{"paramNo":21,"paramValue":60},)"
        R"({"paramNo":22,"paramValue":45},{"paramNo":23,"paramValue":70},{"paramNo":37,"paramValue":30},{"paramNo":38,"paramValue":40},)"
        R"({"paramNo":39,"paramValue":80}]},)"
        R"({"paramList":[{"paramNo":35,"paramValue":110},{"paramNo":36,"paramValue":120},{"paramNo":40,"paramValue":60},)"
        R"({"paramNo":41,"paramValue":55},{"paramNo":42,"paramValue":120}]}]})"));
    c.routes[kEffectDetail + "|soundId=302"] = Json(Ok(
        R"({"id":302,"soundName":"R&B","remark":"","nickname":"","groupList":[)"
        R"({"paramList":[{"paramNo":4,"paramValue":3},{"paramNo":11,"paramValue":0},{"paramNo":13,"paramValue":0},)"
        R"({"paramNo":14,"paramValue":0},{"paramNo":15,"paramValue":0},{"paramNo":16,"paramValue":0},{"paramNo":17,"paramValue":12},)"
        R"({"paramNo":18,"paramValue":0},{"paramNo":19,"paramValue":0}]},)"
        R"({"paramList":[{"paramNo":25,"paramValue":15},{"paramNo":26,"paramValue":15},{"paramNo":27,"paramValue":14},)"
        R"({"paramNo":28,"paramValue":13},{"paramNo":29,"paramValue":12},{"paramNo":30,"paramValue":12},{"paramNo":31,"paramValue":13},)"
        R"({"paramNo":32,"paramValue":13},{"paramNo":33,"paramValue":12},{"paramNo":34,"paramValue":11}]},)"
        R"({"paramList":[{"paramNo":12,"paramValue":1},{"paramNo":20,"paramValue":12},{"paramNo":21,"paramValue":40},)"
        R"({"paramNo":22,"paramValue":35},{"paramNo":23,"paramValue":55},{"paramNo":37,"paramValue":20},{"paramNo":38,"paramValue":20},)"
        R"({"paramNo":39,"paramValue":70}]},)"
        R"({"paramList":[{"paramNo":35,"paramValue":130},{"paramNo":36,"paramValue":100},{"paramNo":40,"paramValue":55},)"
        R"({"paramNo":41,"paramValue":60},{"paramNo":42,"paramValue":100}]}]})"));
    c.routes[kUsage] = Json(R"({"message":"ok"})");
    c.routes["GET /files/laugh.mp3"] = Sound("DJ_DHX");
    c.routes["GET /files/giggle.mp3"] = Sound("DJ_XHX");
    c.routes["GET /files/clap.mp3"] = Sound("DJ_ZS");
    return c;
}

std::vector<std::string> SwitchNames() {
    return {"slow",          "stalled",      "huge",          "exact-size=N",   "malformed",
            "wrong-types",   "not-ok",       "status=N",      "redirect",       "redirect-file",
            "hostile-names", "hostile-urls", "detail-null",   "detail-missing", "detail-other-id",
            "file-status=N", "file-empty"};
}

bool ApplySwitch(Catalogue& c, const std::string& name) {
    if (name == "slow") {
        // Past the client's time-outs: 7 s for catalogue requests, 3 s for files.
        for (auto& [route, reply] : c.routes) reply.delayMs = IsFile(route) ? 4000 : 8000;
    } else if (name == "stalled") {
        for (auto& entry : c.routes) entry.second.stall = true;
    } else if (name == "huge") {
        for (auto& [route, reply] : c.routes)
            if (IsFile(route)) reply.generated = 40LL * 1024 * 1024;
    } else if (const std::string size = ArgumentOf(name, "exact-size="); !size.empty()) {
        const std::size_t target = std::stoul(size);
        for (auto& [route, reply] : c.routes)
            if (!IsFile(route)) reply.padTo = target;
    } else if (name == "malformed") {
        ForEachJsonRoute(c, [](Reply& reply) { reply.body = R"({"message":"ok","data":[{"id":1,)"; });
    } else if (name == "wrong-types") {
        c.routes[kCategories] = Json(Ok(R"({"id":1})"));
        c.routes.erase(kCategorySounds + "|categoryId=1");
        c.routes.erase(kCategorySounds + "|categoryId=2");
        c.routes[kCategorySounds] = Json(Ok(R"("sounds")"));
        c.routes[kEffectList] = Json(Ok(R"(7)"));
        c.routes.erase(kEffectDetail + "|soundId=301");
        c.routes.erase(kEffectDetail + "|soundId=302");
        c.routes[kEffectDetail] = Json(Ok(R"([{"id":301}])"));
    } else if (name == "not-ok") {
        ForEachJsonRoute(c, [](Reply& reply) { reply.body = R"({"message":"服务器繁忙","data":[]})"; });
    } else if (const std::string status = ArgumentOf(name, "status="); !status.empty()) {
        const int code = std::stoi(status);
        for (auto& entry : c.routes) {
            entry.second.status = code;
            entry.second.generated = -1;
            entry.second.body = R"({"message":"ok","data":[]})";
        }
    } else if (name == "redirect" || name == "redirect-file") {
        for (auto& [route, reply] : c.routes) {
            reply.status = 302;
            const std::string path = route.substr(route.find(' ') + 1, route.find('|') - route.find(' ') - 1);
            reply.location = name == "redirect" ? "{base}" + path : "file:///etc/passwd";
            reply.generated = -1;
            reply.body.clear();
        }
    } else if (const std::string fileStatus = ArgumentOf(name, "file-status="); !fileStatus.empty()) {
        for (auto& [route, reply] : c.routes)
            if (IsFile(route)) reply.status = std::stoi(fileStatus);
    } else if (name == "file-empty") {
        for (auto& [route, reply] : c.routes) {
            if (!IsFile(route)) continue;
            reply.generated = -1;
            reply.body.clear();
        }
    } else if (name == "detail-null" || name == "detail-missing" || name == "detail-other-id") {
        // Another id: 302's detail answers for 301, 301's for the others.
        const Reply detail301 = c.routes[kEffectDetail + "|soundId=301"];
        const Reply detail302 = c.routes[kEffectDetail + "|soundId=302"];
        for (auto& [route, reply] : c.routes) {
            if (route.rfind(kEffectDetail + "|", 0) != 0) continue;
            if (name == "detail-null") reply.first.push_back(Json(Ok("null")));
            else if (name == "detail-missing") reply.first.push_back(Json(R"({"message":"ok"})"));
            else reply.first.push_back(route == kEffectDetail + "|soundId=301" ? detail302 : detail301);
        }
    } else if (name == "hostile-names") {
        const std::string longName = LongText("长", 100);
        const std::string split = "\xE7\xAC";  // the first two bytes of a three-byte character
        c.routes[kCategories] = Json(Ok(R"([{"id":1,"categoryName":"a&b<c\"d"},{"id":2,"categoryName":")" + longName +
                                        R"("},{"id":3,"categoryName":"x)" + split + R"("}])"));
        const std::string sounds = Ok(R"([{"id":101,"name":"&<\"&<\"&<","url":"{base}/files/laugh.mp3"},)"
                                      R"({"id":102,"name":")" + longName + R"(","url":"{base}/files/giggle.mp3"},)"
                                      R"({"id":103,"name":"ab)" + split + R"(","url":"{base}/files/clap.mp3"}])");
        c.routes.erase(kCategorySounds + "|categoryId=1");
        c.routes.erase(kCategorySounds + "|categoryId=2");
        c.routes[kCategorySounds] = Json(sounds);
        c.routes[kEffectList] = Json(Ok(R"([{"id":301,"soundName":"R&B <\"live\">"},{"id":302,"soundName":")" +
                                        LongText("&", 100) + R"("},{"id":303,"soundName":"x)" + split + R"("}])"));
        c.routes[kEffectDetail + "|soundId=301"] =
            Json(Ok(R"({"id":301,"soundName":"a&b","remark":")" + LongText("备注", 200) + R"(","nickname":")" +
                    longName + R"(","groupList":[]})"));
    } else if (name == "hostile-urls") {
        const std::string longUrl = "{base}/files/" + LongText("a", 300) + ".mp3";
        c.routes.erase(kCategorySounds + "|categoryId=1");
        c.routes.erase(kCategorySounds + "|categoryId=2");
        c.routes[kCategorySounds] = Json(Ok(
            R"([{"id":1,"name":"file","url":"file:///etc/passwd"},)"
            R"({"id":2,"name":"dots","url":"{base}/files/../../escape.mp3"},)"
            R"({"id":3,"name":"dotdot","url":"{base}/files/.."},)"
            R"({"id":4,"name":"noslash","url":"laugh.mp3"},)"
            R"({"id":5,"name":"trail","url":"{base}/files/"},)"
            R"({"id":6,"name":"query","url":"{base}/files/laugh.mp3?to=/../../x#/../y"},)"
            R"({"id":7,"name":"long","url":")" + longUrl + R"("},)"
            R"({"id":8,"name":"back","url":"{base}/files/a\\..\\..\\evil.mp3"},)"
            R"({"id":9,"name":"ftp","url":"ftp://127.0.0.1/x.mp3"},)"
            R"({"id":10,"name":"host","url":"{base}"},)"
            R"({"id":11,"name":"hostquery","url":"{base}?take=/laugh.mp3"}])"));
        c.routes["GET /"] = File(64);
        c.routes["GET /escape.mp3"] = File(512);
        c.routes["GET /files"] = File(256);
        c.routes["GET /files/"] = File(256);
        c.routes["GET /files/a\\..\\..\\evil.mp3"] = File(128);
    } else {
        return false;
    }
    return true;
}

std::optional<Catalogue> ReadDescription(const std::string& text, std::string& error) {
    Json::CharReaderBuilder builder;
    Json::Value root;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    if (!reader->parse(text.data(), text.data() + text.size(), &root, &error)) return std::nullopt;
    if (!root.isObject() || !root["routes"].isObject()) {
        error = "no \"routes\" object";
        return std::nullopt;
    }
    Catalogue catalogue;
    const Json::Value& routes = root["routes"];
    for (const std::string& key : routes.getMemberNames()) {
        const Json::Value& entry = routes[key];
        if (!entry.isObject()) continue;
        Reply reply;
        reply.status = entry.get("status", 200).asInt();
        if (entry.isMember("json")) {
            Json::StreamWriterBuilder writer;
            writer["indentation"] = "";
            writer["emitUTF8"] = true;
            reply.body = Json::writeString(writer, entry["json"]);
        } else if (entry.isMember("file")) {
            const std::string path = entry["file"].asString();
            std::ifstream in(path, std::ios::binary);
            if (!in) {
                error = "cannot read " + path;
                return std::nullopt;
            }
            reply.body.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            reply.contentType = "audio/mpeg";
        } else {
            reply.body = entry.get("body", "").asString();
        }
        reply.padTo = entry.get("padTo", 0).asUInt();
        reply.delayMs = entry.get("delayMs", 0).asInt();
        reply.stall = entry.get("stall", false).asBool();
        reply.generated = entry.get("size", -1).asInt64();
        reply.location = entry.get("location", "").asString();
        reply.contentType = entry.get("contentType", reply.contentType).asString();
        catalogue.routes[key] = reply;
    }
    return catalogue;
}

}  // namespace catalogsim
