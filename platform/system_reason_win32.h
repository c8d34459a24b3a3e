// The system's own words for a Win32 error code, in the operator's
// language, as UTF-8; "ошибка N" when it has none.
#pragma once

#include <string>

std::string SystemReason(unsigned long error);
