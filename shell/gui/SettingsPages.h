#pragma once
// The four pages of the "Settings" dialog. Each page shows part of the option set and
// takes it back: Load at opening, Store when the dialog is confirmed.

#include <QWidget>

#include "shell/ConversionOptions.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace slidemill {

// A page that keeps Enter from ending the dialog while an edit field has the focus.
class EnterSwallowingPage : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class DescriptionsPage : public EnterSwallowingPage {
    Q_OBJECT
public:
    static constexpr int kIdTitle = 1026, kIdSubject = 1027, kIdAuthor = 1028, kIdKeywords = 1029,
                         kIdCreator = 1030;
    explicit DescriptionsPage(QWidget* parent = nullptr);
    void Load(const ConversionOptions& o);
    void Store(ConversionOptions& o) const;

private:
    QLineEdit* title_;
    QLineEdit* subject_;
    QLineEdit* author_;
    QLineEdit* keywords_;
    QLineEdit* creator_;
};

class SecurityPage : public EnterSwallowingPage {
    Q_OBJECT
public:
    static constexpr int kIdEncrypt = 1027, kIdAllowPrint = 1028, kIdAllowCopy = 1029, kIdAllowModify = 1030,
                         kIdLevel40 = 1031, kIdLevel128 = 1032, kIdOwnerPassword = 1033, kIdUserPassword = 1034;
    explicit SecurityPage(QWidget* parent = nullptr);
    void Load(const ConversionOptions& o);
    void Store(ConversionOptions& o) const;

private:
    void UpdateEnabling();

    QCheckBox* encrypt_;
    QCheckBox* allowPrint_;
    QCheckBox* allowCopy_;
    QCheckBox* allowModify_;
    QRadioButton* level40_;
    QRadioButton* level128_;
    QLineEdit* userPassword_;
    QLineEdit* ownerPassword_;
};

class WatermarkPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kIdHeaderCheck = 1040, kIdHeaderText = 1041, kIdFooterCheck = 1042, kIdFooterText = 1043,
                         kIdWatermarkCheck = 1044, kIdWatermarkText = 1045, kIdWatermarkPosition = 1046,
                         kIdWatermarkSize = 1047, kIdHeaderInsert = 1048, kIdFooterInsert = 1049,
                         kIdHeaderPosition = 1050, kIdFooterPosition = 1051;
    explicit WatermarkPage(QWidget* parent = nullptr);
    void Load(const ConversionOptions& o);
    // False when the size edit does not hold a number; then nothing is stored.
    bool Store(ConversionOptions& o) const;
    QLineEdit* SizeEdit() const { return size_; }

    // The size as the page shows it: the shortest general form, up to 15 significant
    // digits (4.0 shows as 4).
    static QString FormatSize(double millimetres);
    // Reads a decimal number, blanks allowed around it; false when the text is not one.
    static bool ParseSize(const QString& text, double& millimetres);
    // What choosing an Insert entry appends: the text after its first ":", or all of it.
    static QString InsertedText(const QString& entry);

private:
    struct Part {
        QCheckBox* check;
        QLineEdit* text;
        QComboBox* position;
        QWidget* extra;  // Insert list or size edit
        QWidget* extraLabel;
        QLabel* positionLabel;
    };
    void UpdatePart(const Part& part);
    void OnPartToggled(const Part& part, bool checked);
    void OnInsert(QComboBox* list, QLineEdit* target, int index);

    Part header_{};
    Part footer_{};
    Part watermark_{};
    QLineEdit* size_ = nullptr;
};

class FontsPage : public EnterSwallowingPage {
    Q_OBJECT
public:
    static constexpr int kIdEmbedFonts = 1009;
    explicit FontsPage(QWidget* parent = nullptr);
    void Load(const ConversionOptions& o);
    void Store(ConversionOptions& o) const;

private:
    QCheckBox* embed_;
};

}  // namespace slidemill
