#include "sim/update_folder.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

namespace sim {

namespace {

constexpr std::size_t kChunk = 64 * 1024;
constexpr const char* kUpdateFile = "update.txt";

std::string Base64(const std::string& text) {
  static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  unsigned value = 0;
  int bits = 0;
  for (unsigned char c : text) {
    value = (value << 8) | c;
    bits += 8;
    while (bits >= 6) {
      bits -= 6;
      out += digits[(value >> bits) & 0x3F];
    }
  }
  if (bits > 0) out += digits[(value << (6 - bits)) & 0x3F];
  while (out.size() % 4) out += '=';
  return out;
}

// A plain file name: no folders, nothing hidden.
bool PlainName(const std::string& name) {
  return !name.empty() && name[0] != '.' && name.find_first_of("/\\") == std::string::npos;
}

void Serve(const httplib::Request& req, httplib::Response& res, const UpdateFolderOptions& options) {
  namespace fs = std::filesystem;
  const std::string name = req.matches[1];
  std::error_code ec;
  const fs::path file = fs::path(options.dir) / name;
  if (!PlainName(name) || !fs::is_regular_file(file, ec)) {
    res.status = 404;
    res.set_content("not found", "text/plain");
    return;
  }
  const bool installer = name != kUpdateFile;
  if (installer && !options.account.empty() &&
      req.get_header_value("Authorization") != "Basic " + Base64(options.account)) {
    res.status = 401;
    res.set_header("WWW-Authenticate", "Basic realm=\"Castora update\"");
    res.set_content("authorization required", "text/plain");
    return;
  }
  const std::size_t size = static_cast<std::size_t>(fs::file_size(file, ec));
  auto stream = std::make_shared<std::ifstream>(file, std::ios::binary);
  if (ec || !*stream) {
    res.status = 500;
    return;
  }
  const auto fault = installer ? options.fault : UpdateFolderOptions::Fault::None;
  if (fault == UpdateFolderOptions::Fault::Status206) {
    res.status = 206;
    res.set_header("Content-Range",
                   "bytes 0-" + std::to_string(size == 0 ? 0 : size - 1) + "/" + std::to_string(size));
  }
  const std::size_t stopAt = fault == UpdateFolderOptions::Fault::DropHalf ? size / 2 : size;
  const long long rate = options.bytesPerSecond;
  const char* type = installer ? "application/octet-stream" : "text/plain";
  res.set_content_provider(size, type, [stream, stopAt, rate](size_t offset, size_t length, httplib::DataSink& sink) {
    if (offset >= stopAt) return false;  // the drop: the connection closes short of the length
    std::string buffer(std::min({kChunk, length, stopAt - offset}), '\0');
    stream->seekg(static_cast<std::streamoff>(offset));
    stream->read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    if (stream->gcount() <= 0) return false;
    buffer.resize(static_cast<std::size_t>(stream->gcount()));
    if (rate > 0) std::this_thread::sleep_for(std::chrono::microseconds(buffer.size() * 1000000 / rate));
    return sink.write(buffer.data(), buffer.size());
  });
}

}  // namespace

void InstallUpdateFolder(httplib::Server& server, const UpdateFolderOptions& options) {
  if (options.dir.empty()) return;
  server.Get(std::string(kUpdatePath) + "([^/]+)", [&options](const httplib::Request& req, httplib::Response& res) {
    Serve(req, res, options);
  });
}

}  // namespace sim
