// The two steps of the private temporary folder that each system does its own
// way; the choice between the candidate folders is made once, above both.
#pragma once

#include <string>

namespace vornel {

// The folder made when missing; with its trailing delimiter when it is the user's
// alone, else empty.
std::u16string OwnFolder(const std::u16string& folder);

// A new folder of the user's alone below base, named stem and six characters
// nothing held before; with its trailing delimiter, or empty when none can be made.
std::u16string FreshFolder(const std::u16string& base, const std::u16string& stem);

}  // namespace vornel
