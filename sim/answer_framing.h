#pragma once
// Where an answer of the HTTP library behind the front end ends, so the connection it
// came on can carry the next request, and the head passed on to the client with the
// front end's own choice of keeping the client's connection.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace sim {

struct AnswerHead {
  enum class Body { None, Length, Chunked, UntilClose };
  std::size_t headBytes = 0;  // up to and including the blank line
  int status = 0;
  Body body = Body::UntilClose;
  std::size_t contentLength = 0;
  bool closes = false;     // the library ends the connection after this answer
  bool malformed = false;  // no status line, or a Content-Length that is not a number
  // The status line and headers, less Connection and Keep-Alive, without the blank line.
  std::string headWithoutConnection;
};

// Nothing until `received` holds a whole head. A HEAD request's answer has no body.
std::optional<AnswerHead> ScanAnswerHead(std::string_view received, bool headRequest);

// Follows a chunked body as it streams past, chunk sizes and trailer included.
class ChunkedBodyEnd {
 public:
  // How many of `data` belong to the body; the rest would be the connection's next answer.
  std::size_t Feed(std::string_view data);
  bool Done() const { return step_ == Step::Done; }
  bool Broken() const { return step_ == Step::Broken; }

 private:
  enum class Step { Size, Data, DataEnd, Trailer, Done, Broken };
  Step step_ = Step::Size;
  std::string line_;
  std::size_t left_ = 0;

  void EndLine();
};

}  // namespace sim
