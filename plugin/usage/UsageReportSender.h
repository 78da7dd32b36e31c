#pragma once
// One usage report on its way: posts its own copy of the body and ends; the
// answer is not looked at. A stop request ends the transfer.
#include <string>

#include "common/thread/ThreadObject.h"

class CUsageReportSender : public CThreadObject {
public:
    CUsageReportSender(std::string url, std::string body) : m_url(std::move(url)), m_body(std::move(body)) {}
    ~CUsageReportSender() override { Stop(1000); }

protected:
    int Run() override;

private:
    const std::string m_url;
    const std::string m_body;
};
