#include "plugin/cloud/CloudSoundFileDownloader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cerrno>
#include <cstring>

#include "platform/os/AtomicFile.h"
#include "platform/os/Log.h"
#include "platform/os/Path.h"
#include "platform/os/Utf.h"
#include "plugin/app/AppEvents.h"
#include "plugin/model/RecordText.h"

CCloudSoundFileDownloader::CCloudSoundFileDownloader(const SoundItem& item, std::u16string targetPath, int extra,
                                                     int controlId)
    : CCloudWorker(false), m_item(item), m_targetPath(std::move(targetPath)), m_controlId(controlId), m_extra(extra) {
    TerminateField(m_item.name);
    TerminateField(m_item.path);
}

CCloudSoundFileDownloader::~CCloudSoundFileDownloader() { Stop(1000); }

bool CCloudSoundFileDownloader::Download() {
    // A new temporary file beside the target, renamed over the name itself
    // when whole: a link at the name is replaced, never written through.
    const std::string target = qv::os::NativePath(m_targetPath);
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        QV_LOGE("cannot download to %s: a folder has its name", target.c_str());
        return false;
    }
    std::string temp;
    if (!qv::os::CreateTempFileBeside(target, temp)) {
        QV_LOGE("no temporary file beside %s: %s", target.c_str(), std::strerror(errno));
        return false;
    }
    const std::string url = qv::os::Utf16ToUtf8(FieldText(m_item.path));
    const bool received = Http().HttpGetFile(qv::os::ProgramPath(temp).c_str(), url.c_str()) == 1;
    if (received && ::rename(temp.c_str(), target.c_str()) == 0) return true;
    if (received) QV_LOGE("cannot move the download to %s: %s", target.c_str(), std::strerror(errno));
    ::unlink(temp.c_str());
    return false;
}

int CCloudSoundFileDownloader::Run() {
    bool success = false;
    if (m_item.kind != kSoundCloud) {
        m_message = u"错误的参数";
    } else if (!(success = Download())) {
        m_message = u"下载文件失败";
    }
    if (qv::ui::SApplication::HasMainWnd()) {
        auto event = std::make_shared<EventCloudSoundFileReady>(nullptr);
        event->downloader = SharedSelf(this);
        event->itemValue = m_item.cloudId;
        event->request1 = m_controlId;
        event->filePath = m_targetPath;
        event->soundName = std::u16string(FieldText(m_item.name));
        event->request2 = m_extra;
        event->success = success;
        event->message = m_message;
        FireMainWndEventAsync(std::move(event));
    }
    QV_TRACE("CCloudSoundFileDownloader::Run finish\n");
    return 0;
}
