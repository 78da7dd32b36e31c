#include "platform/ui/ModuleResources.h"

#include <dlfcn.h>

#include <mutex>
#include <vector>

#include "platform/os/Utf.h"

namespace qv::ui {
namespace {

struct ModuleTable {
    HMODULE module;
    bool isExecutable;
    const ResourceEntry* table;
    std::size_t count;
};

struct Registry {
    std::mutex mutex;
    std::vector<ModuleTable> tables;
};

Registry& GetRegistry() {
    static Registry* registry = new Registry();  // outlives every module's registrar
    return *registry;
}

bool EqualsAsciiNoCase(std::u16string_view a, const char* b) {
    return qv::os::EqualsNoCase(a, qv::os::Utf8ToUtf16(b));
}

}  // namespace

HMODULE ModuleOfAddress(const void* address) {
    Dl_info info{};
    if (!dladdr(address, &info)) return nullptr;
    return info.dli_fbase;
}

HMODULE ExecutableModule() {
    Registry& r = GetRegistry();
    std::lock_guard<std::mutex> guard(r.mutex);
    for (const ModuleTable& t : r.tables) {
        if (t.isExecutable) return t.module;
    }
    return nullptr;
}

void RegisterModuleResources(const ResourceEntry* table, std::size_t count, bool isExecutable) {
    Registry& r = GetRegistry();
    std::lock_guard<std::mutex> guard(r.mutex);
    r.tables.push_back({ModuleOfAddress(table), isExecutable, table, count});
}

void UnregisterModuleResources(const ResourceEntry* table) {
    Registry& r = GetRegistry();
    std::lock_guard<std::mutex> guard(r.mutex);
    std::erase_if(r.tables, [table](const ModuleTable& t) { return t.table == table; });
}

std::optional<std::span<const std::uint8_t>> FindModuleResource(HMODULE module, std::u16string_view type,
                                                                  std::u16string_view name) {
    Registry& r = GetRegistry();
    std::lock_guard<std::mutex> guard(r.mutex);
    for (const ModuleTable& t : r.tables) {
        if (module ? t.module != module : !t.isExecutable) continue;
        for (std::size_t i = 0; i < t.count; ++i) {
            const ResourceEntry& e = t.table[i];
            if (EqualsAsciiNoCase(type, e.type) && EqualsAsciiNoCase(name, e.name)) {
                return std::span<const std::uint8_t>(e.data, e.size);
            }
        }
    }
    return std::nullopt;
}

ResName ParseResName(std::u16string_view text, std::u16string_view defaultType) {
    size_t colon = text.find(u':');
    if (colon == std::u16string_view::npos) return {SStringW(defaultType), SStringW(text)};
    std::u16string_view type = text.substr(0, colon);
    std::u16string_view name = text.substr(colon + 1);
    while (!name.empty() && name.front() == u':') name.remove_prefix(1);  // "SMENU::x"
    return {SStringW(type), SStringW(name)};
}

}  // namespace qv::ui
