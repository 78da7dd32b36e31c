// A library without the "GetClient" export.
extern "C" __attribute__((visibility("default"))) int NotTheClientEntry() { return 0; }
