#pragma once
// The open and save file dialogs as the pages ask for them: Windows-style
// flags, a filter list of zero-separated pairs ("name\0*.ext;\0\0"), a
// default extension and an owner, over the layer's file chooser. The open
// dialog accepts only an existing file.
#include <string>
#include <string_view>

#include "platform/os/Types.h"
#include "platform/ui/WinDefs.h"

// The flags that mean something here.
constexpr DWORD OFN_OVERWRITEPROMPT = 0x2;
constexpr DWORD OFN_HIDEREADONLY = 0x4;

class CFileDialogHelper {
public:
    CFileDialogHelper(bool openMode, DWORD flags, std::u16string_view filter, std::u16string_view defaultExtension,
                      HWND owner = nullptr, std::u16string_view initialName = {});

    // Shows the dialog over the owner (the given one when none was set);
    // 1 when a file was chosen, 0 when the user cancelled.
    INT_PTR DoModal(HWND owner = nullptr);
    const std::u16string& GetPathName() const { return m_path; }

private:
    bool m_openMode;
    DWORD m_flags;
    std::u16string m_filter;
    std::u16string m_defaultExtension;
    HWND m_owner;
    std::u16string m_initialName;
    std::u16string m_path;
};
