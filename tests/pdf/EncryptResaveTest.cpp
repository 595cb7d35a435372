// The encrypted re-save, checked with qpdf as a user would: declared version, revision,
// permission value, passwords, and that a failure leaves nothing behind.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include <podofo/podofo.h>

#include "pdf/EncryptResave.h"
#include "pdf/PdfErrorText.h"
#include "pdf/PdfPageWriter.h"
#include "tests/support/PdfInspect.h"

namespace slidemill {
namespace {

using testing::HaveTool;
using testing::Quote;
using testing::RunCommand;
using testing::TempFolder;

void WritePlainPdf(const std::string& path, int pages) {
    CPdfPageWriter writer(path);
    writer.CreateDocument();
    for (int i = 0; i < pages; ++i) {
        writer.BeginPage(i, 720, 540);
        writer.SetPenColor(0x0000FF);
        writer.DrawLine(10, 10, 700, 500);
        writer.EndPage();
    }
    writer.SetDocumentInfo("creator", "author", "title", "subject", "keywords");
    writer.Close();
}

std::string FileHead(const std::string& path, size_t n) {
    std::ifstream in(path, std::ios::binary);
    std::string head(n, '\0');
    in.read(head.data(), static_cast<std::streamsize>(n));
    head.resize(static_cast<size_t>(in.gcount()));
    return head;
}

bool NoTemporaries(const TempFolder& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        if (entry.path().string().find(".part") != std::string::npos) return false;
    return true;
}

struct EncryptionCase {
    const char* name;
    EncryptionAlgorithm algorithm;
    uint32_t permissions;
    const char* userPassword;
    const char* ownerPassword;
    const char* header;
    const char* revision;
    const char* pValue;
};

class EncryptResaveCases : public ::testing::TestWithParam<EncryptionCase> {};

TEST_P(EncryptResaveCases, QpdfSeesTheChosenEncryption) {
    if (!HaveTool("qpdf")) GTEST_SKIP() << "qpdf not installed";
    const EncryptionCase& c = GetParam();
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string plain = folder.File("deck_0.pdf");
    const std::string output = folder.File("deck.pdf");
    WritePlainPdf(plain, 3);
    EncryptResave(plain, output, c.userPassword, c.ownerPassword, c.algorithm, c.permissions);

    EXPECT_EQ(FileHead(output, 8), c.header);
    const std::string user = c.userPassword;
    const std::string withPassword = user.empty() ? "" : " --password=" + Quote(user);
    auto shown = RunCommand("qpdf --show-encryption" + withPassword + " " + Quote(output));
    EXPECT_EQ(shown.exitCode, 0) << shown.output;
    EXPECT_NE(shown.output.find(std::string("R = ") + c.revision + "\n"), std::string::npos) << shown.output;
    EXPECT_NE(shown.output.find(std::string("P = ") + c.pValue + "\n"), std::string::npos) << shown.output;

    auto check = RunCommand("qpdf --check" + withPassword + " " + Quote(output));
    EXPECT_EQ(check.exitCode, 0) << check.output;
    auto pages = RunCommand("qpdf --show-npages" + withPassword + " " + Quote(output));
    EXPECT_EQ(pages.output, "3\n");
    auto owner = RunCommand("qpdf --check --password=" + Quote(c.ownerPassword) + " " + Quote(output));
    EXPECT_EQ(owner.exitCode, 0) << owner.output;

    if (!user.empty()) {
        auto refused = RunCommand("qpdf --check --password=wrong " + Quote(output));
        EXPECT_NE(refused.exitCode, 0) << refused.output;
        EXPECT_NE(refused.output.find("invalid password"), std::string::npos) << refused.output;
    }
    // The page content survives encryption and decryption unchanged.
    const std::string decrypted = folder.File("decrypted.pdf");
    auto decrypt = RunCommand("qpdf --decrypt" + withPassword + " " + Quote(output) + " " + Quote(decrypted));
    ASSERT_EQ(decrypt.exitCode, 0) << decrypt.output;
    EXPECT_EQ(testing::PageContent(decrypted, 2), testing::PageContent(plain, 2));
    EXPECT_NE(testing::PageContent(decrypted, 2).find("10.000 530.000 m 700.000 40.000 l S"), std::string::npos);

    EXPECT_TRUE(std::filesystem::exists(plain));  // deleting it is the job's part
    EXPECT_TRUE(NoTemporaries(folder));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EncryptResaveCases,
    ::testing::Values(
        // All three permission boxes off; an empty user password opens without asking.
        EncryptionCase{"Rc4With40BitsNothingAllowed", EncryptionAlgorithm::Rc4V1_40, 0xF20, "", "owner", "%PDF-1.3",
                       "2", "-32"},
        EncryptionCase{"Rc4With128BitsAllAllowed", EncryptionAlgorithm::Rc4V2_128, 0xF3C, "user", "owner",
                       "%PDF-1.5", "3", "-4"},
        EncryptionCase{"Rc4With128BitsOnlyCopy", EncryptionAlgorithm::Rc4V2_128, 0xF30, "u s'er", "owner",
                       "%PDF-1.5", "3", "-16"}),
    [](const ::testing::TestParamInfo<EncryptionCase>& info) { return std::string(info.param.name); });

TEST(EncryptResaveFailures, MissingInputThrowsAndLeavesNoOutput) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string output = folder.File("out.pdf");
    try {
        EncryptResave(folder.File("missing_0.pdf"), output, "", "o", EncryptionAlgorithm::Rc4V1_40, 0xF3C);
        ADD_FAILURE() << "no error for a missing input";
    } catch (const PoDoFo::PdfError& error) {
        EXPECT_NE(DescribePdfError(error).find("missing_0.pdf"), std::string::npos) << DescribePdfError(error);
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

TEST(EncryptResaveFailures, DamagedInputKeepsAnExistingOutputUntouched) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string input = folder.File("broken_0.pdf");
    const std::string output = folder.File("out.pdf");
    WritePlainPdf(input, 2);
    std::filesystem::resize_file(input, std::filesystem::file_size(input) / 2);  // cut off the trailer
    { std::ofstream(output, std::ios::binary) << "previous"; }
    EXPECT_ANY_THROW(EncryptResave(input, output, "", "o", EncryptionAlgorithm::Rc4V2_128, 0xF3C));
    EXPECT_EQ(FileHead(output, 100), "previous");
    EXPECT_TRUE(NoTemporaries(folder));
}

TEST(EncryptResaveFailures, MissingOutputFolderThrowsWithItsPath) {
    TempFolder folder;
    ASSERT_TRUE(folder.Valid());
    const std::string input = folder.File("deck_0.pdf");
    WritePlainPdf(input, 1);
    const std::string output = folder.File("nowhere/deck.pdf");
    try {
        EncryptResave(input, output, "", "o", EncryptionAlgorithm::Rc4V1_40, 0xF3C);
        ADD_FAILURE() << "no error for a missing output folder";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find(output), std::string::npos) << error.what();
    }
    EXPECT_FALSE(std::filesystem::exists(output));
}

}  // namespace
}  // namespace slidemill
