#include "service-transport/http_response_reader.h"

#include <QList>

#include <algorithm>

namespace transport {

namespace {

constexpr qsizetype kMaxLineBytes = 8 * 1024;
constexpr int kMaxHeaders = 100;

bool IsDigits(const QByteArray& text) {
    if (text.isEmpty()) {
        return false;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

// Hexadecimal chunk size, without extensions; -1 when malformed or above the cap.
qint64 ParseChunkSize(const QByteArray& line) {
    QByteArray digits = line;
    const qsizetype extension = digits.indexOf(';');
    if (extension >= 0) {
        digits.truncate(extension);
    }
    digits = digits.trimmed();
    if (digits.isEmpty() || digits.size() > 8) {
        return -1;
    }
    qint64 size = 0;
    for (char c : digits) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return -1;
        }
        size = size * 16 + digit;
    }
    return size;
}

}  // namespace

HttpResponseReader::State HttpResponseReader::Fail() {
    state_ = State::Failed;
    connectionEnds_ = true;
    pending_.clear();
    body_.clear();
    return state_;
}

std::optional<QByteArray> HttpResponseReader::Header(const QByteArray& name) const {
    for (const auto& [key, value] : headers_) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return std::nullopt;
}

bool HttpResponseReader::ParseHead(const QByteArray& head) {
    const QList<QByteArray> lines = head.split('\n');
    if (lines.isEmpty()) {
        return false;
    }
    // Status line: "HTTP/1.x SSS reason".
    const QByteArray statusLine = lines.front().trimmed();
    if (!statusLine.startsWith("HTTP/1.") || statusLine.size() < 12 || statusLine[8] != ' ') {
        return false;
    }
    const QByteArray code = statusLine.mid(9, 3);
    if (!IsDigits(code) || (statusLine.size() > 12 && statusLine[12] != ' ')) {
        return false;
    }
    status_ = code.toInt();
    if (status_ < 100) {
        return false;
    }
    headers_.clear();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        if (line.isEmpty()) {
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || line[0] == ' ' || line[0] == '\t') {
            return false;
        }
        if (static_cast<int>(headers_.size()) >= kMaxHeaders) {
            return false;
        }
        headers_.emplace_back(line.left(colon).trimmed(), line.mid(colon + 1).trimmed());
    }
    return true;
}

bool HttpResponseReader::StartBody() {
    const auto connection = Header("Connection");
    connectionEnds_ = connection && connection->compare("close", Qt::CaseInsensitive) == 0;
    const auto encoding = Header("Transfer-Encoding");
    if (status_ == 204 || status_ == 304 || (status_ >= 100 && status_ < 200)) {
        phase_ = Phase::Done;
    } else if (encoding && encoding->compare("chunked", Qt::CaseInsensitive) == 0) {
        phase_ = Phase::ChunkSize;
    } else if (const auto length = Header("Content-Length")) {
        if (!IsDigits(*length) || length->size() > 12) {
            return false;
        }
        remaining_ = length->toLongLong();
        if (remaining_ > kMaxBodyBytes) {
            return false;
        }
        phase_ = remaining_ == 0 ? Phase::Done : Phase::FixedBody;
    } else {
        phase_ = Phase::BodyToClose;
        connectionEnds_ = true;
    }
    return true;
}

bool HttpResponseReader::AppendBody(const char* data, qsizetype size) {
    if (body_.size() + size > kMaxBodyBytes) {
        return false;
    }
    body_.append(data, size);
    return true;
}

bool HttpResponseReader::TakeLine(QByteArray& line) {
    const qsizetype end = pending_.indexOf("\r\n");
    if (end < 0) {
        return false;
    }
    line = pending_.left(end);
    pending_.remove(0, end + 2);
    return true;
}

HttpResponseReader::State HttpResponseReader::Advance() {
    for (;;) {
        switch (phase_) {
        case Phase::Head: {
            const qsizetype end = pending_.indexOf("\r\n\r\n");
            if (end < 0) {
                return pending_.size() > kMaxHeadBytes ? Fail() : State::NeedMore;
            }
            if (end > kMaxHeadBytes || !ParseHead(pending_.left(end))) {
                return Fail();
            }
            pending_.remove(0, end + 4);
            if (status_ < 200) {  // an interim response; the real one follows
                continue;
            }
            if (!StartBody()) {  // unusable or oversized Content-Length
                return Fail();
            }
            break;
        }
        case Phase::FixedBody:
        case Phase::ChunkData: {
            const qsizetype take = static_cast<qsizetype>(std::min<qint64>(remaining_, pending_.size()));
            if (!AppendBody(pending_.constData(), take)) {
                return Fail();
            }
            pending_.remove(0, take);
            remaining_ -= take;
            if (remaining_ > 0) {
                return State::NeedMore;
            }
            phase_ = phase_ == Phase::FixedBody ? Phase::Done : Phase::ChunkDataEnd;
            break;
        }
        case Phase::ChunkSize: {
            QByteArray line;
            if (!TakeLine(line)) {
                return pending_.size() > kMaxLineBytes ? Fail() : State::NeedMore;
            }
            const qint64 size = ParseChunkSize(line);
            if (size < 0 || body_.size() + size > kMaxBodyBytes) {
                return Fail();
            }
            remaining_ = size;
            phase_ = size == 0 ? Phase::Trailer : Phase::ChunkData;
            break;
        }
        case Phase::ChunkDataEnd: {
            if (pending_.size() < 2) {
                return State::NeedMore;
            }
            if (pending_[0] != '\r' || pending_[1] != '\n') {
                return Fail();
            }
            pending_.remove(0, 2);
            phase_ = Phase::ChunkSize;
            break;
        }
        case Phase::Trailer: {
            QByteArray line;
            if (!TakeLine(line)) {
                return pending_.size() > kMaxLineBytes ? Fail() : State::NeedMore;
            }
            if (line.isEmpty()) {
                phase_ = Phase::Done;
            }
            break;
        }
        case Phase::BodyToClose:
            if (!AppendBody(pending_.constData(), pending_.size())) {
                return Fail();
            }
            pending_.clear();
            return State::NeedMore;
        case Phase::Done:
            if (!pending_.isEmpty()) {  // unexpected extra bytes: do not reuse the connection
                connectionEnds_ = true;
                pending_.clear();
            }
            state_ = State::Complete;
            return state_;
        }
    }
}

HttpResponseReader::State HttpResponseReader::Feed(const char* data, qsizetype size) {
    if (state_ != State::NeedMore) {
        return state_;
    }
    received_ += size;
    if (received_ > kMaxResponseBytes) {
        return Fail();
    }
    if (phase_ == Phase::BodyToClose) {
        if (!AppendBody(data, size)) {
            return Fail();
        }
        return State::NeedMore;
    }
    pending_.append(data, size);
    return Advance();
}

HttpResponseReader::State HttpResponseReader::FinishAtClose() {
    if (state_ != State::NeedMore) {
        return state_;
    }
    if (phase_ != Phase::BodyToClose) {
        return Fail();  // the response was cut off
    }
    phase_ = Phase::Done;
    state_ = State::Complete;
    return state_;
}

}  // namespace transport
