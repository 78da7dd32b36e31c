#pragma once
// Connects a host window's SDL native window to the host's handle, so its
// input reaches the host. Call after the host is created; a host on another
// backend is left alone (returns false).
namespace qv::ui {
class SHostWnd;
}

namespace qv::ui::sdl {

bool BindHostInput(SHostWnd& host);

}  // namespace qv::ui::sdl
