// The bitmaps of real metafiles: every picture LibreOffice puts into its slide exports
// (WMF META_STRETCHDIB records) must decode, and the bitmaps inside the other WMF and
// EMF files of the corpus must decode or be refused cleanly.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <fstream>
#include <iterator>
#include <string>

#include "metafile/ByteReader.h"
#include "platform/dib/DibDecoder.h"
#include "tests/platform/dib/DibFixtures.h"

namespace slidemill {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<fs::path> Files(const std::string& folder, const std::string& ext) {
    std::vector<fs::path> out;
    const fs::path dir = fs::path(SLIDEMILL_CORPUS) / folder;
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return out;
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        if (e.path().extension() == ext) out.push_back(e.path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

struct FoundDib {
    std::string where;
    DibResult result;
    uint32_t width, height;
};

// Walks the records of a WMF ([MS-WMF] 2.3: optional placeable header, META_HEADER, then
// records of Size 16-bit words) and decodes the packed DIB of every bitmap record.
std::vector<FoundDib> WmfBitmaps(const std::vector<uint8_t>& file) {
    std::vector<FoundDib> found;
    ByteReader r(file);
    size_t pos = r.PeekU32(0) == 0x9AC6CDD7 ? 22 : 0;
    const uint16_t headerWords = r.PeekU16(pos + 2);
    pos += size_t(headerWords) * 2;
    while (r.Contains(pos, 6)) {
        const uint64_t words = r.PeekU32(pos);
        const uint16_t function = r.PeekU16(pos + 4);
        if (words < 3 || !r.Contains(pos, size_t(words * 2))) break;
        if (function == 0x0000) break;  // META_EOF
        // Offset of the DIB inside the record for the bitmap records, 0 for others.
        size_t dibAt = 0;
        uint16_t usage = 0;
        switch (function) {
            case 0x0F43:  // META_STRETCHDIB: rop, ColorUsage, 8 coordinates
                dibAt = 6 + 4 + 2 + 16;
                usage = r.PeekU16(pos + 10);
                break;
            case 0x0D33:  // META_SETDIBTODEV: ColorUsage, ScanCount, StartScan, 6 coordinates
                dibAt = 6 + 2 + 2 + 2 + 12;
                usage = r.PeekU16(pos + 6);
                break;
            case 0x0B41:  // META_DIBSTRETCHBLT: rop, 8 coordinates (9 words, no bitmap, when short)
                if (words > uint64_t(function >> 8) + 3) dibAt = 6 + 4 + 16;
                break;
            case 0x0940:  // META_DIBBITBLT: rop, 6 coordinates
                if (words > uint64_t(function >> 8) + 3) dibAt = 6 + 4 + 12;
                break;
            default:
                break;
        }
        if (dibAt != 0 && dibAt < words * 2) {
            ByteReader rec = r.Sub(pos, size_t(words * 2));
            rec.Skip(dibAt);
            std::span<const uint8_t> dib = rec.View(rec.Remaining());
            DecodedImage img;
            const DibResult res = DecodePackedDib(dib, usage == 1 ? DibColorUsage::PalColors : DibColorUsage::RgbColors,
                                                  nullptr, img);
            found.push_back({"record at " + std::to_string(pos), res, img.width, img.height});
        }
        pos += size_t(words * 2);
    }
    return found;
}

// Walks the records of an EMF and decodes the source bitmap of every block-transfer
// record ([MS-EMF] 2.3.1), using the record's own offset fields.
std::vector<FoundDib> EmfBitmaps(const std::vector<uint8_t>& file) {
    std::vector<FoundDib> found;
    ByteReader r(file);
    size_t pos = 0;
    while (r.Contains(pos, 8)) {
        const uint32_t type = r.PeekU32(pos);
        const uint32_t size = r.PeekU32(pos + 4);
        if (size < 8 || size % 4 != 0 || !r.Contains(pos, size)) break;
        size_t offBmiAt = 0, usageAt = 0;
        switch (type) {
            case 76:   // EMR_BITBLT
            case 77:   // EMR_STRETCHBLT
            case 78:   // EMR_MASKBLT
            case 114:  // EMR_ALPHABLEND
            case 116:  // EMR_TRANSPARENTBLT
                offBmiAt = 84, usageAt = 80;
                break;
            case 79:  // EMR_PLGBLT
                offBmiAt = 96, usageAt = 92;
                break;
            case 80:  // EMR_SETDIBITSTODEVICE
            case 81:  // EMR_STRETCHDIBITS
                offBmiAt = 48, usageAt = 64;
                break;
            default:
                break;
        }
        if (offBmiAt != 0 && offBmiAt + 16 <= size) {
            const auto record = std::span<const uint8_t>(file).subspan(pos, size);
            ByteReader f(record);
            f.Seek(offBmiAt);
            const uint32_t offBmi = f.U32(), cbBmi = f.U32(), offBits = f.U32(), cbBits = f.U32();
            const uint32_t usage = f.PeekU32(usageAt);
            if (cbBmi != 0) {
                DecodedImage img;
                DibResult res = DecodeDibInRecord(record, offBmi, cbBmi, offBits, cbBits,
                                                  static_cast<DibColorUsage>(usage), nullptr, img);
                if (type == 80 && r.Contains(pos + offBmi, cbBmi) && r.Contains(pos + offBits, cbBits)) {
                    // EMR_SETDIBITSTODEVICE: the bits hold cScans lines from iStartScan.
                    res = DecodeDibBand(record.subspan(offBmi, cbBmi), record.subspan(offBits, cbBits),
                                        f.PeekU32(68), f.PeekU32(72), static_cast<DibColorUsage>(usage), nullptr,
                                        img);
                }
                found.push_back({"record type " + std::to_string(type) + " at " + std::to_string(pos), res,
                                 img.width, img.height});
            }
        }
        if (type == 14) break;  // EMR_EOF
        pos += size;
    }
    return found;
}

TEST(DibCorpus, EveryLibreOfficeSlideBitmapDecodes) {
    const auto files = Files("lo-slides", ".wmf");
    if (files.empty()) GTEST_SKIP() << "corpus not present";
    size_t bitmaps = 0;
    for (const auto& path : files) {
        for (const FoundDib& d : WmfBitmaps(ReadFile(path))) {
            SCOPED_TRACE(path.filename().string() + " " + d.where);
            EXPECT_EQ(d.result, DibResult::Ok);
            EXPECT_GT(d.width, 0u);
            ++bitmaps;
        }
    }
    EXPECT_GT(bitmaps, 20u);  // the slide exports carry a few dozen pictures
}

TEST(DibCorpus, OtherMetafileBitmapsDecodeOrAreRefused) {
    const auto wmfs = Files("wmf", ".wmf");
    const auto emfs = Files("emf", ".emf");
    if (wmfs.empty() && emfs.empty()) GTEST_SKIP() << "corpus not present";
    size_t ok = 0, refused = 0;
    auto count = [&](const fs::path& path, const std::vector<FoundDib>& found) {
        // Files damaged on purpose carry these marks in their names (corpus README).
        const std::string name = path.filename().string();
        const bool damaged = name.find("corrupted") != std::string::npos || name.find("61294") != std::string::npos ||
                             name.find("61338") != std::string::npos;
        for (const FoundDib& d : found) {
            if (d.result == DibResult::Ok) {
                ++ok;
            } else {
                ++refused;
                std::cout << "  refused: " << name << " " << d.where << ": " << DibResultText(d.result) << "\n";
                EXPECT_TRUE(damaged) << name << " " << d.where << ": " << DibResultText(d.result);
            }
        }
    };
    for (const auto& p : wmfs) count(p, WmfBitmaps(ReadFile(p)));
    for (const auto& p : emfs) count(p, EmfBitmaps(ReadFile(p)));
    std::cout << "  corpus bitmaps decoded: " << ok << ", refused: " << refused << "\n";
    EXPECT_GT(ok, 0u);
}

}  // namespace
}  // namespace slidemill
