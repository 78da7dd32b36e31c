// A library for the dynamic loading test.
extern "C" __attribute__((visibility("default"))) int OsxTestValue() { return 4711; }
