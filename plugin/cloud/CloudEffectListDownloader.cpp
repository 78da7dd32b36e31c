#include "plugin/cloud/CloudEffectListDownloader.h"

#include "platform/os/Log.h"
#include "plugin/app/AppEvents.h"

CCloudEffectListDownloader::CCloudEffectListDownloader(std::string body) : CCloudWorker(true), m_body(std::move(body)) {}

CCloudEffectListDownloader::~CCloudEffectListDownloader() { Stop(1000); }

bool CCloudEffectListDownloader::FetchEffectList() {
    if (!HasReplyBuffer()) return false;
    std::string_view reply;
    if (!Post("/api/sound/getSoundList.json", m_body.c_str(), u"从服务器获取云音效列表失败", reply)) return false;
    return TakeResult(ReadEffectList(reply, m_result, m_message), u"解析json数据失败", u"从服务器获取云音效列表失败");
}

int CCloudEffectListDownloader::Run() {
    m_result.clear();
    const bool success = FetchEffectList();
    if (qv::ui::SApplication::HasMainWnd()) {
        auto event = std::make_shared<EventThreadCloudEffectFinishEvent>(nullptr);
        event->downloader = SharedSelf(this);
        event->list = &m_result;
        event->success = success;
        event->message = m_message;
        FireMainWndEventAsync(std::move(event));
    }
    QV_TRACE("CCloudEffectListDownloader::Run finish\n");
    return 0;
}
