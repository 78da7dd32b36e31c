// A module that carries the build's placeholder as its firmware image.
extern "C" __attribute__((visibility("default"))) const char qv_firmware_placeholder_module = 0;
