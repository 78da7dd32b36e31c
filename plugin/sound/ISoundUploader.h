#pragma once
// How the shared plug-in code reaches the sound upload into the card's keys,
// which only some families have: the family's plug-in links the one
// implementation, the others a factory that gives none. UI thread only.
#include <memory>
#include <string>

class ISoundUploader {
public:
    virtual ~ISoundUploader() = default;
    // Decodes the sound (a file, or with builtIn 1 the name of a sound of the
    // skin) and writes it into key slot 1 .. 3 in the send window, which runs
    // modally and has closed when this returns. volume 0 .. 100.
    virtual void RunSendWindow(const std::u16string& path, int slot, int volume, int builtIn) = 0;
};

// The family's uploader; null for a family whose card has no sound keys.
std::unique_ptr<ISoundUploader> CreateSoundUploader();
