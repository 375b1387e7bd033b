// How the body of a response is delimited. The reads of each framing are
// members of TNetCustomHTTP, kept in body_framing.cpp.
#pragma once

#include "http/response_header_info.h"

namespace vornel {

// "Transfer-Encoding" names chunked.
bool IsChunked(const TNetHTTPResponse& response);
// The media type is multipart/*: the body ends at its closing boundary.
bool IsMultipart(const TNetHTTPResponse& response);

}  // namespace vornel
