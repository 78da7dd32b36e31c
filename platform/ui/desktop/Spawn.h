#pragma once
// Starting processes without a shell in between.
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace qv::desktop {

// The path of an executable regular file: a name with a '/' as it is, a bare
// name looked up in PATH. Nothing when there is none.
std::optional<std::string> FindExecutable(const std::string& name);

// Starts argv (argv[0] an executable path) so that it outlives nothing of
// ours: a short-lived /bin/sh puts it in the background and exits at once, so
// no child is left for us to reap. False when it could not be started.
[[nodiscard]] bool SpawnDetached(const std::vector<std::string>& argv);

// Starts argv with its standard output on a pipe; the read end is returned
// in *stdoutFd. The caller reads it and reaps the child with waitpid.
[[nodiscard]] std::optional<pid_t> SpawnWithOutput(const std::vector<std::string>& argv,
                                                   int* stdoutFd);

}  // namespace qv::desktop
