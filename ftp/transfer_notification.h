#pragma once
// The data source of an upload and the sink of a download, and CFile, which is both
// over a local file.

#include <QString>

#include <cstdio>
#include <vector>

namespace nsFTP {

class ITransferNotification {
public:
    virtual ~ITransferNotification() = default;
    // A received block.
    virtual void OnBytesReceived(const char* buffer, int count) = 0;
    // Fills up to bufferSize bytes of `buffer` and sets bytesToSend; 0 ends the upload.
    virtual void OnPreBytesSend(char* buffer, int bufferSize, int& bytesToSend) = 0;
};

class CFile : public ITransferNotification {
public:
    CFile() = default;
    ~CFile() override { Close(); }
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // mode as for fopen ("rb", "ab", ...). False when the file cannot be opened.
    bool Open(const QString& path, const char* mode);
    void Close();
    bool IsOpen() const { return stream != nullptr; }
    long long Size() const;
    bool Seek(long long offset);
    // True once a read or write has failed (as opposed to reaching the end).
    bool HasFailed() const { return failed; }

    void OnBytesReceived(const char* buffer, int count) override;
    void OnPreBytesSend(char* buffer, int bufferSize, int& bytesToSend) override;

private:
    std::FILE* stream = nullptr;
    std::vector<char> streamBuffer;  // must outlive the stream
    bool failed = false;
};

}  // namespace nsFTP
