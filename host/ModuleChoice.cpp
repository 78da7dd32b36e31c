#include "host/ModuleChoice.h"

const DeviceRow& ChooseStartRow(std::u16string_view lastPluginFile,
                                const CardPresentFn& cardPresent) {
    const std::u16string_view name = CanonicalPluginFile(lastPluginFile);
    const DeviceRow* named = nullptr;
    bool updateCardPresent = false;
    for (const DeviceRow& row : kDeviceTable) {
        if (name == row.pluginFile) named = &row;
        if (!cardPresent(row)) continue;
        if (!IsUpdateModeRow(row)) return row;
        updateCardPresent = true;
    }
    if (updateCardPresent) return named ? *named : UpdateModeRow();
    return named ? *named : kDeviceTable[0];
}
