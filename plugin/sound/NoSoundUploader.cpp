// The factory of a family whose card has no sound keys: no uploader, and
// none of the decoder's, the WAV reader's or the upload's code in its plug-in.
#include "plugin/sound/ISoundUploader.h"

std::unique_ptr<ISoundUploader> CreateSoundUploader() { return nullptr; }
