#include "tests/testplugins/TestPluginLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

void TestPluginLog(const char* model, const char* format, ...) {
    const char* path = std::getenv("QV_TESTPLUGIN_LOG");
    if (!path || !*path) return;
    char line[512];
    int length = std::snprintf(line, sizeof line, "%s ", model);
    va_list args;
    va_start(args, format);
    length += std::vsnprintf(line + length, sizeof line - length - 1, format, args);
    va_end(args);
    if (length > static_cast<int>(sizeof line) - 2) length = sizeof line - 2;
    line[length++] = '\n';
    const int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return;
    // One write per line keeps lines whole with O_APPEND.
    (void)!write(fd, line, length);
    close(fd);
}
