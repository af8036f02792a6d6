// Serving the page: which file answers a request, in which form, and never
// one outside the served folders.

#include "web_serve/static_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "test_files.h"
#include "web_serve/static_http.h"

namespace quarvex {
namespace {

namespace fs = std::filesystem;
namespace http = boost::beast::http;
using testing::TempDir;

TEST(StaticFiles, RequestPathsAreCheckedAfterDecoding) {
  const struct {
    const char* target;
    const char* path;  // nullptr: refused
  } cases[] = {
      {"/", "index.html"},
      {"/index.html", "index.html"},
      {"/data/t5.dds", "data/t5.dds"},
      {"/data/t5.dds?v=2&x=..", "data/t5.dds"},
      {"/font/", "font/index.html"},
      {"/a%20b.txt", "a b.txt"},
      {"/%E3%83%9E.txt", "\xE3\x83\x9E.txt"},
      {"/a+b", "a+b"},
      {"/..", nullptr},
      {"/../etc/passwd", nullptr},
      {"/data/../../x", nullptr},
      {"/%2e%2e/x", nullptr},
      {"/%2E%2e%2Fx", nullptr},
      {"/data%2f..%2f..%2fx", nullptr},
      {"/./index.html", nullptr},
      {"/data//t5.dds", nullptr},
      {"/.git/config", nullptr},
      {"/data/.hidden", nullptr},
      {"/a\\..\\b", nullptr},
      {"/a%5c..", nullptr},
      {"/a%00.html", nullptr},
      {"/a%0a", nullptr},
      {"/a%7f", nullptr},
      {"/a%", nullptr},
      {"/a%4", nullptr},
      {"/a%zz", nullptr},
      {"/a#b", nullptr},
      {"", nullptr},
      {"index.html", nullptr},
      {"http://host/index.html", nullptr},
      {"*", nullptr},
  };
  for (const auto& c : cases) {
    const auto path = request_path(c.target);
    if (c.path == nullptr) {
      EXPECT_FALSE(path.has_value()) << c.target << " gave " << *path;
    } else {
      ASSERT_TRUE(path.has_value()) << c.target;
      EXPECT_EQ(*path, c.path) << c.target;
    }
  }
  EXPECT_FALSE(request_path("/" + std::string(4096, 'a')).has_value());
}

TEST(StaticFiles, AcceptEncodingWeightsAndWildcards) {
  const struct {
    const char* header;
    bool brotli, gzip, identity;
  } cases[] = {
      {"", false, false, true},
      {"gzip, deflate, br, zstd", true, true, true},
      {"gzip", false, true, true},
      {"GZip ,BR", true, true, true},
      {"x-gzip", false, true, true},
      {"br;q=0, gzip", false, true, true},
      {"br;q=0.000, gzip;q=0.001", false, true, true},
      {"br; q=1.0", true, false, true},
      {"br;level=5;q=0.5", true, false, true},
      {"*", true, true, true},
      {"*;q=0", false, false, false},
      {"*;q=0, identity", false, false, true},
      {"br, *;q=0", true, false, false},
      {"identity;q=0", false, false, false},
      {"gzip, identity;q=0", false, true, false},
      // A weight that is not one takes nothing.
      {"br;q=2", false, false, true},
      {"br;q=1.5", false, false, true},
      {"br;q=0.5.5", false, false, true},
      {"br;q=", false, false, true},
      {"br;q=abc, gzip", false, true, true},
      {",,;;q,=", false, false, true},
  };
  for (const auto& c : cases) {
    const AcceptedCodings a = accepted_codings(c.header);
    EXPECT_EQ(a.brotli, c.brotli) << '"' << c.header << '"';
    EXPECT_EQ(a.gzip, c.gzip) << '"' << c.header << '"';
    EXPECT_EQ(a.identity, c.identity) << '"' << c.header << '"';
  }
}

TEST(StaticFiles, TypesOfThePagesFiles) {
  EXPECT_EQ(content_type("quarvex.wasm"), "application/wasm");
  EXPECT_EQ(content_type("page.js"), "text/javascript; charset=utf-8");
  EXPECT_EQ(content_type("INDEX.HTML"), "text/html; charset=utf-8");
  EXPECT_EQ(content_type("data/map1.png"), "image/png");
  EXPECT_EQ(content_type("font/quarvex-sans.ttf"), "font/ttf");
  EXPECT_EQ(content_type("data/sounds/mark.wav"), "audio/wav");
  EXPECT_EQ(content_type("data/t5.dds"), "application/octet-stream");
  EXPECT_EQ(content_type("js"), "application/octet-stream");
}

TEST(StaticFiles, HttpDatesRoundTripAndRefuseOtherForms) {
  EXPECT_EQ(http_date(784111777), "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(http_date(0), "Thu, 01 Jan 1970 00:00:00 GMT");
  EXPECT_EQ(http_date(951782400), "Tue, 29 Feb 2000 00:00:00 GMT");
  for (int64_t t : {int64_t{0}, int64_t{784111777}, int64_t{951782400}, int64_t{4102444799}}) {
    EXPECT_EQ(parse_http_date(http_date(t)), t);
  }
  for (const char* bad : {"", "Sunday, 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994",
                          "Mon, 06 Nov 1994 08:49:37 GMT", "Sun, 06 Nov 1994 24:00:00 GMT",
                          "Sun, 31 Feb 1994 08:49:37 GMT", "Sun, 06 Xyz 1994 08:49:37 GMT",
                          "Sun, 06 Nov 1994 08:49:37 UTC", "Sun, +6 Nov 1994 08:49:37 GMT"}) {
    EXPECT_FALSE(parse_http_date(bad).has_value()) << bad;
  }
}

TEST(StaticFiles, EntityTagsMatchWeakOrStrongInALists) {
  EXPECT_TRUE(etag_matches("\"a\"", "\"a\""));
  EXPECT_TRUE(etag_matches("W/\"a\"", "\"a\""));
  EXPECT_TRUE(etag_matches("\"x\", \"a\"", "\"a\""));
  EXPECT_TRUE(etag_matches("*", "\"a\""));
  EXPECT_FALSE(etag_matches("\"a-gzip\"", "\"a\""));
  EXPECT_FALSE(etag_matches("", "\"a\""));
  EXPECT_FALSE(etag_matches(",", "\"a\""));
}

class ServedFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    page = dir.path() + "/page";
    extra = dir.path() + "/extra";
    fs::create_directories(page + "/data");
    fs::create_directories(extra);
    write(page + "/index.html", "<html>");
    write(page + "/quarvex.wasm", std::string(1000, 'w'));
    write(page + "/quarvex.wasm.br", "brotli");
    write(page + "/quarvex.wasm.gz", "gzipped");
    write(page + "/data/map1.png", "png");
    write(extra + "/battle.txt", "1 kp8");
    write(extra + "/index.html", "not the page's");
    write(dir.path() + "/secret.txt", "outside");
    std::string error;
    ASSERT_TRUE(open_static_folders({page, extra}, site, error)) << error;
  }

  static void write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }

  StaticAnswer get(const char* target, const char* accept = "gzip, deflate, br") {
    return answer_static(site, StaticRequest{"GET", target, accept, {}, {}});
  }

  TempDir dir;
  std::string page;
  std::string extra;
  StaticFolders site;
};

TEST_F(ServedFolder, TheBestFormTheBrowserTakesIsSent) {
  const struct {
    const char* accept;
    ContentCoding coding;
    const char* file;
  } cases[] = {
      {"gzip, deflate, br", ContentCoding::kBrotli, "quarvex.wasm.br"},
      {"gzip", ContentCoding::kGzip, "quarvex.wasm.gz"},
      {"br;q=0, gzip", ContentCoding::kGzip, "quarvex.wasm.gz"},
      {"", ContentCoding::kIdentity, "quarvex.wasm"},
      {"deflate", ContentCoding::kIdentity, "quarvex.wasm"},
  };
  for (const auto& c : cases) {
    const StaticAnswer a = get("/quarvex.wasm", c.accept);
    EXPECT_EQ(a.status, 200) << c.accept;
    EXPECT_EQ(a.coding, c.coding) << c.accept;
    EXPECT_EQ(a.file.filename(), c.file) << c.accept;
    EXPECT_EQ(a.size, fs::file_size(a.file));
    EXPECT_EQ(a.content_type, "application/wasm");
    EXPECT_TRUE(a.varies);
    EXPECT_TRUE(a.body);
  }
  // Each form has its own tag, so a cache never takes one for another.
  EXPECT_NE(get("/quarvex.wasm", "br").etag, get("/quarvex.wasm", "gzip").etag);
  EXPECT_NE(get("/quarvex.wasm", "gzip").etag, get("/quarvex.wasm", "").etag);

  // Only compressed forms, and the file as it is refused: nothing to send.
  EXPECT_EQ(get("/quarvex.wasm", "identity;q=0").status, 406);
  EXPECT_EQ(get("/index.html", "gzip, identity;q=0").status, 406);
  // A file with no other form does not vary.
  EXPECT_FALSE(get("/index.html").varies);
  EXPECT_EQ(get("/index.html").coding, ContentCoding::kIdentity);
}

TEST_F(ServedFolder, AStaleCompressedFormIsPassedOver) {
  const auto older = fs::last_write_time(page + "/quarvex.wasm") - std::chrono::hours(1);
  fs::last_write_time(page + "/quarvex.wasm.br", older);
  const StaticAnswer a = get("/quarvex.wasm", "br, gzip");
  EXPECT_EQ(a.coding, ContentCoding::kGzip);
}

TEST_F(ServedFolder, FoldersAreSearchedInOrder) {
  EXPECT_EQ(get("/").file.parent_path(), fs::canonical(page));
  EXPECT_EQ(get("/battle.txt").file.parent_path(), fs::canonical(extra));
  EXPECT_EQ(get("/battle.txt").content_type, "text/plain; charset=utf-8");
  EXPECT_EQ(get("/nothing.txt").status, 404);
  EXPECT_EQ(get("/data").status, 404);   // a folder is not a file
  EXPECT_EQ(get("/data/").status, 404);  // and this one has no index
}

TEST_F(ServedFolder, NothingOutsideTheFoldersIsServed) {
  fs::create_symlink(dir.path() + "/secret.txt", page + "/secret.txt");
  fs::create_symlink(dir.path(), page + "/up");
  fs::create_symlink("/etc/passwd", page + "/data/passwd");
  // A compressed form that leads outside is no form of the file.
  fs::create_symlink(dir.path() + "/secret.txt", page + "/index.html.gz");
  EXPECT_EQ(get("/secret.txt").status, 404);
  EXPECT_EQ(get("/up/secret.txt").status, 404);
  EXPECT_EQ(get("/data/passwd").status, 404);
  EXPECT_EQ(get("/index.html", "gzip").coding, ContentCoding::kIdentity);
  EXPECT_EQ(get("/../secret.txt").status, 400);
  EXPECT_EQ(get("/%2e%2e/secret.txt").status, 400);
  // A link inside the folder to a file inside it is served.
  fs::create_symlink(page + "/data/map1.png", page + "/ground.png");
  EXPECT_EQ(get("/ground.png").status, 200);
}

TEST_F(ServedFolder, OnlyGetAndHeadAndHeadSendsNoBody) {
  EXPECT_EQ(answer_static(site, {"POST", "/", "", {}, {}}).status, 405);
  EXPECT_EQ(answer_static(site, {"get", "/", "", {}, {}}).status, 405);
  const StaticAnswer head = answer_static(site, {"HEAD", "/quarvex.wasm", "br", {}, {}});
  EXPECT_EQ(head.status, 200);
  EXPECT_FALSE(head.body);
  EXPECT_EQ(head.size, 6u);
}

TEST_F(ServedFolder, ACurrentCopyGetsNotModified) {
  const StaticAnswer first = get("/quarvex.wasm", "br");
  const auto again = [&](const char* accept, std::string_view tags, std::string_view since) {
    return answer_static(site, StaticRequest{"GET", "/quarvex.wasm", accept, tags, since});
  };
  EXPECT_EQ(again("br", first.etag, {}).status, 304);
  EXPECT_FALSE(again("br", first.etag, {}).body);
  EXPECT_EQ(again("br", "W/" + first.etag, {}).status, 304);
  EXPECT_EQ(again("br", "\"old\", " + first.etag, {}).status, 304);
  // The tag of another form is not this one's.
  EXPECT_EQ(again("gzip", first.etag, {}).status, 200);
  EXPECT_EQ(again("br", "\"old\"", {}).status, 200);
  // Without a tag, the date decides; with one, the tag does.
  EXPECT_EQ(again("br", {}, first.last_modified).status, 304);
  EXPECT_EQ(again("br", {}, "Thu, 01 Jan 1970 00:00:00 GMT").status, 200);
  EXPECT_EQ(again("br", "\"old\"", first.last_modified).status, 200);
  EXPECT_EQ(again("br", {}, "yesterday").status, 200);
}

TEST(StaticFiles, MissingFoldersAreNamed) {
  TempDir dir;
  StaticFolders site;
  std::string error;
  EXPECT_FALSE(open_static_folders({dir.file("none")}, site, error));
  EXPECT_NE(error.find("none"), std::string::npos);
  std::ofstream(dir.file("file")) << "x";
  EXPECT_FALSE(open_static_folders({dir.path(), dir.file("file")}, site, error));
}

// The answers as HTTP: headers the browser needs, and no body where none belongs.
TEST_F(ServedFolder, HttpResponsesCarryTheHeaders) {
  const auto respond = [&](http::verb verb, const char* target,
                           std::initializer_list<std::pair<http::field, std::string>> fields) {
    http::request<http::string_body> request{verb, target, 11};
    for (const auto& [name, value] : fields) request.set(name, value);
    return respond_static(site, request);
  };
  auto wasm = respond(http::verb::get, "/quarvex.wasm", {{http::field::accept_encoding, "br"}});
  auto& file = std::get<http::response<http::file_body>>(wasm);
  EXPECT_EQ(file.result(), http::status::ok);
  EXPECT_EQ(file[http::field::content_encoding], "br");
  EXPECT_EQ(file[http::field::content_type], "application/wasm");
  EXPECT_EQ(file[http::field::vary], "Accept-Encoding");
  EXPECT_EQ(file[http::field::cache_control], "no-cache");
  EXPECT_EQ(file[http::field::content_length], "6");
  const std::string etag(file[http::field::etag]);

  auto not_modified =
      respond(http::verb::get, "/quarvex.wasm",
              {{http::field::accept_encoding, "br"}, {http::field::if_none_match, etag}});
  auto& short_answer = std::get<http::response<http::string_body>>(not_modified);
  EXPECT_EQ(short_answer.result(), http::status::not_modified);
  EXPECT_TRUE(short_answer.body().empty());
  EXPECT_EQ(short_answer[http::field::etag], etag);

  auto head = respond(http::verb::head, "/quarvex.wasm", {});
  auto& head_answer = std::get<http::response<http::string_body>>(head);
  EXPECT_EQ(head_answer.result(), http::status::ok);
  EXPECT_TRUE(head_answer.body().empty());
  EXPECT_EQ(head_answer[http::field::content_length], "1000");

  auto post = respond(http::verb::post, "/", {});
  auto& refused = std::get<http::response<http::string_body>>(post);
  EXPECT_EQ(refused.result(), http::status::method_not_allowed);
  EXPECT_EQ(refused[http::field::allow], "GET, HEAD");
  auto outside = respond(http::verb::get, "/../x", {});
  EXPECT_EQ(std::get<http::response<http::string_body>>(outside).result(),
            http::status::bad_request);
}

}  // namespace
}  // namespace quarvex
