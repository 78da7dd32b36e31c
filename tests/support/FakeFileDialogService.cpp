#include "tests/support/FakeFileDialogService.h"

namespace qv::test {

FakeFileDialogService::FakeFileDialogService() { desktop::SetFileDialogService(this); }

FakeFileDialogService::~FakeFileDialogService() { desktop::SetFileDialogService(nullptr); }

void FakeFileDialogService::QueueAnswer(std::optional<std::u16string> answer) {
    answers_.push_back(std::move(answer));
}

std::optional<std::u16string> FakeFileDialogService::OpenFile(const desktop::FileDialogOptions& options) {
    return Answer(false, options);
}

std::optional<std::u16string> FakeFileDialogService::SaveFile(const desktop::FileDialogOptions& options) {
    return Answer(true, options);
}

std::optional<std::u16string> FakeFileDialogService::Answer(bool save,
                                                            const desktop::FileDialogOptions& options) {
    requests_.push_back(Request{save, options});
    if (answers_.empty()) return std::nullopt;
    std::optional<std::u16string> answer = std::move(answers_.front());
    answers_.pop_front();
    return answer;
}

}  // namespace qv::test
