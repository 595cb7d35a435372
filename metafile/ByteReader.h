#pragma once
// The one way metafile bytes are read: a little-endian cursor over a span that never
// reads past its end. Every read checks the remaining length first; a read that does
// not fit sets a sticky failure flag, yields zero and leaves the cursor where it was,
// so a handler can read all its fields and test Ok() once at the end.
//
// Nothing in the project casts buffer memory into structures: records are decoded
// field by field through this reader.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace slidemill {

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit ByteReader(std::span<const uint8_t> bytes) : data_(bytes.data()), size_(bytes.size()) {}

    size_t Size() const { return size_; }
    size_t Offset() const { return pos_; }
    size_t Remaining() const { return size_ - pos_; }
    bool Ok() const { return ok_; }
    const uint8_t* Data() const { return data_; }

    // True when n more bytes can be read from the cursor.
    bool Has(size_t n) const { return ok_ && n <= size_ - pos_; }
    // True when [offset, offset + length) lies inside the whole span (overflow-safe).
    bool Contains(size_t offset, size_t length) const { return offset <= size_ && length <= size_ - offset; }

    bool Seek(size_t offset) {
        if (offset > size_) return Fail();
        pos_ = offset;
        return true;
    }
    bool Skip(size_t n) {
        if (!Has(n)) return Fail();
        pos_ += n;
        return true;
    }

    uint8_t U8() { return static_cast<uint8_t>(Read(1)); }
    uint16_t U16() { return static_cast<uint16_t>(Read(2)); }
    uint32_t U32() { return static_cast<uint32_t>(Read(4)); }
    uint64_t U64() { return Read(8); }
    int8_t I8() { return static_cast<int8_t>(U8()); }
    int16_t I16() { return static_cast<int16_t>(U16()); }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    float F32() {
        uint32_t bits = U32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    double F64() {
        uint64_t bits = U64();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }

    // Copies n bytes out; on a short buffer nothing is copied and the reader fails.
    bool Bytes(void* out, size_t n) {
        if (!Has(n)) return Fail();
        if (n) std::memcpy(out, data_ + pos_, n);
        pos_ += n;
        return true;
    }
    std::vector<uint8_t> ByteVector(size_t n) {
        if (!Has(n)) {
            Fail();
            return {};
        }
        std::vector<uint8_t> v(data_ + pos_, data_ + pos_ + n);
        pos_ += n;
        return v;
    }
    // A view of the next n bytes without copying; empty (and failed) when short.
    std::span<const uint8_t> View(size_t n) {
        if (!Has(n)) {
            Fail();
            return {};
        }
        std::span<const uint8_t> v(data_ + pos_, n);
        pos_ += n;
        return v;
    }
    // A sub-reader over [offset, offset + length) of the whole span, or a failed empty
    // reader when that range does not fit.
    ByteReader Sub(size_t offset, size_t length) const {
        if (!Contains(offset, length)) {
            ByteReader bad;
            bad.ok_ = false;
            return bad;
        }
        return ByteReader(data_ + offset, length);
    }

    // Peeks without moving or failing; zero past the end.
    uint32_t PeekU32(size_t offset) const { return static_cast<uint32_t>(PeekN(offset, 4)); }
    uint16_t PeekU16(size_t offset) const { return static_cast<uint16_t>(PeekN(offset, 2)); }

    bool Fail() {
        ok_ = false;
        return false;
    }

private:
    uint64_t Read(size_t n) {
        if (!Has(n)) {
            Fail();
            return 0;
        }
        uint64_t v = PeekN(pos_, n);
        pos_ += n;
        return v;
    }
    uint64_t PeekN(size_t offset, size_t n) const {
        if (!Contains(offset, n)) return 0;
        uint64_t v = 0;
        for (size_t i = 0; i < n; ++i) v |= static_cast<uint64_t>(data_[offset + i]) << (8 * i);
        return v;
    }

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t pos_ = 0;
    bool ok_ = true;
};

// The writing counterpart, for the metafile recorder, the converter and test fixtures.
class ByteWriter {
public:
    void U8(uint8_t v) { buf_.push_back(v); }
    void U16(uint16_t v) { Put(v, 2); }
    void U32(uint32_t v) { Put(v, 4); }
    void I16(int16_t v) { Put(static_cast<uint16_t>(v), 2); }
    void I32(int32_t v) { Put(static_cast<uint32_t>(v), 4); }
    void F32(float f) {
        uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        U32(bits);
    }
    void Bytes(const void* p, size_t n) {
        auto b = static_cast<const uint8_t*>(p);
        buf_.insert(buf_.end(), b, b + n);
    }
    void Bytes(std::span<const uint8_t> s) { buf_.insert(buf_.end(), s.begin(), s.end()); }
    void Zeros(size_t n) { buf_.insert(buf_.end(), n, 0); }
    void PadTo(size_t multiple) {
        while (buf_.size() % multiple) buf_.push_back(0);
    }
    // Overwrites a 16- or 32-bit value written earlier (sizes and counts known only at the end).
    void PatchU16(size_t offset, uint16_t v) { Patch(offset, v, 2); }
    void PatchU32(size_t offset, uint32_t v) { Patch(offset, v, 4); }

    size_t Size() const { return buf_.size(); }
    const std::vector<uint8_t>& Buffer() const { return buf_; }
    std::vector<uint8_t> Take() { return std::move(buf_); }

private:
    void Put(uint64_t v, size_t n) {
        for (size_t i = 0; i < n; ++i) buf_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void Patch(size_t offset, uint64_t v, size_t n) {
        if (offset > buf_.size() || n > buf_.size() - offset) return;
        for (size_t i = 0; i < n; ++i) buf_[offset + i] = static_cast<uint8_t>(v >> (8 * i));
    }
    std::vector<uint8_t> buf_;
};

}  // namespace slidemill
