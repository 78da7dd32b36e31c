#pragma once
// Stored records as bytes: the state file and preset files hold the records'
// memory image. Records read back get their texts terminated at field width.
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

#include "plugin/model/EffectRecord.h"
#include "plugin/model/GroupPreset.h"

template <class Record>
std::array<std::uint8_t, sizeof(Record)> RecordToBytes(const Record& record) {
    std::array<std::uint8_t, sizeof(Record)> bytes;
    std::memcpy(bytes.data(), &record, sizeof(Record));
    return bytes;
}

void TerminateTexts(EffectRecord& record);
void TerminateTexts(GroupPreset& preset);

// A value of another length is no record.
template <class Record>
std::optional<Record> RecordFromBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != sizeof(Record)) return std::nullopt;
    Record record;
    std::memcpy(&record, bytes.data(), sizeof(Record));
    TerminateTexts(record);
    return record;
}
