// A whole file's bytes as a string; empty when it cannot be read.
#pragma once

#include <string>

std::string FileText(const std::string& path);
