#include "shell/gui/SettingsPages.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>

#include "shell/gui/DialogUnits.h"

namespace slidemill {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

// Controls placed in dialog units, the way the page layouts are written.
class Placer {
public:
    explicit Placer(QWidget* page) : page_(page), du_(page->font()) {}
    template <typename T>
    T* Put(T* control, int id, int x, int y, int w, int h) {
        control->setGeometry(du_.Rect(x, y, w, h));
        if (id) SetControlId(control, id);
        return control;
    }
    QLabel* Label(const char* text, int x, int y, int w, int h = 8) {
        return Put(new QLabel(text, page_), 0, x, y, w, h);
    }
    QLineEdit* Edit(int id, int x, int y, int w, int h = 13) { return Put(new QLineEdit(page_), id, x, y, w, h); }
    QCheckBox* Check(int id, const char* text, int x, int y, int w, int h = 10) {
        return Put(new QCheckBox(text, page_), id, x, y, w, h);
    }
    QGroupBox* Group(const char* title, int x, int y, int w, int h) {
        auto* g = Put(new QGroupBox(title, page_), 0, x, y, w, h);
        g->lower();
        return g;
    }
    QComboBox* DropList(int id, int x, int y, int w, int h = 13) {
        auto* c = Put(new QComboBox(page_), id, x, y, w, h);
        c->setEditable(false);
        return c;
    }
    const DialogUnits& Units() const { return du_; }

private:
    QWidget* page_;
    DialogUnits du_;
};

// Every page has the size of the tab control's display area.
constexpr int kPageWidth = 262;
constexpr int kPageHeight = 172;

void SizePage(QWidget* page) {
    const DialogUnits du(page->font());
    page->setMinimumSize(du.X(kPageWidth), du.Y(kPageHeight));
}

}  // namespace

void EnterSwallowingPage::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

// ---------------------------------------------------------------- Descriptions

DescriptionsPage::DescriptionsPage(QWidget* parent) : EnterSwallowingPage(parent) {
    setFont(DialogFont());
    SizePage(this);
    Placer p(this);
    p.Group("PDF Information", 7, 7, 248, 100);
    p.Label("Title:", 16, 24, 40);
    title_ = p.Edit(kIdTitle, 60, 22, 186);
    p.Label("Subject:", 16, 42, 40);
    subject_ = p.Edit(kIdSubject, 60, 40, 186);
    p.Label("Author:", 16, 60, 40);
    author_ = p.Edit(kIdAuthor, 60, 58, 186);
    p.Label("Keywords:", 16, 78, 40);
    keywords_ = p.Edit(kIdKeywords, 60, 76, 186);
    // The creator is filled from the presentation; the user does not edit it here.
    QLabel* creatorLabel = p.Label("Creator:", 16, 96, 40);
    creator_ = p.Edit(kIdCreator, 60, 94, 186);
    creatorLabel->hide();
    creator_->hide();
}

void DescriptionsPage::Load(const ConversionOptions& o) {
    title_->setText(Q(o.Title));
    subject_->setText(Q(o.Subject));
    author_->setText(Q(o.Author));
    keywords_->setText(Q(o.Keywords));
    creator_->setText(Q(o.Creator));
}

void DescriptionsPage::Store(ConversionOptions& o) const {
    o.Title = S(title_->text());
    o.Subject = S(subject_->text());
    o.Author = S(author_->text());
    o.Keywords = S(keywords_->text());
    o.Creator = S(creator_->text());
}

// ---------------------------------------------------------------- Security

SecurityPage::SecurityPage(QWidget* parent) : EnterSwallowingPage(parent) {
    setFont(DialogFont());
    SizePage(this);
    Placer p(this);
    encrypt_ = p.Check(kIdEncrypt, "Encrypt PDF files ", 7, 7, 120);
    p.Group("Permission", 7, 22, 248, 30);
    allowPrint_ = p.Check(kIdAllowPrint, "Allow Print", 16, 36, 70);
    allowCopy_ = p.Check(kIdAllowCopy, "Allow Copy", 94, 36, 70);
    allowModify_ = p.Check(kIdAllowModify, "Allow Modify", 172, 36, 76);
    p.Group("Level", 7, 56, 248, 46);
    level40_ = p.Put(new QRadioButton("Encrypt level 40 bits", this), kIdLevel40, 16, 70, 96, 10);
    p.Label("(Compatible with acrobat 3.0 or later)", 114, 71, 136);
    level128_ = p.Put(new QRadioButton("Encrypt level 128 bits", this), kIdLevel128, 16, 86, 96, 10);
    p.Label("(Compatible with acrobat 5.0 or later)", 114, 87, 136);
    p.Group("Password", 7, 106, 248, 46);
    p.Label("User password to open PDF:", 16, 122, 100);
    userPassword_ = p.Edit(kIdUserPassword, 118, 120, 128);
    // The owner password is kept but not offered to the user.
    QLabel* ownerLabel = p.Label("Owner password:", 16, 138, 100);
    ownerPassword_ = p.Edit(kIdOwnerPassword, 118, 136, 128);
    ownerLabel->hide();
    ownerPassword_->hide();
    userPassword_->setEchoMode(QLineEdit::Password);
    ownerPassword_->setEchoMode(QLineEdit::Password);

    connect(encrypt_, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
}

void SecurityPage::Load(const ConversionOptions& o) {
    encrypt_->setChecked(o.Encrypt);
    allowPrint_->setChecked(o.AllowPrint);
    allowCopy_->setChecked(o.AllowCopy);
    allowModify_->setChecked(o.AllowModify);
    (o.KeyLength128 ? level128_ : level40_)->setChecked(true);
    userPassword_->setText(Q(o.UserPassword));
    ownerPassword_->setText(Q(o.OwnerPassword));
    UpdateEnabling();
}

void SecurityPage::Store(ConversionOptions& o) const {
    o.Encrypt = encrypt_->isChecked();
    o.AllowPrint = allowPrint_->isChecked();
    o.AllowCopy = allowCopy_->isChecked();
    o.AllowModify = allowModify_->isChecked();
    o.KeyLength128 = level128_->isChecked();
    o.UserPassword = S(userPassword_->text());
    o.OwnerPassword = S(ownerPassword_->text());
}

void SecurityPage::UpdateEnabling() {
    const bool on = encrypt_->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{allowPrint_, allowCopy_, allowModify_, level40_, level128_,
                                                      userPassword_, ownerPassword_})
        w->setEnabled(on);
}

// ---------------------------------------------------------------- Watermark

WatermarkPage::WatermarkPage(QWidget* parent) : QWidget(parent) {
    setFont(DialogFont());
    SizePage(this);
    Placer p(this);

    auto fillPositions = [](QComboBox* list, auto names) {
        for (std::string_view name : names) list->addItem(QString::fromUtf8(name.data(), int(name.size())));
    };
    auto fillInserts = [](QComboBox* list) {
        for (std::string_view name : kInsertMacroNames)
            list->addItem(QString::fromUtf8(name.data(), int(name.size())));
        list->setCurrentIndex(-1);
    };

    header_.check = p.Check(kIdHeaderCheck, "Page header", 7, 6, 100);
    header_.text = p.Edit(kIdHeaderText, 17, 19, 238);
    header_.positionLabel = p.Label("Postion:", 17, 39, 30);
    header_.position = p.DropList(kIdHeaderPosition, 50, 37, 70);
    header_.extraLabel = p.Label("Insert:", 132, 39, 26);
    auto* headerInsert = p.DropList(kIdHeaderInsert, 160, 37, 95);
    header_.extra = headerInsert;
    fillPositions(header_.position, kHeaderFooterPositionNames);
    fillInserts(headerInsert);

    footer_.check = p.Check(kIdFooterCheck, "Page footer", 7, 60, 100);
    footer_.text = p.Edit(kIdFooterText, 17, 73, 238);
    footer_.positionLabel = p.Label("Postion:", 17, 93, 30);
    footer_.position = p.DropList(kIdFooterPosition, 50, 91, 70);
    footer_.extraLabel = p.Label("Insert", 132, 93, 26);
    auto* footerInsert = p.DropList(kIdFooterInsert, 160, 91, 95);
    footer_.extra = footerInsert;
    fillPositions(footer_.position, kHeaderFooterPositionNames);
    fillInserts(footerInsert);

    watermark_.check = p.Check(kIdWatermarkCheck, "Text watermark", 7, 114, 100);
    watermark_.text = p.Edit(kIdWatermarkText, 17, 127, 238);
    watermark_.positionLabel = p.Label("Postion:", 17, 147, 30);
    watermark_.position = p.DropList(kIdWatermarkPosition, 50, 145, 70);
    watermark_.extraLabel = p.Label("Size(mm):", 132, 147, 40);
    size_ = p.Edit(kIdWatermarkSize, 176, 145, 50);
    watermark_.extra = size_;
    fillPositions(watermark_.position, kWatermarkPositionNames);

    for (const Part* part : {&header_, &footer_, &watermark_}) {
        connect(part->check, &QCheckBox::clicked, this, [this, part](bool checked) { OnPartToggled(*part, checked); });
    }
    connect(headerInsert, &QComboBox::activated, this,
            [this, headerInsert](int index) { OnInsert(headerInsert, header_.text, index); });
    connect(footerInsert, &QComboBox::activated, this,
            [this, footerInsert](int index) { OnInsert(footerInsert, footer_.text, index); });
}

void WatermarkPage::Load(const ConversionOptions& o) {
    header_.text->setText(Q(o.HeaderText));
    footer_.text->setText(Q(o.FooterText));
    watermark_.text->setText(Q(o.WatermarkText));
    auto select = [](QComboBox* list, int32_t index) {
        list->setCurrentIndex(index >= 0 && index < list->count() ? index : 0);
    };
    select(header_.position, o.HeaderPosition);
    select(footer_.position, o.FooterPosition);
    select(watermark_.position, o.WatermarkPosition);
    size_->setText(FormatSize(o.WatermarkSize));
    for (const Part* part : {&header_, &footer_, &watermark_}) {
        part->check->setChecked(!part->text->text().isEmpty());
        UpdatePart(*part);
    }
}

bool WatermarkPage::Store(ConversionOptions& o) const {
    double size = 0;
    if (!ParseSize(size_->text(), size)) return false;
    o.HeaderText = S(header_.text->text());
    o.FooterText = S(footer_.text->text());
    o.WatermarkSize = size;
    o.WatermarkText = S(watermark_.text->text());
    o.HeaderPosition = std::max(0, header_.position->currentIndex());
    o.FooterPosition = std::max(0, footer_.position->currentIndex());
    o.WatermarkPosition = std::max(0, watermark_.position->currentIndex());
    return true;
}

void WatermarkPage::UpdatePart(const Part& part) {
    const bool on = part.check->isChecked();
    part.text->setEnabled(on);
    part.position->setEnabled(on);
    part.positionLabel->setEnabled(on);
    part.extra->setEnabled(on);
    part.extraLabel->setEnabled(on);
}

void WatermarkPage::OnPartToggled(const Part& part, bool checked) {
    if (!checked) part.text->clear();
    UpdatePart(part);
}

void WatermarkPage::OnInsert(QComboBox* list, QLineEdit* target, int index) {
    if (index < 0 || index >= list->count()) return;
    target->setText(target->text() + InsertedText(list->itemText(index)));
    // The list is an inserter, not a setting: it shows no choice afterwards, and choosing
    // the same entry again appends it again.
    list->setCurrentIndex(-1);
}

QString WatermarkPage::FormatSize(double millimetres) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", millimetres);
    return QString::fromLatin1(buffer);
}

bool WatermarkPage::ParseSize(const QString& text, double& millimetres) {
    const std::string s = text.trimmed().toStdString();
    if (s.empty()) return false;
    // Decimal point whatever the locale: parse as the C locale does.
    bool ok = false;
    const double value = QLocale::c().toDouble(QString::fromStdString(s), &ok);
    if (!ok || !std::isfinite(value)) return false;
    millimetres = value;
    return true;
}

QString WatermarkPage::InsertedText(const QString& entry) {
    const int colon = entry.indexOf(':');
    return colon < 0 ? entry : entry.mid(colon + 1);
}

// ---------------------------------------------------------------- Fonts

FontsPage::FontsPage(QWidget* parent) : EnterSwallowingPage(parent) {
    setFont(DialogFont());
    SizePage(this);
    Placer p(this);
    embed_ = p.Check(kIdEmbedFonts, "Embedded font in the PDF", 7, 7, 150);
}

void FontsPage::Load(const ConversionOptions& o) { embed_->setChecked(o.EmbedFonts); }

void FontsPage::Store(ConversionOptions& o) const { o.EmbedFonts = embed_->isChecked(); }

}  // namespace slidemill
