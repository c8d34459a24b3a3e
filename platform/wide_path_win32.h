// A UTF-8 file name as the wide string the Win32 calls take; false when the
// name is not UTF-8 (then it goes to the narrow calls as it is).
#pragma once

#include <string>

bool WidenUtf8Path(const char* path, std::wstring& wide);
