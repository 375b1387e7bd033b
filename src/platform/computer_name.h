// The name of this computer on the network.
#pragma once

#include <string>

namespace vornel {

// The host name up to its first ".", upper-cased and at most 15 characters long,
// as a NetBIOS name is; empty when the system has none.
std::u16string ComputerName();

}  // namespace vornel
