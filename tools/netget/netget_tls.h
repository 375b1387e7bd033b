// Gives netget's component a TLS handler for "https" addresses.
#pragma once

#include "http/custom_http.h"

// With insecure, the server's certificate is not verified.
void AttachTLSHandler(vornel::TNetCustomHTTP& http, bool insecure);
