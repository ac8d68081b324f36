#include "core/lists/sink.h"

namespace tavrek::lists {

BufferedSink::BufferedSink(Sink& sink) : sink_(sink) {
  buffer_.reserve(kBlockSize + kBlockSize / 4);
}

bool BufferedSink::Flush() {
  if (!failed_ && !buffer_.empty() && !sink_.Write(buffer_)) failed_ = true;
  buffer_.clear();
  return !failed_;
}

}  // namespace tavrek::lists
