#include "pdf/EncryptResave.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <stdexcept>

#include <openssl/provider.h>
#include <podofo/podofo.h>

#include "pdf/PdfErrorText.h"

namespace slidemill {
namespace {

// OpenSSL 3 keeps RC4 in its legacy provider; loading a provider explicitly replaces the
// implicit default one, so both are loaded, once for the process, and unloaded at exit.
class Rc4Providers {
public:
    Rc4Providers() : legacy_(OSSL_PROVIDER_load(nullptr, "legacy")), default_(OSSL_PROVIDER_load(nullptr, "default")) {}
    ~Rc4Providers() {
        if (default_ != nullptr) OSSL_PROVIDER_unload(default_);
        if (legacy_ != nullptr) OSSL_PROVIDER_unload(legacy_);
    }
    Rc4Providers(const Rc4Providers&) = delete;
    Rc4Providers& operator=(const Rc4Providers&) = delete;
    bool HaveLegacy() const { return legacy_ != nullptr; }

private:
    OSSL_PROVIDER* legacy_;
    OSSL_PROVIDER* default_;
};

void LoadRc4Provider() {
    static const Rc4Providers providers;
    if (!providers.HaveLegacy())
        throw std::runtime_error("cannot encrypt the PDF file: the OpenSSL legacy provider (RC4) is not available");
}

// Creates a new empty file beside target (same folder, so the final rename stays on one
// file system) and returns its name. O_EXCL keeps an existing file or link of that name
// from being reused; 0666 lets the umask decide the final permissions as for any new file.
std::string CreateTemporaryBeside(const std::string& target) {
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%08x.part", static_cast<unsigned>(random()));
        std::string name = target + suffix;
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        if (errno != EEXIST)
            throw std::runtime_error("cannot write the encrypted PDF file \"" + target + "\": " + std::strerror(errno));
    }
    throw std::runtime_error("cannot write the encrypted PDF file \"" + target + "\": no free temporary name");
}

// Removes the temporary file unless the write succeeded and it was renamed.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& Path() const { return path_; }
    void Release() { path_.clear(); }

private:
    std::string path_;
};

}  // namespace

void EncryptResave(const std::string& inputPath, const std::string& outputPath, const std::string& userPassword,
                   const std::string& ownerPassword, EncryptionAlgorithm algorithm, uint32_t permissions) {
    LoadRc4Provider();

    const bool strong = algorithm == EncryptionAlgorithm::Rc4V2_128;
    const PoDoFo::PdfEncrypt::EPdfKeyLength keyLength = strong ? PoDoFo::PdfEncrypt::ePdfKeyLength_128 : PoDoFo::PdfEncrypt::ePdfKeyLength_40;
    const PoDoFo::EPdfVersion version = strong ? PoDoFo::ePdfVersion_1_5 : PoDoFo::ePdfVersion_1_3;
    const PoDoFo::PdfEncrypt::EPdfEncryptAlgorithm rc4 =
        strong ? PoDoFo::PdfEncrypt::ePdfEncryptAlgorithm_RC4V2 : PoDoFo::PdfEncrypt::ePdfEncryptAlgorithm_RC4V1;

    TemporaryFile temporary(CreateTemporaryBeside(outputPath));
    try {
        PoDoFo::PdfVecObjects objects;
        objects.SetAutoDelete(true);
        PoDoFo::PdfParser parser(&objects, inputPath.c_str(), true);
        PoDoFo::PdfWriter writer(&parser);
        std::unique_ptr<PoDoFo::PdfEncrypt> encrypt(PoDoFo::PdfEncrypt::CreatePdfEncrypt(
            userPassword, ownerPassword, static_cast<int>(permissions), rc4, keyLength));
        writer.SetPdfVersion(version);
        writer.SetEncrypted(*encrypt);
        writer.Write(temporary.Path().c_str());
    } catch (PoDoFo::PdfError& error) {
        AddPdfErrorContext(error, "cannot encrypt \"" + inputPath + "\" into \"" + outputPath + "\"");
        throw;
    }
    if (std::rename(temporary.Path().c_str(), outputPath.c_str()) != 0)
        throw std::runtime_error("cannot write the encrypted PDF file \"" + outputPath + "\": " + std::strerror(errno));
    temporary.Release();
}

}  // namespace slidemill
