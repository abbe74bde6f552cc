#include "wavetap/stream/http_auth.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>

namespace wavetap::http {

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t';
}

bool IsTokenChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u > 32 && u < 127 && std::string_view("()<>@,;:\\\"/[]?={} ").find(c) == std::string_view::npos;
}

bool IsToken68Char(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::string_view("-._~+/").find(c) != std::string_view::npos;
}

std::string Lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return out;
}

AuthScheme SchemeOf(std::string_view name)
{
    const std::string lower = Lower(name);
    if (lower == "basic")
        return AuthScheme::Basic;
    if (lower == "digest")
        return AuthScheme::Digest;
    return AuthScheme::Other;
}

// Reads challenges and authorization values: "scheme token68" or "scheme name=value, ...",
// several challenges separated by commas.
class AuthReader {
public:
    explicit AuthReader(std::string_view text) : text_(text) {}

    // Reads the next challenge; false at the end or on a syntax error (Failed() tells).
    bool Next(AuthParams& out)
    {
        SkipSeparators();
        if (pos_ >= text_.size())
            return false;
        const std::string_view scheme = Token();
        if (scheme.empty()) {
            failed_ = true;
            return false;
        }
        out = AuthParams{};
        out.schemeName = scheme;
        out.scheme = SchemeOf(scheme);
        SkipSpaces();
        if (TryToken68(out.token68))
            return true;
        // Parameters until one that is not followed by '=' (the next challenge's scheme).
        for (;;) {
            SkipSpaces();
            const std::size_t start = pos_;
            const std::string_view name = Token();
            SkipSpaces();
            if (name.empty() || pos_ >= text_.size() || text_[pos_] != '=') {
                pos_ = start;
                return true;
            }
            ++pos_;
            SkipSpaces();
            std::string value;
            if (!Value(value)) {
                failed_ = true;
                return false;
            }
            out.params[Lower(name)] = value;
            SkipSpaces();
            if (pos_ < text_.size() && text_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < text_.size()) {
                failed_ = true;
                return false;
            }
            return true;
        }
    }

    bool Failed() const { return failed_; }
    bool AtEnd()
    {
        SkipSpaces();
        return pos_ >= text_.size();
    }

private:
    void SkipSpaces()
    {
        while (pos_ < text_.size() && IsSpace(text_[pos_]))
            ++pos_;
    }

    void SkipSeparators()
    {
        while (pos_ < text_.size() && (IsSpace(text_[pos_]) || text_[pos_] == ','))
            ++pos_;
    }

    std::string_view Token()
    {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && IsTokenChar(text_[pos_]))
            ++pos_;
        return text_.substr(start, pos_ - start);
    }

    // A token68 is followed by the end or by a comma; anything else means parameters.
    bool TryToken68(std::string& out)
    {
        std::size_t end = pos_;
        while (end < text_.size() && IsToken68Char(text_[end]))
            ++end;
        if (end == pos_)
            return false;
        while (end < text_.size() && text_[end] == '=')
            ++end;
        std::size_t after = end;
        while (after < text_.size() && IsSpace(text_[after]))
            ++after;
        if (after < text_.size() && text_[after] != ',')
            return false;
        out = text_.substr(pos_, end - pos_);
        pos_ = end;
        return true;
    }

    bool Value(std::string& out)
    {
        if (pos_ < text_.size() && text_[pos_] == '"') {
            ++pos_;
            while (pos_ < text_.size() && text_[pos_] != '"') {
                if (text_[pos_] == '\\' && pos_ + 1 < text_.size())
                    ++pos_;
                out += text_[pos_++];
            }
            if (pos_ >= text_.size())
                return false;  // unterminated quoted string
            ++pos_;
            return true;
        }
        out = Token();
        return !out.empty();
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

std::string Md5Hex(const std::string& text)
{
    return QCryptographicHash::hash(QByteArray::fromStdString(text), QCryptographicHash::Md5).toHex().toStdString();
}

std::string Quoted(const std::string& value)
{
    std::string out = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

// Compares without leaking through timing where the lengths agree.
bool SameText(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

// Whether the challenge's qop list offers "auth".
bool OffersQopAuth(const AuthParams& challenge)
{
    const std::string qop = Lower(challenge.Param("qop"));
    std::size_t start = 0;
    while (start <= qop.size()) {
        const std::size_t comma = std::min(qop.find(',', start), qop.size());
        std::string item = qop.substr(start, comma - start);
        item.erase(std::remove_if(item.begin(), item.end(), IsSpace), item.end());
        if (item == "auth")
            return true;
        start = comma + 1;
    }
    return false;
}

}  // namespace

std::string AuthParams::Param(const std::string& name) const
{
    const auto it = params.find(Lower(name));
    return it == params.end() ? std::string() : it->second;
}

std::vector<AuthParams> ParseChallenges(const std::vector<std::string>& values)
{
    std::vector<AuthParams> challenges;
    for (const std::string& value : values) {
        AuthReader reader(value);
        AuthParams challenge;
        while (reader.Next(challenge))
            challenges.push_back(challenge);
    }
    return challenges;
}

std::optional<AuthParams> ParseAuthorization(std::string_view value)
{
    AuthReader reader(value);
    AuthParams authorization;
    if (!reader.Next(authorization) || reader.Failed() || !reader.AtEnd())
        return std::nullopt;
    return authorization;
}

std::string BasicAuthorization(const std::string& user, const std::string& password)
{
    return "Basic " + QByteArray::fromStdString(user + ":" + password).toBase64().toStdString();
}

std::string DigestResponse(const std::string& user, const std::string& realm, const std::string& password,
                           const std::string& method, const std::string& uri, const std::string& nonce,
                           const std::string& nonceCount, const std::string& cnonce, const std::string& qop)
{
    const std::string ha1 = Md5Hex(user + ":" + realm + ":" + password);
    const std::string ha2 = Md5Hex(method + ":" + uri);
    if (qop.empty())
        return Md5Hex(ha1 + ":" + nonce + ":" + ha2);
    return Md5Hex(ha1 + ":" + nonce + ":" + nonceCount + ":" + cnonce + ":" + qop + ":" + ha2);
}

DigestAnswer::DigestAnswer(AuthParams challenge, std::string user, std::string password)
    : challenge_(std::move(challenge)), user_(std::move(user)), password_(std::move(password))
{
}

std::string DigestAnswer::Authorization(const std::string& method, const std::string& uri)
{
    const std::string realm = challenge_.Param("realm");
    const std::string nonce = challenge_.Param("nonce");
    const bool qopAuth = OffersQopAuth(challenge_);
    char count[9];
    std::snprintf(count, sizeof count, "%08x", ++nonceCount_);
    const std::string cnonce =
        QByteArray::number(QRandomGenerator::system()->generate64(), 16).rightJustified(16, '0').toStdString();
    std::string value = "Digest username=" + Quoted(user_) + ", realm=" + Quoted(realm) + ", nonce=" + Quoted(nonce) +
                        ", uri=" + Quoted(uri) + ", algorithm=MD5";
    if (qopAuth) {
        value += ", qop=auth, nc=" + std::string(count) + ", cnonce=" + Quoted(cnonce) +
                 ", response=" + Quoted(DigestResponse(user_, realm, password_, method, uri, nonce, count, cnonce, "auth"));
    } else {
        value += ", response=" + Quoted(DigestResponse(user_, realm, password_, method, uri, nonce, "", "", ""));
    }
    const std::string opaque = challenge_.Param("opaque");
    if (!opaque.empty())
        value += ", opaque=" + Quoted(opaque);
    return value;
}

bool BasicMatches(const AuthParams& authorization, const std::string& user, const std::string& password)
{
    if (authorization.scheme != AuthScheme::Basic || authorization.token68.empty())
        return false;
    const QByteArray decoded = QByteArray::fromBase64(QByteArray::fromStdString(authorization.token68),
                                                      QByteArray::AbortOnBase64DecodingErrors);
    return SameText(decoded.toStdString(), user + ":" + password);
}

bool DigestMatches(const AuthParams& authorization, const std::string& method, const std::string& target,
                   const std::string& realm, const std::string& user, const std::string& password)
{
    if (authorization.scheme != AuthScheme::Digest)
        return false;
    const std::string algorithm = Lower(authorization.Param("algorithm"));
    if (!algorithm.empty() && algorithm != "md5")
        return false;
    if (authorization.Param("username") != user || authorization.Param("realm") != realm ||
        authorization.Param("uri") != target)
        return false;
    const std::string qop = authorization.Param("qop");
    if (!qop.empty() && qop != "auth")
        return false;
    const std::string expected =
        DigestResponse(user, realm, password, method, target, authorization.Param("nonce"),
                       authorization.Param("nc"), authorization.Param("cnonce"), qop);
    return SameText(Lower(authorization.Param("response")), expected);
}

}  // namespace wavetap::http
