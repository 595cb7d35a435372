#pragma once
// The 32-bit type code of a file or page: kind in bits 0-3, sub-kind in bits 4-7,
// 0x100 raster image, 0x200 text document, page state in bits 12-15.

#include <cstdint>

namespace slidemill::typecode {

constexpr uint32_t kNone = 0x0000;
constexpr uint32_t kEmf = 0x0001;
constexpr uint32_t kWmf = 0x0002;
constexpr uint32_t kListFile = 0x0003;
constexpr uint32_t kImage = 0x0004;  // kind bits of every image code
constexpr uint32_t kText = 0x0005;   // kind bits of both text codes
constexpr uint32_t kGzipEmf = 0x0006;
constexpr uint32_t kGzipWmf = 0x0007;
constexpr uint32_t kJpeg = 0x0104;
constexpr uint32_t kPng = 0x0114;
constexpr uint32_t kBmp = 0x0124;
constexpr uint32_t kGif = 0x0134;
constexpr uint32_t kTiff = 0x0144;
constexpr uint32_t kExif = 0x0154;
constexpr uint32_t kPlainText = 0x0205;
constexpr uint32_t kRtf = 0x0215;

constexpr uint32_t kStateUnclassified = 0x1000;
constexpr uint32_t kCannotOpen = 0x2000;
constexpr uint32_t kStateFailed = 0x4000;

constexpr uint32_t kKindMask = 0x000F;
constexpr uint32_t kStateMask = 0xF000;

constexpr uint32_t Kind(uint32_t code) { return code & kKindMask; }
constexpr uint32_t State(uint32_t code) { return code & kStateMask; }

}  // namespace slidemill::typecode
