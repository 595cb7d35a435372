#pragma once
// The program's pictures, drawn by the program itself rather than loaded from files:
// icon 128 (the window icon), banner 129, picture 130 (About box and progress window),
// tab images 133 (four 16 x 16 images on white, white meaning transparent), icon 137
// (the progress strip's icon) and bitmap 1008 (the Help button's picture on magenta,
// magenta meaning transparent).

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace slidemill::artwork {

constexpr int kIconApp = 128;
constexpr int kBitmapBanner = 129;
constexpr int kBitmapPicture = 130;
constexpr int kBitmapTabImages = 133;
constexpr int kIconProgress = 137;
constexpr int kBitmapHelpButton = 1008;

// The bitmap's natural size; the banner is drawn to whatever size is asked for.
QSize BitmapSize(int id);
// Bitmap by id, opaque, drawn at `size` (the natural size when empty). Null for an unknown id.
QPixmap LoadBitmap(int id, QSize size = {});
// Icon by id with transparency, at the usual icon sizes. Null for an unknown id.
QIcon LoadIcon(int id);
// A bitmap with every pixel of `transparent` masked out, as an image list builds it.
QPixmap MaskedBitmap(const QPixmap& bitmap, const QColor& transparent);

}  // namespace slidemill::artwork
