// Real files: classified as their content says, loaded into EMFs that frame cleanly;
// damaged files and damaged variants give errors, never a crash.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "metafile/document/FileClassification.h"
#include "metafile/document/MetafileDocument.h"
#include "tests/metafile/document/Fixtures.h"
#include "tests/metafile/document/TempDir.h"

namespace slidemill {
namespace {

using namespace testing_doc;
namespace fs = std::filesystem;

bool IsDamagedName(const std::string& name) {
    return name.find("corrupted") != std::string::npos || name.find("61294") != std::string::npos ||
           name.find("61338") != std::string::npos;
}

// Loads through the document; true when an EMF came out and it frames up to EMR_EOF.
bool LoadsCleanly(CMetafileDocument& doc, const std::string& path) {
    if (typecode::Kind(doc.OpenFile(path)) == typecode::kNone) return false;
    const EnhMetaFile* emf = doc.GetPageMetafile(0);
    if (!emf) return false;
    EmfRecordWalker walker(emf->Bytes());
    EmfRecord rec;
    while (walker.Next(rec)) {
    }
    return walker.Status() == EmfWalkStatus::End;
}

fs::path Corpus() { return fs::path(SLIDEMILL_CORPUS); }

TEST(Corpus, EveryFileIsClassifiedByItsContentAndLoads) {
    if (!fs::is_directory(Corpus() / "emf")) GTEST_SKIP() << "corpus not present";
    const struct {
        const char* folder;
        const char* ext;
        uint32_t code;
    } folders[] = {{"emf", ".emf", typecode::kEmf},
                   {"wmf", ".wmf", typecode::kWmf},
                   {"emz", ".emz", typecode::kGzipEmf},
                   {"wmz", ".wmz", typecode::kGzipWmf},
                   {"lo-slides", ".wmf", typecode::kWmf}};
    NoFonts fonts;
    TempDir tmp;
    CMetafileDocument doc(nullptr, &fonts, tmp.Root());
    int files = 0;
    for (const auto& f : folders) {
        for (const auto& entry : fs::directory_iterator(Corpus() / f.folder)) {
            const std::string name = entry.path().filename().string();
            SCOPED_TRACE(name);
            if (entry.path().extension() != f.ext) {
                EXPECT_EQ(ClassifyFile(entry.path().string()), typecode::kNone);  // slides.json
                continue;
            }
            ++files;
            EXPECT_EQ(ClassifyFile(entry.path().string()), f.code);
            EXPECT_EQ(LoadsCleanly(doc, entry.path().string()), !IsDamagedName(name));
        }
    }
    EXPECT_GT(files, 70);
}

// Truncated and bit-flipped variants of real files, written to disk and opened.
TEST(Corpus, DamagedVariantsGiveErrorsNotCrashes) {
    if (!fs::is_directory(Corpus() / "emf")) GTEST_SKIP() << "corpus not present";
    const char* samples[] = {"wmf/poi__test-data__slideshow__64716_image2.wmf",
                             "emf/emf2svg__tests__resources__emf__test-039.emf",
                             "lo-slides/54880_chinese_s01.wmf", "emz/emf2svg__tests__resources__emf__test-040.emz"};
    NoFonts fonts;
    TempDir tmp;
    CMetafileDocument doc(nullptr, &fonts, tmp.Root());
    std::mt19937 rng(99);
    const std::string variant = tmp.Path("variant.bin");
    for (const char* sample : samples) {
        SCOPED_TRACE(sample);
        const fs::path source = Corpus() / sample;
        if (!fs::exists(source)) continue;
        const auto bytes = ReadBytes(source.string());
        ASSERT_FALSE(bytes.empty());
        for (size_t cut : {size_t(0), size_t(3), size_t(21), size_t(22), size_t(40), size_t(107), size_t(108),
                           bytes.size() / 3, bytes.size() / 2, bytes.size() - 1}) {
            WriteFile(variant, std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::min(cut, bytes.size())));
            LoadsCleanly(doc, variant);
        }
        for (int round = 0; round < 150; ++round) {
            auto v = bytes;
            for (int k = 0; k < 3; ++k) {
                // Mostly the early records, where sizes and counts live.
                size_t at = rng() % std::min<size_t>(v.size(), 4096);
                v[at] ^= uint8_t(1u << (rng() % 8));
            }
            WriteFile(variant, v);
            LoadsCleanly(doc, variant);
        }
    }
}

}  // namespace
}  // namespace slidemill
