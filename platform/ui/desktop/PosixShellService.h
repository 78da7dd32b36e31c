#pragma once
// Documents open through xdg-open; programs start through posix_spawn.
#include "platform/ui/desktop/ShellService.h"

namespace qv::desktop {

class PosixShellService final : public IShellService {
public:
    BOOL OpenDocument(std::u16string_view pathOrUrl) override;
    BOOL StartProgram(std::u16string_view program, std::u16string_view parameters) override;
};

}  // namespace qv::desktop
