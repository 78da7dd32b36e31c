#include "plugin/app/PluginApp.h"

namespace {

IPluginApp* g_app = nullptr;

}  // namespace

IPluginApp* CurrentPluginApp() { return g_app; }

void SetCurrentPluginApp(IPluginApp* app) { g_app = app; }
