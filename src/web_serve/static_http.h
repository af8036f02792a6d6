#pragma once
// A static answer (static_files.h) as a Boost.Beast HTTP response: the file
// itself or its compressed form with Content-Type, Content-Encoding, Vary,
// ETag, Last-Modified and Cache-Control, a 304 when the browser's copy is
// current, and a one-line text for a refusal. No sockets: the caller writes
// the response on its own stream (std::visit over the two kinds), as the
// development server does (tools/serve).

#include <boost/beast/http.hpp>
#include <variant>

#include "web_serve/static_files.h"

namespace quarvex {

using StaticResponse = std::variant<boost::beast::http::response<boost::beast::http::file_body>,
                                    boost::beast::http::response<boost::beast::http::string_body>>;

// What the served folders answer to `request`; keep-alive as the request asks.
StaticResponse respond_static(
    const StaticFolders& site,
    const boost::beast::http::request<boost::beast::http::string_body>& request);

}  // namespace quarvex
