#include "pdf/images/ImageDigest.h"

#include <memory>
#include <stdexcept>

#include <openssl/evp.h>

#include "platform/dib/DibTypes.h"

namespace slidemill {
namespace {

struct MdCtxFree {
    void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
};

void PutU32(uint8_t* out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

ImageDigest DigestImage(const DecodedImage& image, const ImageMask& mask) {
    std::unique_ptr<EVP_MD_CTX, MdCtxFree> ctx(EVP_MD_CTX_new());
    if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) != 1) throw std::runtime_error("SHA-256 unavailable");

    // A fixed-size prefix (size, mask kind, key) keeps different images with the same
    // pixel bytes apart.
    uint8_t prefix[16];
    PutU32(prefix, image.width);
    PutU32(prefix + 4, image.height);
    PutU32(prefix + 8, static_cast<uint32_t>(mask.kind));
    PutU32(prefix + 12, mask.kind == ImageMask::Kind::ColorKey ? (mask.key & 0xFFFFFF) : 0);
    EVP_DigestUpdate(ctx.get(), prefix, sizeof prefix);
    EVP_DigestUpdate(ctx.get(), image.rgb.data(), image.rgb.size());
    if (mask.kind == ImageMask::Kind::SoftMask) EVP_DigestUpdate(ctx.get(), image.alpha.data(), image.alpha.size());

    ImageDigest digest{};
    unsigned int length = 0;
    EVP_DigestFinal_ex(ctx.get(), digest.data(), &length);
    return digest;
}

}  // namespace slidemill
