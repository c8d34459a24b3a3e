#include "app/window_device.h"

// In this order: the link keeps a pointer to the port, the context a
// reference to the link.
ComPort comPort;
BootLink cm(&comPort);
RunContext windowRun(cm);
