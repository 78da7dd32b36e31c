#pragma once
// Resources compiled into a module (the host executable, each plug-in),
// looked up by (module, type, name). The build generates a table per module
// (cmake/QvResources.cmake) whose static registrar adds it here while the
// module is loaded. Types and names compare ignoring case.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/os/Types.h"
#include "platform/ui/SStringW.h"

namespace qv::ui {

struct ResourceEntry {
    const char* type;
    const char* name;
    const unsigned char* data;
    std::size_t size;
};

// The module a code or data address belongs to (its load address).
HMODULE ModuleOfAddress(const void* address);
// The executable's module; resources asked of a null module come from it.
HMODULE ExecutableModule();

void RegisterModuleResources(const ResourceEntry* table, std::size_t count, bool isExecutable);
void UnregisterModuleResources(const ResourceEntry* table);

// Bytes of a resource; nullopt when the module has none of that type and name.
std::optional<std::span<const std::uint8_t>> FindModuleResource(HMODULE module, std::u16string_view type,
                                                                  std::u16string_view name);

// A resource name as the layouts and code spell it: "LAYOUT:XML_MAIN",
// "smenu:menu_x", "SMENU::menu_x". Without a colon the type is defaultType.
struct ResName {
    SStringW type;
    SStringW name;
};
ResName ParseResName(std::u16string_view text, std::u16string_view defaultType);

// The static registrar the generated table file instantiates.
class ModuleResourcesRegistrar {
public:
    ModuleResourcesRegistrar(const ResourceEntry* table, std::size_t count, bool isExecutable) : m_table(table) {
        RegisterModuleResources(table, count, isExecutable);
    }
    ~ModuleResourcesRegistrar() { UnregisterModuleResources(m_table); }

private:
    const ResourceEntry* m_table;
};

}  // namespace qv::ui
