#pragma once
// Fakes of what the parameter model talks to: the port (device link, throttle,
// controls) and the state file.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "plugin/model/IParamModelPort.h"
#include "plugin/model/IWorkspaceStateStore.h"

class FakeParamPort : public IParamModelPort {
public:
    bool connected = true;
    bool sendSucceeds = true;
    std::vector<std::vector<qv::model::ParamFrame>> sends;  // one entry per SendFrames call
    int sendRequests = 0;
    int paramChangedFirings = 0;
    std::vector<std::pair<int, int>> bandWrites;
    std::vector<std::pair<int, int>> displayUpdates;

    bool IsConnected() override { return connected; }
    BOOL SendFrames(const std::vector<qv::model::ParamFrame>& frames) override {
        sends.push_back(frames);
        return sendSucceeds ? 1 : 0;
    }
    void RequestSend() override { ++sendRequests; }
    void FireParamChanged() override { ++paramChangedFirings; }
    void OnBandWritten(std::int32_t id, std::int32_t value) override { bandWrites.emplace_back(id, value); }
    void UpdateParamDisplay(std::int32_t id, std::int32_t value) override {
        displayUpdates.emplace_back(id, value);
    }
};

// An in-memory state file. Values are kept as written; a value stored with a
// different length than asked for is handed back as it is, as a short or
// long value would reach the model if the engine let it through.
class FakeStateStore : public IWorkspaceStateStore {
public:
    using Key = std::pair<std::u16string, std::u16string>;
    std::map<Key, std::vector<std::uint8_t>> structs;
    std::map<Key, int> ints;
    bool writesSucceed = true;
    int structReads = 0;

    std::optional<std::vector<std::uint8_t>> ReadStruct(const char16_t* section, const char16_t* key,
                                                        std::size_t) override {
        ++structReads;
        auto it = structs.find({section, key});
        if (it == structs.end()) return std::nullopt;
        return it->second;
    }
    BOOL WriteStruct(const char16_t* section, const char16_t* key,
                     std::span<const std::uint8_t> bytes) override {
        if (!writesSucceed) return 0;
        structs[{section, key}].assign(bytes.begin(), bytes.end());
        return 1;
    }
    std::optional<int> ReadInt(const char16_t* section, const char16_t* key) override {
        auto it = ints.find({section, key});
        if (it == ints.end()) return std::nullopt;
        return it->second;
    }
    BOOL WriteInt(const char16_t* section, const char16_t* key, int value) override {
        if (!writesSucceed) return 0;
        ints[{section, key}] = value;
        return 1;
    }
    bool Has(const char16_t* section, const char16_t* key) const {
        return structs.count({section, key}) != 0;
    }
};
