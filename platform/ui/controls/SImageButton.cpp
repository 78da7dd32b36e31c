#include "platform/ui/controls/SImageButton.h"
