#pragma once
// An activity strip: one icon drawn repeatedly along the control, as many copies as the
// position within the range asks for. Horizontal when the control is wider than high.
// Painted off-screen and copied in one go, so it does not flicker while it animates.

#include <QColor>
#include <QPixmap>
#include <QWidget>

namespace slidemill {

class IconProgressStrip : public QWidget {
    Q_OBJECT
public:
    explicit IconProgressStrip(QWidget* parent = nullptr);

    // Takes the place of the placeholder control `placeholderId` of `parent` (which is
    // hidden), with the icon `iconId`, `spacing` pixels between icon positions (1 when 0
    // is given) and the background colour. Returns false without such a placeholder.
    bool Create(int placeholderId, QWidget* parent, int iconId, int spacing, const QColor& background);
    // The same on a given geometry and icon picture; used by Create and by tests.
    void Setup(const QRect& geometry, const QPixmap& icon, int spacing, const QColor& background);

    void SetRange(int lower, int upper);
    // Returns the previous position.
    int SetPos(int position);

    int Lower() const { return lower_; }
    int Upper() const { return upper_; }
    int Pos() const { return position_; }
    int Capacity() const { return capacity_; }
    int VisibleCount() const { return visibleCount_; }
    bool IsHorizontal() const { return horizontal_; }

    // The number of icon positions: the smallest n >= 1 with iconLength + n * spacing
    // reaching the strip's length.
    static int ComputeCapacity(int iconLength, int spacing, int stripLength);
    static int ComputeVisibleCount(int lower, int upper, int position, int capacity);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Measure();
    void Recompute();

    int lower_ = 0;
    int upper_ = 100;
    int position_ = 0;
    QPixmap icon_;
    int spacing_ = 1;
    QColor background_;
    bool horizontal_ = true;
    int capacity_ = 1;
    int visibleCount_ = 0;
};

}  // namespace slidemill
