// A block of bytes from malloc with one owner, freed with it. Move-only, so that file contents
// and compressed data pass from a worker thread to the archive without being copied.
#ifndef QUIREFORGE_ZIPENGINE_BYTEBUFFER_H_
#define QUIREFORGE_ZIPENGINE_BYTEBUFFER_H_

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

namespace quireforge {

class ByteBuffer {
 public:
  ByteBuffer() = default;
  // Room for `capacity` bytes, none used yet. Throws std::bad_alloc.
  explicit ByteBuffer(size_t capacity) { Reserve(capacity); }
  ~ByteBuffer() { std::free(data_); }

  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;
  ByteBuffer(ByteBuffer&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  ByteBuffer& operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
      std::free(data_);
      data_ = std::exchange(other.data_, nullptr);
      size_ = std::exchange(other.size_, 0);
      capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
  }

  uint8_t* data() { return data_; }
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  size_t capacity() const { return capacity_; }

  // Makes room for `capacity` bytes, keeping the used ones. Throws std::bad_alloc and leaves the
  // buffer as it was.
  void Reserve(size_t capacity) {
    if (capacity <= capacity_) return;
    void* grown = std::realloc(data_, capacity);
    if (grown == nullptr) throw std::bad_alloc();
    data_ = static_cast<uint8_t*>(grown);
    capacity_ = capacity;
  }

  // Marks the first `size` bytes (at most the capacity) as used.
  void SetSize(size_t size) { size_ = size < capacity_ ? size : capacity_; }

  // Gives back the unused room; keeps the buffer as it is when the system declines.
  void ShrinkToFit() {
    if (size_ == capacity_ || size_ == 0) return;
    void* shrunk = std::realloc(data_, size_);
    if (shrunk == nullptr) return;
    data_ = static_cast<uint8_t*>(shrunk);
    capacity_ = size_;
  }

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

}  // namespace quireforge

#endif  // QUIREFORGE_ZIPENGINE_BYTEBUFFER_H_
