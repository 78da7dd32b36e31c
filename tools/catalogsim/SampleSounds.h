#pragma once
// The regular catalogue's sound files: real short MP3s, made when the server
// starts from the pads' sounds of the skin (tools/sounds), encoded in memory
// with LAME as the program's own sounds are.
#include <string>

namespace catalogsim {

// The MP3 bytes of the skin sound with that resource name ("DJ_ZS");
// empty when there is no such sound or LAME fails.
std::string SkinSoundMp3(const std::string& name);

}  // namespace catalogsim
