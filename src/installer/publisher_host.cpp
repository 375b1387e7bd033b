// The publisher's host, compiled in from VORNEL_HOST. The only definition that
// depends on it, in a file of its own: it is built once per host value, as the
// product's host and as the loopback host of the end-to-end program.
#include "installer/product_table.h"

namespace vornel {

std::u16string_view PublisherHost() {
  return u"" VORNEL_HOST;
}

}  // namespace vornel
