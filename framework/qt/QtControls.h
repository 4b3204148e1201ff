#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "framework/Controls.h"
#include "framework/qt/QtWnd.h"

namespace vex::fw {

// A label whose text does not fit shows what fits and an ellipsis, never half a letter, and
// gives its whole text as its tooltip.
class ElidingLabel final : public QLabel {
 public:
  explicit ElidingLabel(QWidget* parent) : QLabel(parent) {}
  // A caption of the layout is shown as it is: cut short it would read as a different word.
  void SetCaption(const QString& text);
  void SetWholeText(const QString& text);
  const QString& WholeText() const { return whole_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Elide();

  QString whole_;
  bool caption_ = false;
};

class QtLabel final : public QtWnd<CStatic, ElidingLabel> {
 public:
  QtLabel(CDialog& dialog, const res::ControlTemplate& layout, QWidget* parent);
  void SetWindowText(std::string_view text) override { widget_->SetWholeText(ToQt(text)); }
  std::string GetWindowText() const override { return FromQt(widget_->WholeText()); }
};

class QtGroupBox final : public QtWnd<CStatic, QGroupBox> {
 public:
  QtGroupBox(CDialog& dialog, const res::ControlTemplate& layout, QWidget* parent);
  void SetWindowText(std::string_view text) override { widget_->setTitle(ToQt(text)); }
  std::string GetWindowText() const override { return FromQt(widget_->title()); }
};

class QtLineEdit final : public QtWnd<CEdit, QLineEdit> {
 public:
  QtLineEdit(CDialog& dialog, const res::ControlTemplate& layout, QWidget* parent);
  void SetWindowText(std::string_view text) override { widget_->setText(ToQt(text)); }
  std::string GetWindowText() const override { return FromQt(widget_->text()); }
};

class QtButton final : public QtWnd<CButton, QPushButton> {
 public:
  QtButton(CDialog& dialog, const res::ControlTemplate& layout, QWidget* parent);
  void SetWindowText(std::string_view text) override { widget_->setText(ToQt(text)); }
  std::string GetWindowText() const override { return FromQt(widget_->text()); }
  // A disabled button ignores clicks; a hidden one still works, as the Enter key's does.
  void Click() override;
};

class QtComboBox final : public QtWnd<CComboBox, QComboBox> {
 public:
  QtComboBox(CDialog& dialog, const res::ControlTemplate& layout, QWidget* parent);
  void SetWindowText(std::string_view text) override;
  std::string GetWindowText() const override { return FromQt(widget_->currentText()); }
  int AddString(std::string_view text) override;
  int GetCount() const override { return widget_->count(); }
  std::string GetLBText(int index) const override;
  void SetCurSel(int index) override;
  int GetCurSel() const override { return widget_->currentIndex(); }

 private:
  bool sorted_;
};

}  // namespace vex::fw
