#pragma once
// Where an export goes: anything that takes bytes and can say that it failed.
// Writers fill a BufferedSink, so the sink below sees few large writes.
#include <cstddef>
#include <string>
#include <string_view>

namespace tavrek::lists {

class Sink {
 public:
  virtual ~Sink() = default;
  // False when the bytes could not be written; the export then stops.
  virtual bool Write(std::string_view bytes) = 0;
};

// Collects everything in memory (tests, clipboard-sized exports).
class StringSink : public Sink {
 public:
  bool Write(std::string_view bytes) override {
    text.append(bytes);
    return true;
  }
  std::string text;
};

// Gathers small appends into blocks. After the first failed write it drops
// everything and failed() stays true.
class BufferedSink {
 public:
  static constexpr size_t kBlockSize = 256 * 1024;

  explicit BufferedSink(Sink& sink);
  BufferedSink(const BufferedSink&) = delete;
  BufferedSink& operator=(const BufferedSink&) = delete;

  void Append(std::string_view bytes) {
    buffer_.append(bytes);
    if (buffer_.size() >= kBlockSize) Flush();
  }
  void Append(char byte) {
    buffer_.push_back(byte);
    if (buffer_.size() >= kBlockSize) Flush();
  }
  // Hands the gathered bytes to the sink; false once anything failed.
  bool Flush();
  bool failed() const { return failed_; }

 private:
  Sink& sink_;
  std::string buffer_;
  bool failed_ = false;
};

}  // namespace tavrek::lists
