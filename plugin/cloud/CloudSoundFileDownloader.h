#pragma once
// Downloads one cloud sound file and fires EventCloudSoundFileReady. The
// bytes go to a temporary file made in the target's folder and replace the
// target only after a complete 2xx transfer; on failure the temporary file
// is removed, so a failed or refused download leaves nothing behind. A link
// at the target's name is replaced, never written through; a folder there
// fails the download.
#include <string>

#include "plugin/cloud/CloudWorker.h"
#include "plugin/sound/SoundItem.h"

class CCloudSoundFileDownloader : public CCloudWorker {
public:
    // extra: handed back in the event; controlId: the pad that asked.
    CCloudSoundFileDownloader(const SoundItem& item, std::u16string targetPath, int extra, int controlId);
    ~CCloudSoundFileDownloader() override;

    const SoundItem& GetItem() const { return m_item; }
    const std::u16string& GetTargetPath() const { return m_targetPath; }

protected:
    int Run() override;

private:
    bool Download();

    SoundItem m_item;
    std::u16string m_targetPath;
    int m_controlId;
    int m_extra;
};
