#include "sim/answer_framing.h"

#include <algorithm>
#include <cctype>

#include "sim/http_head_fields.h"

namespace sim {
namespace {

constexpr std::size_t kMaxChunkLine = 4096;
constexpr std::size_t kMaxSizeDigits = 15;

bool NoBody(int status, bool headRequest) { return headRequest || status / 100 == 1 || status == 204 || status == 304; }

}  // namespace

std::optional<AnswerHead> ScanAnswerHead(std::string_view received, bool headRequest) {
  const auto lines = SplitHead(received);
  if (!lines) return std::nullopt;
  AnswerHead head;
  head.headBytes = lines->headBytes;
  const std::string_view statusLine = lines->first;
  if (statusLine.size() < 12 || statusLine.rfind("HTTP/1.", 0) != 0 || statusLine[8] != ' ' ||
      !std::all_of(statusLine.begin() + 9, statusLine.begin() + 12, [](unsigned char c) { return std::isdigit(c); })) {
    head.malformed = true;
    return head;
  }
  head.status = std::stoi(std::string(statusLine.substr(9, 3)));
  head.closes = statusLine.rfind("HTTP/1.0", 0) == 0;
  BodyFraming framing;
  head.headWithoutConnection = std::string(statusLine) + "\r\n";
  for (const std::string_view line : lines->fields) {
    if (const auto connection = HeaderValue(line, "connection")) {
      head.closes = head.closes || ContainsWord(*connection, "close");
      continue;
    }
    if (HeaderValue(line, "keep-alive")) continue;
    if (TakeFramingField(line, framing) && framing.malformed) {
      head.malformed = true;
      return head;
    }
    head.headWithoutConnection.append(line).append("\r\n");
  }
  if (NoBody(head.status, headRequest)) {
    head.body = AnswerHead::Body::None;
  } else if (framing.chunked) {
    head.body = AnswerHead::Body::Chunked;
  } else if (framing.contentLength) {
    head.contentLength = *framing.contentLength;
    head.body = AnswerHead::Body::Length;
  } else {
    head.body = AnswerHead::Body::UntilClose;
    head.closes = true;
  }
  // An interim answer is followed by the real one; this framing does not follow it.
  if (head.status / 100 == 1) head.closes = true;
  return head;
}

std::size_t ChunkedBodyEnd::Feed(std::string_view data) {
  std::size_t used = 0;
  while (used < data.size() && step_ != Step::Done && step_ != Step::Broken) {
    if (step_ == Step::Data) {
      const std::size_t take = std::min(left_, data.size() - used);
      used += take;
      left_ -= take;
      if (left_ == 0) step_ = Step::DataEnd;
      continue;
    }
    line_ += data[used++];
    if (step_ == Step::DataEnd) {
      if (line_.size() == 2) {
        step_ = line_ == "\r\n" ? Step::Size : Step::Broken;
        line_.clear();
      }
    } else if (line_.size() >= 2 && line_.compare(line_.size() - 2, 2, "\r\n") == 0) {
      EndLine();
    } else if (line_.size() > kMaxChunkLine) {
      step_ = Step::Broken;
    }
  }
  return used;
}

void ChunkedBodyEnd::EndLine() {
  const std::string_view line(line_.data(), line_.size() - 2);
  if (step_ == Step::Trailer) {
    if (line.empty()) step_ = Step::Done;
    line_.clear();
    return;
  }
  const std::size_t digits = std::min(line.find_first_not_of("0123456789abcdefABCDEF"), line.size());
  const std::string_view after = line.substr(digits);
  if (digits == 0 || digits > kMaxSizeDigits || !(after.empty() || after[0] == ';' || after[0] == ' ' || after[0] == '\t')) {
    step_ = Step::Broken;
    return;
  }
  left_ = static_cast<std::size_t>(std::stoull(std::string(line.substr(0, digits)), nullptr, 16));
  step_ = left_ == 0 ? Step::Trailer : Step::Data;
  line_.clear();
}

}  // namespace sim
