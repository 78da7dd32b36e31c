#pragma once
// A message-box service for tests: installs itself for its lifetime, records
// every box and answers with the results queued by the test (IDOK when none
// is queued). No window is shown.
#include <deque>
#include <vector>

#include "platform/ui/SMessageBox.h"

namespace qv::test {

class FakeMessageBoxService final : public qv::ui::IMessageBoxService {
public:
    struct Box {
        HWND owner;
        qv::ui::SStringW text;
        qv::ui::SStringW caption;
        UINT type;
    };

    FakeMessageBoxService();
    ~FakeMessageBoxService() override;
    FakeMessageBoxService(const FakeMessageBoxService&) = delete;
    FakeMessageBoxService& operator=(const FakeMessageBoxService&) = delete;

    void QueueAnswer(int result) { m_answers.push_back(result); }
    const std::vector<Box>& Boxes() const { return m_boxes; }

    int MessageBox(HWND owner, const qv::ui::SStringW& text, const qv::ui::SStringW& caption, UINT type) override;

private:
    std::deque<int> m_answers;
    std::vector<Box> m_boxes;
};

}  // namespace qv::test
