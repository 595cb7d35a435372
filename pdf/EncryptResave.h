#pragma once
// Writes an RC4-encrypted copy of a finished PDF. The streamed document cannot encrypt
// while it writes, so the conversion writes a plain intermediate file first and this
// turns it into the output.

#include <cstdint>
#include <string>

namespace slidemill {

enum class EncryptionAlgorithm {
    Rc4V1_40,   // RC4, 40-bit key, file declared PDF 1.3 (V 1, R 2)
    Rc4V2_128,  // RC4, 128-bit key, file declared PDF 1.5 (V 2, R 3)
};

// Reads inputPath and writes the encrypted copy to outputPath. permissions holds the bits
// of the PDF P entry (print 0x4, modify 0x8, copy 0x10, ...). Throws std::runtime_error
// (or PoDoFo::PdfError) on failure; outputPath is then left untouched: the copy is
// written beside it under a temporary name and renamed only when complete.
void EncryptResave(const std::string& inputPath, const std::string& outputPath,
                   const std::string& userPassword, const std::string& ownerPassword,
                   EncryptionAlgorithm algorithm, uint32_t permissions);

}  // namespace slidemill
