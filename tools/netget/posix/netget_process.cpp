#include "netget_process.h"

// Nothing to prepare: the standard streams carry bytes as they are, and the
// OpenSSL binding loads from the system's library search only.
void PrepareProcess() {}
