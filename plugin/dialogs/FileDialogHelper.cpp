#include "plugin/dialogs/FileDialogHelper.h"

#include "platform/ui/desktop/FileDialog.h"

CFileDialogHelper::CFileDialogHelper(bool openMode, DWORD flags, std::u16string_view filter,
                                     std::u16string_view defaultExtension, HWND owner, std::u16string_view initialName)
    : m_openMode(openMode),
      m_flags(flags),
      m_filter(filter),
      m_defaultExtension(defaultExtension),
      m_owner(owner),
      m_initialName(initialName) {}

INT_PTR CFileDialogHelper::DoModal(HWND owner) {
    if (!m_owner) m_owner = owner;
    qv::desktop::FileDialogOptions options;
    options.owner = m_owner;
    options.filters = qv::desktop::ParseFilterList(m_filter);
    options.initialName = m_initialName;
    options.defaultExtension = m_defaultExtension;
    options.mustExist = m_openMode;
    options.overwritePrompt = (m_flags & OFN_OVERWRITEPROMPT) != 0;
    qv::desktop::IFileDialogService& service = qv::desktop::FileDialogService();
    const auto chosen = m_openMode ? service.OpenFile(options) : service.SaveFile(options);
    if (!chosen || chosen->empty()) return 0;
    m_path = *chosen;
    return 1;
}
