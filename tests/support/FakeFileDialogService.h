#pragma once
// A file dialog service for tests: installs itself for its lifetime, records
// every request and answers with the paths queued by the test (cancel when
// none is queued).
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/desktop/FileDialog.h"

namespace qv::test {

class FakeFileDialogService final : public desktop::IFileDialogService {
public:
    struct Request {
        bool save;
        desktop::FileDialogOptions options;
    };

    FakeFileDialogService();
    ~FakeFileDialogService() override;
    FakeFileDialogService(const FakeFileDialogService&) = delete;
    FakeFileDialogService& operator=(const FakeFileDialogService&) = delete;

    // The answer to the next dialog: a path, or nothing for cancel.
    void QueueAnswer(std::optional<std::u16string> answer);
    const std::vector<Request>& Requests() const { return requests_; }

    std::optional<std::u16string> OpenFile(const desktop::FileDialogOptions& options) override;
    std::optional<std::u16string> SaveFile(const desktop::FileDialogOptions& options) override;

private:
    std::optional<std::u16string> Answer(bool save, const desktop::FileDialogOptions& options);

    std::deque<std::optional<std::u16string>> answers_;
    std::vector<Request> requests_;
};

}  // namespace qv::test
