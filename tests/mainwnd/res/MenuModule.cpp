// A resource module whose tray menu overrides the skin's, as a plug-in's
// resources override the host's.
extern "C" __attribute__((visibility("default"))) const char qv_test_menu_module = 0;
