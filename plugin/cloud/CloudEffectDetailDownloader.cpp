#include "plugin/cloud/CloudEffectDetailDownloader.h"

#include <cstdio>

#include "platform/os/Log.h"
#include "plugin/app/AppEvents.h"

CCloudEffectDetailDownloader::CCloudEffectDetailDownloader(std::int32_t soundId,
                                                           std::span<const ParamDescriptor> descriptors)
    : CCloudWorker(true), m_soundId(soundId), m_descriptors(descriptors) {}

CCloudEffectDetailDownloader::~CCloudEffectDetailDownloader() { Stop(1000); }

bool CCloudEffectDetailDownloader::FetchEffectDetail() {
    char body[32];
    std::snprintf(body, sizeof body, "soundId=%d", m_soundId);
    std::string_view reply;
    if (!Post("/api/sound/getSoundDetail.json", body, u"下载云音效数据失败", reply)) return false;
    if (!TakeResult(ReadEffectDetail(reply, m_descriptors, m_result, m_message), u"解析JSON数据失败",
                    u"下载云音效数据失败"))
        return false;
    // Another effect's detail is not the one asked for.
    if (m_result.id != m_soundId) {
        QV_LOGE("cloud effect %d asked, effect %d received", m_soundId, m_result.id);
        m_message = u"下载云音效数据失败";
        return false;
    }
    return true;
}

int CCloudEffectDetailDownloader::Run() {
    const bool success = FetchEffectDetail();
    if (qv::ui::SApplication::HasMainWnd()) {
        auto event = std::make_shared<EventCommonThreadFinishEvent>(nullptr);
        event->kind = kThreadKindEffectDetail;
        event->downloader = SharedSelf(this);
        event->record = &m_result;
        event->catalogueId = m_soundId;
        event->success = success;
        event->message = m_message;
        FireMainWndEventAsync(std::move(event));
    }
    QV_TRACE("CCloudEffectDetailDownloader::Run finish\n");
    return 0;
}
