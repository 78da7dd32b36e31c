#include "plugin/pages/ParamControlBinder.h"

#include "controls/SEdit2.h"
#include "platform/os/Log.h"
#include "platform/ui/controls/SComboBox.h"
#include "platform/ui/controls/SProgress.h"
#include "plugin/model/ControlId.h"
#include "plugin/workspace/WorkSpaceParams.h"

namespace {

// Sets the flag for the lifetime of the guard: control events caused by the
// binder's own changes are ignored meanwhile.
class BusyGuard {
public:
    explicit BusyGuard(bool& flag) : m_flag(flag), m_old(flag) { m_flag = true; }
    ~BusyGuard() { m_flag = m_old; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    bool& m_flag;
    bool m_old;
};

}  // namespace

CParamControlBinder::CParamControlBinder(CWorkSpaceParams* params, qv::ui::SWindow* root)
    : m_params(params), m_root(root) {
    if (m_params) m_params->SetDisplay(this);
}

CParamControlBinder::~CParamControlBinder() {
    if (m_params && m_params->Display() == this) m_params->SetDisplay(nullptr);
}

bool CParamControlBinder::BindParam(int n, int controlId, int linkedControlId, int kind) {
    if (!m_params) {
        QV_LOGE("no parameters to bind control %d to", controlId);
        return false;
    }
    const auto& descriptors = m_params->Model().GetDescriptors();
    std::optional<CParamBinding> binding = MakeBinding(descriptors, n, controlId, linkedControlId, kind);
    if (!binding) return false;  // logged by MakeBinding
    Bound& bound = m_bindings[controlId];
    bound = Bound{*binding, nullptr};
    m_paramControls.emplace(n, controlId);
    Attach(bound);
    m_display[n] = controlId;
    return true;
}

void CParamControlBinder::Clear() {
    m_bindings.clear();
    m_paramControls.clear();
    m_display.clear();
}

const CParamBinding* CParamControlBinder::FindBinding(int controlId) const {
    auto it = m_bindings.find(controlId);
    return it == m_bindings.end() ? nullptr : &it->second.binding;
}

void CParamControlBinder::Attach(Bound& bound) {
    bound.control = m_root ? m_root->FindChildByID(bound.binding.controlId) : nullptr;
    if (!bound.control) return;
    BusyGuard busy(m_busy);
    const CParamBinding& b = bound.binding;
    switch (b.kind) {
        case kBindProgress:
        case kBindProgress2:
            if (auto* progress = dynamic_cast<qv::ui::SProgress*>(bound.control))
                progress->SetRange(b.minimum, b.maximum);
            break;
        case kBindCombo:
            if (auto* combo = dynamic_cast<qv::ui::SComboBox*>(bound.control)) {
                combo->ResetContent();
                for (const std::u16string& item : SplitItemTexts(b)) combo->AddString(qv::ui::SStringW(item));
            }
            break;
        case kBindOption: {
            const auto items = SplitItemTexts(b);
            const auto option = static_cast<std::size_t>(qv::binder::OptionNumberOf(b.controlId));
            if (option < items.size()) bound.control->SetWindowText(qv::ui::SStringW(items[option]));
            bound.control->SetCheck(static_cast<std::int32_t>(option) == b.initialValue);
            return;
        }
        default:
            break;
    }
    const FormattedValue shown = FormatRawValue(b.initialValue, b);
    PushValue(bound, b.initialValue, shown.text);
}

bool CParamControlBinder::ShowsParam(std::int32_t id) const {
    auto it = m_display.find(id);
    return it != m_display.end() && m_bindings.count(it->second) != 0;
}

void CParamControlBinder::ShowParam(std::int32_t id, std::int32_t value) {
    auto it = m_display.find(id);
    if (it == m_display.end()) return;
    auto bound = m_bindings.find(it->second);
    if (bound != m_bindings.end()) UpdateParamDisplay(bound->second, value);
}

void CParamControlBinder::UpdateParamDisplay(Bound& bound, std::int32_t raw) {
    const CParamBinding& b = bound.binding;
    const double display = static_cast<double>(raw) * b.scale + b.displayOffset;
    const FormattedValue shown = FormatValue(display, b);
    PushValue(bound, shown.raw, shown.text);
    if (b.linkedControlId == 0) return;
    auto linked = m_bindings.find(b.linkedControlId);
    if (linked != m_bindings.end()) PushValue(linked->second, shown.raw, shown.text);
}

void CParamControlBinder::PushValue(Bound& bound, std::int32_t raw, const std::u16string& text) {
    if (!bound.control) return;
    BusyGuard busy(m_busy);
    const ControlState state = ControlStateFor(bound.binding, raw, text);
    using Action = ControlState::Action;
    switch (state.action) {
        case Action::kPosition:
            if (auto* progress = dynamic_cast<qv::ui::SProgress*>(bound.control)) progress->SetValue(state.value);
            break;
        case Action::kSelection:
            if (auto* combo = dynamic_cast<qv::ui::SComboBox*>(bound.control)) combo->SetCurSel(state.value);
            break;
        case Action::kCheck:
            bound.control->SetCheck(state.value != 0);
            break;
        case Action::kCheckOption:
            if (state.optionControlId != 0 && m_root) {
                if (qv::ui::SWindow* option = m_root->FindChildByID(state.optionControlId)) option->SetCheck(true);
            }
            break;
        case Action::kText:
            bound.control->SetWindowText(qv::ui::SStringW(state.text));
            break;
        case Action::kNone:
            break;
    }
}

bool CParamControlBinder::IsValueEdit(const qv::ui::SWindow* control) const {
    if (!control) return false;
    const std::u16string_view cls = control->GetObjectClass();
    return cls == u"richedit" || cls == u"edit2";
}

bool CParamControlBinder::OnEvent(qv::ui::EventArgs* e) {
    if (!e || !m_params || m_busy || m_bindings.empty()) return false;
    auto it = m_bindings.find(e->idFrom);
    if (it == m_bindings.end()) return false;
    Bound& bound = it->second;
    const CParamBinding& b = bound.binding;
    std::int32_t value = 0;
    std::u16string text;
    switch (e->GetID()) {
        case qv::ui::EVT_CMD: {
            const bool checked = bound.control && bound.control->IsChecked();
            std::optional<std::int32_t> clicked = ValueFromClick(b, checked);
            if (!clicked) return false;
            value = *clicked;
            break;
        }
        case qv::ui::EVT_SLIDER_POS: {
            auto* slider = qv::ui::EventCast<qv::ui::EventSliderPos>(e);
            if (!slider) return false;
            value = slider->nPos;
            break;
        }
        case qv::ui::EVT_CB_SELCHANGE: {
            auto* selection = qv::ui::EventCast<qv::ui::EventCBSelChange>(e);
            if (!selection) return false;
            value = selection->nCurSel;
            break;
        }
        case qv::ui::EVT_RE_NOTIFY:
        case qv::controls::EVT_EDIT_VALUE_CHANGING: {
            if (!IsValueEdit(bound.control)) return false;
            const qv::ui::SStringW shown = bound.control->GetWindowText();
            double x = ParseDisplayValue(shown);
            if (e->GetID() == qv::controls::EVT_EDIT_VALUE_CHANGING) {
                auto* step = qv::ui::EventCast<qv::controls::EventEditValueChanging>(e);
                if (!step) return false;
                x = SteppedDisplayValue(shown, step->nStep, b);
            }
            const FormattedValue formatted = FormatValue(x, b);
            value = formatted.raw;
            text = formatted.text;
            PushValue(bound, value, text);
            break;
        }
        default:
            return false;
    }
    OnControlChanged(bound, value, text);
    return true;
}

void CParamControlBinder::OnControlChanged(Bound& bound, std::int32_t value, const std::u16string& text) {
    const CParamBinding b = bound.binding;  // the write may rebind controls
    if (m_params) m_params->WriteParam(b.controlId, value);
    if (b.linkedControlId == 0) return;
    auto linked = m_bindings.find(b.linkedControlId);
    if (linked == m_bindings.end()) return;
    PushValue(linked->second, value, TextForLinked(b, linked->second.binding, value, text));
}
