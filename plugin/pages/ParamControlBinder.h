#pragma once
// Connects the workspace's parameters with the controls of a page in both
// directions: a control event becomes a parameter write, a parameter value a
// control state. Controls are found by id under the root window; the id
// carries the parameter (id mod 1000) and the control's kind (the multiple
// of 1000), so one handler serves every control. UI thread only.
#include <cstdint>
#include <map>
#include <string>

#include "platform/ui/EventArgs.h"
#include "platform/ui/SWindow.h"
#include "plugin/model/CParamBinding.h"
#include "plugin/workspace/ParamDisplay.h"

class CWorkSpaceParams;

class CParamControlBinder : public IParamDisplay {
public:
    // Links itself to the workspace's parameters (null: bindings show values
    // but write nothing); root is where controls are looked up.
    CParamControlBinder(CWorkSpaceParams* params, qv::ui::SWindow* root);
    ~CParamControlBinder() override;
    CParamControlBinder(const CParamControlBinder&) = delete;
    CParamControlBinder& operator=(const CParamControlBinder&) = delete;

    // Binds control controlId to parameter index n (kind -1: the descriptor's)
    // and shows the parameter's initial value there. An index outside the
    // descriptor list is refused (logged): false.
    bool BindParam(int n, int controlId, int linkedControlId, int kind);
    // Removes every binding (before the page rebuilds its controls).
    void Clear();
    // The page's control events; true when consumed (a parameter was written).
    virtual bool OnEvent(qv::ui::EventArgs* e);

    // The binding of a control id; null when none.
    const CParamBinding* FindBinding(int controlId) const;

    // IParamDisplay: the last control bound for a parameter shows it.
    bool ShowsParam(std::int32_t id) const override;
    void ShowParam(std::int32_t id, std::int32_t value) override;

private:
    struct Bound {
        CParamBinding binding;
        qv::ui::SWindow* control = nullptr;
    };

    void Attach(Bound& bound);
    void UpdateParamDisplay(Bound& bound, std::int32_t raw);
    void PushValue(Bound& bound, std::int32_t raw, const std::u16string& text);
    void OnControlChanged(Bound& bound, std::int32_t value, const std::u16string& text);
    bool IsValueEdit(const qv::ui::SWindow* control) const;

    CWorkSpaceParams* m_params;
    qv::ui::SWindow* m_root;
    std::map<int, Bound> m_bindings;       // control id -> binding
    std::multimap<int, int> m_paramControls;  // parameter id -> control ids
    std::map<int, int> m_display;          // parameter id -> control id it is shown on
    bool m_busy = false;
};
