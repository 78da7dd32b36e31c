#include "tests/support/FakeMessageBoxService.h"

namespace qv::test {

FakeMessageBoxService::FakeMessageBoxService() { qv::ui::SetMessageBoxService(this); }

FakeMessageBoxService::~FakeMessageBoxService() { qv::ui::SetMessageBoxService(nullptr); }

int FakeMessageBoxService::MessageBox(HWND owner, const qv::ui::SStringW& text, const qv::ui::SStringW& caption,
                                      UINT type) {
    m_boxes.push_back(Box{owner, text, caption, type});
    if (m_answers.empty()) return IDOK;
    int result = m_answers.front();
    m_answers.pop_front();
    return result;
}

}  // namespace qv::test
