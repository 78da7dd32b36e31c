#include "plugin/MainDlgPage.h"

// The pages join here as they are built, in this order: effect page, sound
// pads page, recording page.
MainDlgPages CreateMainDlgPages() { return {}; }
