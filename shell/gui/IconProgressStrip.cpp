#include "shell/gui/IconProgressStrip.h"

#include <algorithm>
#include <cmath>

#include <QPainter>
#include <QResizeEvent>

#include "resources/Artwork.h"
#include "shell/gui/DialogUnits.h"

namespace slidemill {

namespace {
// The platform's usual icon size; the icon is drawn smaller when the strip is narrower
// across.
constexpr int kIconSize = 32;
}  // namespace

IconProgressStrip::IconProgressStrip(QWidget* parent) : QWidget(parent) {
    // Every pixel is painted each time: no separate erase of the background.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

bool IconProgressStrip::Create(int placeholderId, QWidget* parent, int iconId, int spacing,
                               const QColor& background) {
    QWidget* placeholder = FindControl(parent, placeholderId);
    if (!placeholder) return false;
    setParent(placeholder->parentWidget());
    SetControlId(this, placeholderId);
    placeholder->hide();
    const QRect geometry = placeholder->geometry();
    const int across = std::min({kIconSize, geometry.width(), geometry.height()});
    Setup(geometry, artwork::LoadIcon(iconId).pixmap(std::max(1, across)), spacing, background);
    show();
    return true;
}

void IconProgressStrip::Setup(const QRect& geometry, const QPixmap& icon, int spacing, const QColor& background) {
    icon_ = icon;
    spacing_ = spacing == 0 ? 1 : std::abs(spacing);
    background_ = background;
    setGeometry(geometry);
    Measure();
}

int IconProgressStrip::ComputeCapacity(int iconLength, int spacing, int stripLength) {
    if (spacing <= 0) spacing = 1;
    // n grows from 1 until one icon plus n spacings reaches the end of the strip.
    const long long missing = static_cast<long long>(stripLength) - iconLength;
    if (missing <= spacing) return 1;
    const long long n = (missing + spacing - 1) / spacing;
    return static_cast<int>(std::min<long long>(n, 1 << 20));
}

int IconProgressStrip::ComputeVisibleCount(int lower, int upper, int position, int capacity) {
    if (position == upper) return capacity;
    const double step = (static_cast<double>(upper) - lower + 1.0) / capacity;
    if (step <= 0) return 0;
    const double count = std::trunc((static_cast<double>(position) - lower) / step);
    return static_cast<int>(std::clamp(count, 0.0, static_cast<double>(capacity)));
}

void IconProgressStrip::SetRange(int lower, int upper) {
    lower_ = lower;
    upper_ = std::max(lower, upper);
    position_ = std::clamp(position_, lower_, upper_);
    Recompute();
}

int IconProgressStrip::SetPos(int position) {
    const int previous = position_;
    position_ = std::clamp(position, lower_, upper_);
    Recompute();
    return previous;
}

void IconProgressStrip::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Measure();
}

void IconProgressStrip::Measure() {
    horizontal_ = width() > height();
    const int iconLength = horizontal_ ? icon_.width() : icon_.height();
    capacity_ = ComputeCapacity(iconLength, spacing_, horizontal_ ? width() : height());
    Recompute();
}

void IconProgressStrip::Recompute() {
    visibleCount_ = ComputeVisibleCount(lower_, upper_, position_, capacity_);
    update();
}

void IconProgressStrip::paintEvent(QPaintEvent*) {
    if (width() <= 0 || height() <= 0) return;
    QPixmap buffer(size() * devicePixelRatioF());
    buffer.setDevicePixelRatio(devicePixelRatioF());
    {
        QPainter off(&buffer);
        off.fillRect(rect(), background_);
        const int across = horizontal_ ? (height() - icon_.height()) / 2 : (width() - icon_.width()) / 2;
        for (int i = 0; i < visibleCount_; ++i) {
            const int along = i * spacing_;
            if (horizontal_)
                off.drawPixmap(along, across, icon_);
            else
                off.drawPixmap(across, along, icon_);
        }
    }
    QPainter p(this);
    p.drawPixmap(0, 0, buffer);
}

}  // namespace slidemill
