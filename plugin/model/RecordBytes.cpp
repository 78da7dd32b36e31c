#include "plugin/model/RecordBytes.h"

#include "plugin/model/RecordText.h"

void TerminateTexts(EffectRecord& record) {
    TerminateField(record.name);
    TerminateField(record.remark);
    TerminateField(record.nickname);
}

void TerminateTexts(GroupPreset& preset) {
    TerminateField(preset.name);
}
