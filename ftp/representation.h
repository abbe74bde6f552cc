#pragma once
// The representation type of a transfer (the TYPE command).

#include <QString>

namespace nsFTP {

class CRepresentation {
public:
    enum Type { ASCII = 0, EBCDIC = 1, Image = 2, LocalByteSize = 3 };
    enum Format { NonPrint = 0, TelnetFormat = 1, CarriageControl = 2 };

    explicit CRepresentation(Type type = Image, Format format = NonPrint) : type(type), format(format) {}

    Type GetType() const { return type; }
    Format GetFormat() const { return format; }

    // "TYPE A", "TYPE E" or "TYPE I"; A and E carry the format " N", " T" or " C".
    // Local byte size is "TYPE L " followed by the byte size 8.
    QString CommandText() const;

    bool operator==(const CRepresentation&) const = default;

private:
    Type type;
    Format format;
};

}  // namespace nsFTP
