#include "platform/ui/controls/SEdit.h"
