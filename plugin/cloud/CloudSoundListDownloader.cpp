#include "plugin/cloud/CloudSoundListDownloader.h"

#include <cstdio>

#include "platform/os/Log.h"
#include "platform/os/Utf.h"
#include "plugin/app/AppEvents.h"
#include "plugin/sound/MoodConfig.h"

CCloudSoundListDownloader::CCloudSoundListDownloader(CMoodConfig* owner) : CCloudWorker(true), m_owner(owner) {}

CCloudSoundListDownloader::~CCloudSoundListDownloader() { Stop(1000); }

bool CCloudSoundListDownloader::FetchCategories() {
    m_categories.clear();
    if (!HasReplyBuffer()) return false;
    std::string_view reply;
    if (!Post("/api/live/getSpecialEffectCategory.json", nullptr, u"从服务器获取特效分类失败", reply)) return false;
    return TakeResult(ReadCategories(reply, m_categories, m_message), u"解析json数据失败", u"从服务器获取特效分类失败");
}

bool CCloudSoundListDownloader::FetchCategorySounds(const CloudCategory& category, int index) {
    char body[32];
    std::snprintf(body, sizeof body, "categoryId=%d", category.id);
    std::string_view reply;
    if (!Post("/api/live/findByCategory.json", body, u"从服务器获取分类中的特效失败", reply)) return false;
    std::vector<SoundItem> sounds;
    if (!TakeResult(ReadCategorySounds(reply, sounds, m_message), u"解析JSON数据失败", u"从服务器获取分类中的特效失败"))
        return false;
    for (const SoundItem& sound : sounds)
        if (!m_owner->AddCloudSound(index, sound)) break;
    return true;
}

int CCloudSoundListDownloader::Run() {
    const bool success = m_owner && FetchCategories();
    if (success) {
        m_owner->ClearCloudSounds();
        for (const CloudCategory& category : m_categories) {
            if (IsStopRequested()) break;
            const int index = m_owner->AddCloudCategory(qv::os::Utf8ToUtf16(CategoryName(category)));
            if (index == -1) continue;
            for (int attempt = 1; attempt <= kSoundAttempts; ++attempt) {
                if (FetchCategorySounds(category, index)) break;
                if (attempt == kSoundAttempts || !WaitUnlessStopped(1000)) break;
            }
        }
    }
    if (qv::ui::SApplication::HasMainWnd()) {
        auto event = std::make_shared<EventThreadCloudSoundFinishEvent>(nullptr);
        event->downloader = SharedSelf(this);
        event->success = success;
        event->message = m_message;
        FireMainWndEventAsync(std::move(event));
    }
    QV_TRACE("CCloudSoundListDownloader::Run finish\n");
    m_categories.clear();
    return 0;
}
