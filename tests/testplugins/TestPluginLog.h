#pragma once
// One line per event, appended to the file named by QV_TESTPLUGIN_LOG:
// "<model> <text>". Lines from several processes do not interleave.
void TestPluginLog(const char* model, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
