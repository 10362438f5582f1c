#pragma once
// Sequential little-endian reading of an untrusted file, once, without seeking. Every
// read is checked against what is left of the file before anything is allocated; a short
// read throws StreamReadError.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace tp {

// Any failure while reading a packaged picture (short file, bad length, bad signature).
class ProjectFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The file ended (or a length pointed) past what is left.
class StreamReadError : public ProjectFileError {
 public:
  using ProjectFileError::ProjectFileError;
};

// A read-only byte stream over a file or a memory buffer that knows how much is left.
class TMyStream {
 public:
  // Opens a file; throws ProjectFileError when it cannot be opened.
  static std::unique_ptr<TMyStream> OpenFile(const std::string& path);
  // Reads from a copy-free view of memory that must outlive the stream.
  static std::unique_ptr<TMyStream> FromMemory(const uint8_t* data, size_t size);

  virtual ~TMyStream() = default;

  uint64_t size() const { return size_; }
  uint64_t position() const { return position_; }
  uint64_t remaining() const { return size_ - position_; }
  bool AtEnd() const { return position_ >= size_; }

  // Reads exactly n bytes or throws StreamReadError (nothing is consumed then... the
  // stream is left at an unspecified position and should not be used further).
  void ReadExact(void* out, size_t n);
  int32_t ReadInt32();
  uint8_t ReadByte();
  // A 32-bit length n and then n bytes. A negative n or one beyond what is left throws
  // before anything is allocated.
  std::vector<uint8_t> ReadBlock();
  // A block read as 8-bit text.
  std::string ReadText();
  // Skips n bytes (read and dropped, no seeking).
  void Skip(uint64_t n);

 protected:
  TMyStream(uint64_t size) : size_(size) {}
  virtual void ReadRaw(void* out, size_t n) = 0;

 private:
  uint64_t size_;
  uint64_t position_ = 0;
};

// Opens a packaged picture file and checks its signature.
class TFileLoader {
 public:
  static constexpr char kSignature[] = "Mp060697";
  static constexpr const char* kBadSignatureMessage = "Incorrect Project File!";

  // Opens path; throws ProjectFileError when it cannot be opened.
  explicit TFileLoader(const std::string& path);
  // Reads from memory (for tests and fuzzing).
  TFileLoader(const uint8_t* data, size_t size);

  // Reads the 8-byte signature; throws ProjectFileError("Incorrect Project File!") when it
  // is not "Mp060697" (also for a file shorter than 8 bytes).
  void ReadSignature();

  TMyStream& stream() { return *stream_; }

 private:
  std::unique_ptr<TMyStream> stream_;
};

}  // namespace tp
