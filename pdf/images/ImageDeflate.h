#pragma once
// Flate (zlib) compression of image samples, done here rather than by the PDF library so
// that it can favour speed: slide pictures are large and a page must not take seconds.
//
// Rows are written with the PNG "Up" predictor (each byte minus the byte above it, a tag
// byte before every row), which turns the smooth areas of photographs and drawings into
// runs of small values that even zlib's fastest level packs well. A reader undoes it
// from the stream's /DecodeParms (see PredictorParms).

#include <cstdint>
#include <span>
#include <vector>

namespace slidemill {

constexpr int kImageDeflateLevel = 1;

// The PNG predictor value for /DecodeParms: 10 and above mean "PNG predictors, a tag per
// row"; 15 is the usual spelling of it.
constexpr int kPngPredictor = 15;

// The zlib stream of `rows` rows of `rowBytes` bytes each (`data` holds exactly that many
// bytes), every row prefixed with the Up tag (2) and predicted from the row above. Throws
// std::invalid_argument for a size mismatch and std::runtime_error when zlib fails.
std::vector<uint8_t> DeflateRowsUp(std::span<const uint8_t> data, size_t rowBytes, size_t rows,
                                   int level = kImageDeflateLevel);

// The plain zlib stream of `data`, without prediction.
std::vector<uint8_t> DeflateSamples(std::span<const uint8_t> data, int level = kImageDeflateLevel);

}  // namespace slidemill
