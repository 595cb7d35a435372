// Coordinate mapping: the PDF mapping (a scale and offset from the window extent only)
// and the raster transform, which follows the mapping records as a device context does.
#include <cmath>
#include <cstdlib>

#include "metafile/EmfHeader.h"
#include "platform/gdi/PlaybackContext.h"
#include "render/EmfRenderer.h"
#include "render/PdfOrigin.h"

namespace slidemill {

namespace {

int32_t Caps(PlaybackContext* dc, int index) {
    if (dc) return dc->GetDeviceCaps(index);
    PlaybackContext reference;
    return reference.GetDeviceCaps(index);
}

// Integer arithmetic of the isotropic viewport height, left to right, guarded against
// division by zero (which the platform would fault on).
int32_t IsotropicHeight(int32_t aspectX, int32_t vex, int32_t aspectY, int32_t wey, int32_t wex) {
    if (aspectY == 0 || wex == 0) return 0;
    int64_t v = (int64_t(aspectX) * vex) / aspectY;
    if (wey != 0 && (v > INT64_MAX / std::abs(int64_t(wey)) || v < -(INT64_MAX / std::abs(int64_t(wey))))) return 0;
    v = v * wey / wex;
    if (v > INT32_MAX || v < INT32_MIN) return 0;
    return -int32_t(v);
}

// MulDiv(vo, we, ve) - wo, in 64 bits (the difference of two 32-bit values may not fit).
float OriginShift(int32_t viewportOrg, int32_t windowExt, int32_t viewportExt, int32_t windowOrg) {
    return float(int64_t(MulDiv(viewportOrg, windowExt, viewportExt)) - windowOrg);
}

}  // namespace

void CEmfRenderer::RecomputeRasterTransform() {
    // Every change of a mapping field passes here, so the PDF mapping follows the window
    // origin too.
    if (ToWriter()) AlignPlayOffsetToWindowOrigin(writer_->Geometry(), pdfScale_, windowOrg_);
    if (!surface_) return;
    float sx = windowExt_.cx ? float(viewportExt_.cx) / float(windowExt_.cx) : 1.0f;
    float sy = windowExt_.cy ? float(viewportExt_.cy) / float(windowExt_.cy) : 1.0f;
    const float tx = OriginShift(viewportOrg_.x, windowExt_.cx, viewportExt_.cx, windowOrg_.x);
    const float ty = OriginShift(viewportOrg_.y, windowExt_.cy, viewportExt_.cy, windowOrg_.y);
    // A point goes through the extra transform, then the translation, then the scale.
    Matrix m = Matrix::Then(Matrix::Then(extra_, Matrix::Translate(tx, ty)), Matrix::Scale(sx, sy));
    surface_->SetTransform(m);
}

void CEmfRenderer::ApplyMapMode(int32_t mode) {
    const int32_t hs = Caps(playback_, caps::kHorzSize), vs = Caps(playback_, caps::kVertSize);
    const int32_t hr = Caps(playback_, caps::kHorzRes), vr = Caps(playback_, caps::kVertRes);
    const int32_t ax = Caps(playback_, caps::kAspectX), ay = Caps(playback_, caps::kAspectY);
    const SIZEL english{MulDiv(254, hr, 1000), -MulDiv(254, vr, 1000)};
    switch (mode) {
        case 1: windowExt_ = {1, 1}, viewportExt_ = {1, 1}; break;
        case 2: windowExt_ = {hs, vs}, viewportExt_ = {hr / 10, -vr / 10}; break;
        case 3: windowExt_ = {hs * 10, vs * 10}, viewportExt_ = {hr / 10, -vr / 10}; break;
        case 4: windowExt_ = {hs, vs}, viewportExt_ = english; break;
        case 5: windowExt_ = {hs * 10, vs * 10}, viewportExt_ = english; break;
        case 6: windowExt_ = {MulDiv(144, hs, 10), MulDiv(144, vs, 10)}, viewportExt_ = english; break;
        case 7:
            windowExt_ = {hs, vs};
            viewportExt_ = {hr / 10, IsotropicHeight(ax, hr / 10, ay, vs, hs)};
            break;
        default: break;
    }
}

void CEmfRenderer::OnSetMapMode(int32_t mode) {
    mapMode_ = mode;
    if (mode == 8) return;  // anisotropic keeps the extents and the transform
    ApplyMapMode(mode);
    RecomputeRasterTransform();
}

void CEmfRenderer::OnSetWindowOrg(int32_t x, int32_t y) {
    windowOrg_ = {x, y};
    RecomputeRasterTransform();
}

void CEmfRenderer::OnSetViewportOrg(int32_t x, int32_t y) {
    viewportOrg_ = {x, y};
    RecomputeRasterTransform();
}

void CEmfRenderer::OnSetWindowExt(int32_t cx, int32_t cy) {
    const bool screenSized = cx == PlaybackContext::GetSystemMetrics(caps::kCxScreen) &&
                             cy == PlaybackContext::GetSystemMetrics(caps::kCyScreen);
    // A zero width cannot give a scale: the PDF mapping is left as it is (the platform
    // refuses such an extent too).
    if (!screenSized && cx != 0 && ToWriter()) {
        PageGeometry& g = writer_->Geometry();
        double s = g.playWidth / double(cx);
        pdfScale_ = s;
        g.scale = s;
        g.offX = int32_t(std::trunc(g.x0 / s));
        g.offY = int32_t(std::trunc(g.y0 / s));
        g.playHeight = double(cy) * s;
        // The play area is clipped before the window origin enters the offsets: the clip
        // is the area on the page, wherever the picture's window starts.
        writer_->ClipToPlayArea();
    }
    switch (mapMode_) {
        case 1: windowExt_ = {1, 1}; break;
        case 7:
            windowExt_ = {cx, cy};
            viewportExt_.cx = Caps(playback_, caps::kHorzRes) / 10;
            viewportExt_.cy = IsotropicHeight(Caps(playback_, caps::kAspectX), viewportExt_.cx,
                                              Caps(playback_, caps::kAspectY), windowExt_.cy, windowExt_.cx);
            break;
        case 8: windowExt_ = {cx, cy}; break;
        default: break;
    }
    RecomputeRasterTransform();
}

void CEmfRenderer::OnSetViewportExt(int32_t cx, int32_t cy) {
    switch (mapMode_) {
        case 1: viewportExt_ = {1, 1}; break;
        case 7:
            viewportExt_ = {cx, cy};
            viewportExt_.cy = IsotropicHeight(Caps(playback_, caps::kAspectX), viewportExt_.cx,
                                              Caps(playback_, caps::kAspectY), windowExt_.cy, windowExt_.cx);
            break;
        case 8: viewportExt_ = {cx, cy}; break;
        default: break;
    }
    RecomputeRasterTransform();
}

void CEmfRenderer::OnScaleWindowExt(int32_t xn, int32_t xd, int32_t yn, int32_t yd) {
    if (mapMode_ == 7 || mapMode_ == 8) {
        windowExt_.cx = MulDiv(windowExt_.cx, xn, xd);
        windowExt_.cy = MulDiv(windowExt_.cy, yn, yd);
    }
    windowOrg_.x = MulDiv(windowOrg_.x, xn, xd);
    windowOrg_.y = MulDiv(windowOrg_.y, yn, yd);
    RecomputeRasterTransform();
}

void CEmfRenderer::OnScaleViewportExt(int32_t xn, int32_t xd, int32_t yn, int32_t yd) {
    if (mapMode_ == 7 || mapMode_ == 8) {
        viewportExt_.cx = MulDiv(viewportExt_.cx, xn, xd);
        viewportExt_.cy = MulDiv(viewportExt_.cy, yn, yd);
    }
    viewportOrg_.x = MulDiv(viewportOrg_.x, xn, xd);
    viewportOrg_.y = MulDiv(viewportOrg_.y, yn, yd);
    RecomputeRasterTransform();
}

void CEmfRenderer::OnSetWorldTransform(const XFORM& xform) {
    if (!surface_) return;
    const float tx = OriginShift(viewportOrg_.x, windowExt_.cx, viewportExt_.cx, windowOrg_.x);
    const float ty = OriginShift(viewportOrg_.y, windowExt_.cy, viewportExt_.cy, windowOrg_.y);
    surface_->SetTransform(Matrix::Then(Matrix::Translate(tx, ty), Matrix::From(xform)));
}

void CEmfRenderer::OnModifyWorldTransform(const XFORM& xform, uint32_t mode) {
    if (!surface_) return;
    switch (mode) {
        case 1: surface_->ResetTransform(); break;
        case 2: surface_->MultiplyTransform(Matrix::From(xform), true); break;
        case 3: surface_->MultiplyTransform(Matrix::From(xform), false); break;
        default: break;
    }
}

void CEmfRenderer::OnSetRasterTransform(const XFORM& xform) {
    if (surface_) surface_->SetTransform(Matrix::From(xform));
}

}  // namespace slidemill
