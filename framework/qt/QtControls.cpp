#include "framework/qt/QtControls.h"

#include <qdrawutil.h>

#include <QPainter>
#include <QProxyStyle>
#include <QStyle>

#include "framework/Dialog.h"

namespace vex::fw {

void ElidingLabel::SetCaption(const QString& text) {
  whole_ = text;
  caption_ = true;
  setText(text);
}

void ElidingLabel::SetWholeText(const QString& text) {
  whole_ = text;
  caption_ = false;
  Elide();
}

void ElidingLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  if (!caption_) {
    Elide();
  }
}

void ElidingLabel::Elide() {
  const QString shown = fontMetrics().elidedText(whole_, Qt::ElideRight, contentsRect().width());
  setText(shown);
  // A tooltip that looks like markup would be read as markup: this one is markup, with the
  // text escaped in it.
  setToolTip(shown == whole_ ? QString()
                             : QStringLiteral("<p style=\"white-space:pre\">") +
                                   whole_.toHtmlEscaped() + QStringLiteral("</p>"));
}

QtLabel::QtLabel(CDialog& dialog, const res::ControlTemplate& layout, QWidget* parent)
    : QtWnd(dialog, layout, new ElidingLabel(parent)) {
  // Texts such as "<server name>" are shown as they are, never as markup.
  widget_->setTextFormat(Qt::PlainText);
  widget_->SetCaption(ToQt(layout.text));
}

namespace {

// Styles that open a drop-down list as a menu over the box (Fusion) make it as tall as its
// entries, the whole screen for a long list; a list below the box keeps the height the layout
// gives it (setMaxVisibleItems).
class ListBelowStyle final : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returned) const override {
    return hint == SH_ComboBox_Popup ? 0 : QProxyStyle::styleHint(hint, option, widget, returned);
  }
};

// A group frame drawn as Windows draws one: the frame's top line runs through the middle of
// the title, so the frame starts half a line below the layout's top and the controls placed a
// line or so below it sit inside it. (Qt's styles put the whole title above the frame line.)
class GroupFrame final : public QGroupBox {
 public:
  GroupFrame(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    constexpr int kTitleIndent = 6;
    constexpr int kTitleGap = 2;
    QPainter painter(this);
    const QFontMetrics metrics(font());
    // An etched line; the styles' own group frame adds room for a title above it.
    qDrawShadeRect(&painter, rect().adjusted(0, metrics.height() / 2, 0, 0), palette(), true);
    if (title().isEmpty()) {
      return;
    }
    const QRect text(kTitleIndent, 0, metrics.horizontalAdvance(title()) + 2 * kTitleGap,
                     metrics.height());
    painter.fillRect(text, palette().window());
    style()->drawItemText(&painter, text, Qt::AlignCenter | Qt::TextShowMnemonic, palette(),
                          isEnabled(), title(), QPalette::WindowText);
  }
};

}  // namespace

QtGroupBox::QtGroupBox(CDialog& dialog, const res::ControlTemplate& layout, QWidget* parent)
    : QtWnd(dialog, layout, new GroupFrame(ToQt(layout.text), parent)) {}

QtLineEdit::QtLineEdit(CDialog& dialog, const res::ControlTemplate& layout, QWidget* parent)
    : QtWnd(dialog, layout, new QLineEdit(parent)) {
  widget_->setReadOnly(layout.Has(res::kReadOnly));
  widget_->setFrame(layout.Has(res::kBorder));
  widget_->setText(ToQt(layout.text));
}

QtButton::QtButton(CDialog& dialog, const res::ControlTemplate& layout, QWidget* parent)
    : QtWnd(dialog, layout, new QPushButton(ToQt(layout.text), parent)) {
  // The window handles Enter itself, so no button takes it over.
  widget_->setAutoDefault(false);
  widget_->setFocusPolicy(layout.Has(res::kTabStop) ? Qt::StrongFocus : Qt::ClickFocus);
  QObject::connect(widget_, &QPushButton::clicked, widget_,
                   [this] { dialog_.DispatchCommand(id_); });
}

void QtButton::Click() {
  widget_->click();
}

QtComboBox::QtComboBox(CDialog& dialog, const res::ControlTemplate& layout, QWidget* parent)
    : QtWnd(dialog, layout, new QComboBox(parent)), sorted_(layout.Has(res::kSorted)) {
  widget_->setEditable(false);
  auto* style = new ListBelowStyle();
  style->setParent(widget_);
  widget_->setStyle(style);
}

void QtComboBox::SetWindowText(std::string_view text) {
  const int index = widget_->findText(ToQt(text), Qt::MatchExactly);
  if (index >= 0) {
    widget_->setCurrentIndex(index);
  }
}

int QtComboBox::AddString(std::string_view text) {
  const QString entry = ToQt(text);
  int index = widget_->count();
  if (sorted_) {
    index = 0;
    while (index < widget_->count() &&
           QString::compare(widget_->itemText(index), entry, Qt::CaseInsensitive) <= 0) {
      ++index;
    }
  }
  // Adding never selects, as in a Windows combo box (Qt selects the first entry it gets).
  const bool noneSelected = widget_->currentIndex() < 0;
  widget_->insertItem(index, entry);
  if (noneSelected) {
    widget_->setCurrentIndex(-1);
  }
  return index;
}

std::string QtComboBox::GetLBText(int index) const {
  if (index < 0 || index >= widget_->count()) {
    return {};
  }
  return FromQt(widget_->itemText(index));
}

void QtComboBox::SetCurSel(int index) {
  widget_->setCurrentIndex(index >= 0 && index < widget_->count() ? index : -1);
}

}  // namespace vex::fw
