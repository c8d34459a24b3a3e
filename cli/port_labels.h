// The ports as a station's live rows show them. Paths under one folder
// (/dev/serial/by-path/..., a fixture's links) cut to the row's port column
// would all show the same start; the label keeps the part that tells them
// apart.
#pragma once

#include <string>
#include <vector>

// `names` (printable, UTF-8) within `columns` characters each: as given when
// all fit. Else the folder they all share is dropped, and a name still too
// long is cut in the middle ("…"), keeping its start and its tail from the
// first character in which the names differ.
std::vector<std::string> PortLabels(const std::vector<std::string>& names, int columns);
