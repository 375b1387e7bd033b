// The TLS handler of the benchmark's component, verifying against the test CA.
#pragma once

#include <string>

#include "http/custom_http.h"

bool TLSAvailable();
void AttachBenchTLS(vornel::TNetCustomHTTP& http, const std::string& caFile);
