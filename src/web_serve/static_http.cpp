#include "web_serve/static_http.h"

#include <string>

namespace quarvex {

namespace http = boost::beast::http;

namespace {

constexpr const char* kServerName = "quarvex";

std::string_view field(const http::request<http::string_body>& request, http::field name) {
  const auto found = request.find(name);
  if (found == request.end()) return {};
  return {found->value().data(), found->value().size()};
}

const char* refusal_text(int status) {
  switch (status) {
    case 400:
      return "Not a path this server serves.\n";
    case 405:
      return "Only GET and HEAD are served.\n";
    case 406:
      return "No form of this file that the browser accepts.\n";
    default:
      return "Not found.\n";
  }
}

template <class Body>
void set_file_headers(http::response<Body>& response, const StaticAnswer& answer) {
  response.set(http::field::server, kServerName);
  response.set(http::field::cache_control,
               std::string(kStaticCacheControl.data(), kStaticCacheControl.size()));
  response.set(http::field::etag, answer.etag);
  response.set(http::field::last_modified, answer.last_modified);
  if (answer.varies) response.set(http::field::vary, "Accept-Encoding");
  if (answer.status == 304) return;
  response.set(http::field::content_type,
               std::string(answer.content_type.data(), answer.content_type.size()));
  if (answer.coding != ContentCoding::kIdentity) {
    const std::string_view coding = coding_name(answer.coding);
    response.set(http::field::content_encoding, std::string(coding.data(), coding.size()));
  }
}

http::response<http::string_body> text_response(const http::request<http::string_body>& request,
                                                int status, const char* text) {
  http::response<http::string_body> response{static_cast<http::status>(status), request.version()};
  response.set(http::field::server, kServerName);
  response.set(http::field::content_type, "text/plain; charset=utf-8");
  if (status == 405) response.set(http::field::allow, "GET, HEAD");
  response.keep_alive(request.keep_alive());
  if (request.method() != http::verb::head) response.body() = text;
  response.prepare_payload();
  return response;
}

}  // namespace

StaticResponse respond_static(const StaticFolders& site,
                              const http::request<http::string_body>& request) {
  const std::string_view method(request.method_string().data(), request.method_string().size());
  const std::string_view target(request.target().data(), request.target().size());
  const StaticAnswer answer = answer_static(
      site, StaticRequest{method, target, field(request, http::field::accept_encoding),
                          field(request, http::field::if_none_match),
                          field(request, http::field::if_modified_since)});
  if (answer.status != 200 && answer.status != 304) {
    return text_response(request, answer.status, refusal_text(answer.status));
  }
  if (answer.body) {
    http::response<http::file_body> response{http::status::ok, request.version()};
    boost::beast::error_code ec;
    response.body().open(answer.file.c_str(), boost::beast::file_mode::scan, ec);
    // Gone since it was found: as if it had never been there.
    if (ec) return text_response(request, 404, refusal_text(404));
    set_file_headers(response, answer);
    response.keep_alive(request.keep_alive());
    response.prepare_payload();
    return response;
  }
  // A 304, or the headers of a HEAD: no body, and a HEAD's length is the file's.
  http::response<http::string_body> response{static_cast<http::status>(answer.status),
                                             request.version()};
  set_file_headers(response, answer);
  response.keep_alive(request.keep_alive());
  if (answer.status == 200) response.content_length(answer.size);
  return response;
}

}  // namespace quarvex
