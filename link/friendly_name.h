// What Windows calls the device behind a port, as a description beside the
// port's name. Device Manager's friendly name ends in the name the listing
// already shows ("USB-SERIAL CH340 (COM7)"), so that part is dropped.
#pragma once

#include <string>

// "USB-SERIAL CH340 (COM7)", "COM7" gives "USB-SERIAL CH340"; a name that
// does not end in the port's own ("(COM12)" for COM1) is kept whole.
std::string DescriptionFromFriendlyName(const std::string& friendlyName,
                                        const std::string& portName);
