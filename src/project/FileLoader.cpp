#include "project/FileLoader.h"

#include <cstring>

namespace tp {

namespace {

class FileStream : public TMyStream {
 public:
  FileStream(std::FILE* f, uint64_t size) : TMyStream(size), file_(f) {}
  ~FileStream() override { std::fclose(file_); }

 protected:
  void ReadRaw(void* out, size_t n) override {
    if (std::fread(out, 1, n, file_) != n) throw StreamReadError("Read error");
  }

 private:
  std::FILE* file_;
};

class MemoryStream : public TMyStream {
 public:
  MemoryStream(const uint8_t* data, size_t size) : TMyStream(size), data_(data) {}

 protected:
  void ReadRaw(void* out, size_t n) override {
    std::memcpy(out, data_ + offset_, n);
    offset_ += n;
  }

 private:
  const uint8_t* data_;
  size_t offset_ = 0;
};

}  // namespace

std::unique_ptr<TMyStream> TMyStream::OpenFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) throw ProjectFileError("Cannot open file " + path);
  long long size = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
  if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0) {
    std::fclose(f);
    throw ProjectFileError("Cannot read file " + path);
  }
  return std::unique_ptr<TMyStream>(new FileStream(f, uint64_t(size)));
}

std::unique_ptr<TMyStream> TMyStream::FromMemory(const uint8_t* data, size_t size) {
  return std::unique_ptr<TMyStream>(new MemoryStream(data, data ? size : 0));
}

void TMyStream::ReadExact(void* out, size_t n) {
  if (n > remaining()) {
    position_ = size_;
    throw StreamReadError("Read error: unexpected end of file");
  }
  ReadRaw(out, n);
  position_ += n;
}

int32_t TMyStream::ReadInt32() {
  uint8_t b[4];
  ReadExact(b, 4);
  return int32_t(uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24));
}

uint8_t TMyStream::ReadByte() {
  uint8_t b;
  ReadExact(&b, 1);
  return b;
}

std::vector<uint8_t> TMyStream::ReadBlock() {
  const int32_t n = ReadInt32();
  if (n < 0 || uint64_t(n) > remaining()) {
    position_ = size_;
    throw StreamReadError("Read error: block length past the end of file");
  }
  std::vector<uint8_t> out(static_cast<size_t>(n));
  if (n > 0) ReadExact(out.data(), size_t(n));
  return out;
}

std::string TMyStream::ReadText() {
  const std::vector<uint8_t> b = ReadBlock();
  return std::string(b.begin(), b.end());
}

void TMyStream::Skip(uint64_t n) {
  uint8_t buf[4096];
  while (n > 0) {
    const size_t step = size_t(std::min<uint64_t>(n, sizeof buf));
    ReadExact(buf, step);
    n -= step;
  }
}

TFileLoader::TFileLoader(const std::string& path) : stream_(TMyStream::OpenFile(path)) {}
TFileLoader::TFileLoader(const uint8_t* data, size_t size) : stream_(TMyStream::FromMemory(data, size)) {}

void TFileLoader::ReadSignature() {
  char sig[8];
  if (stream_->remaining() < 8) throw ProjectFileError(kBadSignatureMessage);
  stream_->ReadExact(sig, 8);
  if (std::memcmp(sig, kSignature, 8) != 0) throw ProjectFileError(kBadSignatureMessage);
}

}  // namespace tp
