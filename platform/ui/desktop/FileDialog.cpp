#include "platform/ui/desktop/FileDialog.h"

#include <atomic>

#include "platform/ui/desktop/DesktopFileDialogService.h"

namespace qv::desktop {
namespace {

std::atomic<IFileDialogService*> g_replacement{nullptr};

}  // namespace

IFileDialogService& FileDialogService() {
    if (IFileDialogService* replacement = g_replacement.load()) return *replacement;
    static DesktopFileDialogService service;
    return service;
}

void SetFileDialogService(IFileDialogService* service) { g_replacement.store(service); }

std::vector<FileFilter> ParseFilterList(std::u16string_view list) {
    std::vector<FileFilter> filters;
    std::size_t pos = 0;
    auto next = [&]() -> std::u16string_view {
        if (pos >= list.size()) return {};
        const std::size_t end = std::min(list.find(u'\0', pos), list.size());
        std::u16string_view item = list.substr(pos, end - pos);
        pos = end + 1;
        return item;
    };
    for (;;) {
        const std::u16string_view name = next();
        if (name.empty()) break;
        std::u16string_view patterns = next();
        FileFilter filter{std::u16string(name), {}};
        while (!patterns.empty()) {
            const std::size_t semi = patterns.find(u';');
            std::u16string_view one = patterns.substr(0, semi);
            while (!one.empty() && one.front() == u' ') one.remove_prefix(1);
            while (!one.empty() && one.back() == u' ') one.remove_suffix(1);
            if (!one.empty()) filter.patterns.emplace_back(one);
            patterns = semi == std::u16string_view::npos ? std::u16string_view{} : patterns.substr(semi + 1);
        }
        filters.push_back(std::move(filter));
    }
    return filters;
}

std::u16string WithDefaultExtension(std::u16string path, std::u16string_view defaultExtension) {
    while (!defaultExtension.empty() && (defaultExtension.front() == u'*' || defaultExtension.front() == u'.'))
        defaultExtension.remove_prefix(1);
    if (defaultExtension.empty() || path.empty()) return path;
    const std::size_t slash = path.find_last_of(u'/');
    const std::size_t nameStart = slash == std::u16string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of(u'.');
    if (dot != std::u16string::npos && dot > nameStart) return path;
    if (nameStart == path.size()) return path;
    path += u'.';
    path += defaultExtension;
    return path;
}

}  // namespace qv::desktop
