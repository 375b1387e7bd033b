// The publisher's host, compiled in from VORNEL_HOST. The only definition that
// depends on it, in a file of its own: a test build of the program compiles this
// file with a loopback host and links it ahead of the installer's library.
#include "installer/product_table.h"

namespace vornel {

std::u16string_view PublisherHost() {
  return u"" VORNEL_HOST;
}

}  // namespace vornel
