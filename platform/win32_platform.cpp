#include "platform/win32_platform.h"

Platform platform;
