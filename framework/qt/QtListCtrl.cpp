#include "framework/qt/QtListCtrl.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionHeader>
#include <set>

#include "framework/Dialog.h"
#include "framework/ImageList.h"
#include "framework/qt/QtResources.h"

namespace vex::fw {
namespace {

constexpr int kDataRole = Qt::UserRole;
constexpr int kStateImageRole = Qt::UserRole + 1;
constexpr int kHeaderMargin = 12;
constexpr QSize kStateImageSize(16, 16);

// What a row without a state image shows in the image's place: nothing, in the same room. Every
// row of a list with state images keeps that slot, so rows keep one height and their text stays
// in one column whichever row carries an image.
const QIcon& BlankStateImage() {
  static const QIcon blank = [] {
    QPixmap empty(kStateImageSize);
    empty.fill(Qt::transparent);
    return QIcon(empty);
  }();
  return blank;
}

// A header that paints the room right of its last column as an empty column heading, as a
// Windows list view does; Qt's styles leave it unpainted.
class FilledHeader final : public QHeaderView {
 public:
  explicit FilledHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QHeaderView::paintEvent(event);
    const int end = length() - offset();
    if (end >= viewport()->width()) {
      return;
    }
    QPainter painter(viewport());
    QStyleOptionHeader filler;
    initStyleOption(&filler);
    filler.rect = QRect(end, 0, viewport()->width() - end, viewport()->height());
    filler.section = count();
    filler.position = QStyleOptionHeader::End;
    style()->drawControl(QStyle::CE_HeaderSection, &filler, &painter, this);
  }
};

}  // namespace

QtListCtrl::QtListCtrl(CDialog& dialog, const res::ControlTemplate& layout, QWidget* parent)
    : QtWnd(dialog, layout, new QTreeWidget(parent)) {
  widget_->setHeader(new FilledHeader(widget_));
  widget_->setRootIsDecorated(false);
  widget_->setItemsExpandable(false);
  widget_->setUniformRowHeights(true);
  widget_->setAllColumnsShowFocus(true);
  widget_->setSelectionBehavior(QAbstractItemView::SelectRows);
  widget_->setSelectionMode(layout.Has(res::kSingleSelection)
                                ? QAbstractItemView::SingleSelection
                                : QAbstractItemView::ExtendedSelection);
  widget_->setIconSize(kStateImageSize);
  widget_->setSortingEnabled(false);
  widget_->setWordWrap(!layout.Has(res::kNoLabelWrap));
  widget_->setColumnCount(1);
  widget_->header()->setSectionsClickable(false);
  widget_->header()->setSectionsMovable(false);
  widget_->header()->setStretchLastSection(false);
  widget_->setHeaderHidden(layout.Has(res::kNoColumnHeader));
  if (!layout.Has(res::kBorder)) {
    widget_->setFrameShape(QFrame::NoFrame);
  }
  QObject::connect(widget_->selectionModel(), &QItemSelectionModel::selectionChanged, widget_,
                   [this](const QItemSelection& selected, const QItemSelection& deselected) {
                     OnSelectionChanged(selected, deselected);
                   });
  QObject::connect(widget_, &QTreeWidget::itemDoubleClicked, widget_,
                   [this] { dialog_.DispatchNotify(id_, Notification::DoubleClick); });
  QObject::connect(widget_, &QAbstractItemView::pressed, widget_,
                   [this](const QModelIndex& index) { selectionMark_ = index.siblingAtColumn(0); });
}

void QtListCtrl::OnSelectionChanged(const QItemSelection& selected,
                                    const QItemSelection& deselected) {
  // One notification per row that changed, as a Windows list view sends one per item.
  std::set<int> rows;
  for (const QModelIndex& index : deselected.indexes()) {
    rows.insert(index.row());
  }
  const std::size_t deselectedRows = rows.size();
  rows.clear();
  for (const QModelIndex& index : selected.indexes()) {
    rows.insert(index.row());
  }
  const std::size_t changes = deselectedRows + rows.size();
  for (std::size_t i = 0; i < changes; ++i) {
    dialog_.DispatchNotify(id_, Notification::ItemChanged);
  }
}

int QtListCtrl::InsertColumn(int column, std::string_view heading, int width) {
  if (column < 0) {
    return -1;
  }
  if (emptyColumnList_) {
    column = 0;
    emptyColumnList_ = false;
  } else {
    column = std::min(column, GetColumnCount());
    widget_->model()->insertColumn(column);
  }
  widget_->headerItem()->setText(column, ToQt(heading));
  widget_->setColumnWidth(column, std::max(width, 0));
  return column;
}

std::string QtListCtrl::GetColumnHeading(int column) const {
  if (emptyColumnList_ || column < 0 || column >= GetColumnCount()) {
    return {};
  }
  return FromQt(widget_->headerItem()->text(column));
}

void QtListCtrl::SetColumnWidth(int column, int width) {
  if (emptyColumnList_ || column < 0 || column >= GetColumnCount()) {
    return;
  }
  if (width == kAutoSizeUseHeader) {
    const QFontMetrics headerMetrics(widget_->header()->font());
    width = headerMetrics.horizontalAdvance(widget_->headerItem()->text(column)) + kHeaderMargin;
    const QFontMetrics metrics(widget_->font());
    for (int i = 0; i < GetItemCount(); ++i) {
      const int icon = column == 0 && !Row(i)->icon(0).isNull() ? widget_->iconSize().width() : 0;
      width =
          std::max(width, metrics.horizontalAdvance(Row(i)->text(column)) + icon + kHeaderMargin);
    }
    if (column == GetColumnCount() - 1) {
      // The last column sized to its header also fills what is left of the list, at the list's
      // size now and at every size the window is given later.
      widget_->setColumnWidth(column, width);
      widget_->header()->setStretchLastSection(true);
      return;
    }
  }
  if (column == GetColumnCount() - 1) {
    widget_->header()->setStretchLastSection(false);
  }
  widget_->setColumnWidth(column, std::max(width, 0));
}

int QtListCtrl::GetColumnWidth(int column) const {
  if (emptyColumnList_ || column < 0 || column >= GetColumnCount()) {
    return 0;
  }
  return widget_->columnWidth(column);
}

int QtListCtrl::InsertItem(int index, std::string_view text) {
  if (index < 0) {
    return -1;
  }
  index = std::min(index, GetItemCount());
  auto* row = new QTreeWidgetItem();
  row->setText(0, ToQt(text));
  row->setData(0, kDataRole, QVariant::fromValue<qlonglong>(0));
  row->setData(0, kStateImageRole, 0);
  widget_->insertTopLevelItem(index, row);
  ShowStateImage(row);
  return index;
}

bool QtListCtrl::DeleteItem(int index) {
  QTreeWidgetItem* row = Row(index);
  if (row == nullptr) {
    return false;
  }
  // Deselect first so that the change is reported before the row goes.
  row->setSelected(false);
  delete widget_->takeTopLevelItem(index);
  return true;
}

bool QtListCtrl::DeleteAllItems() {
  widget_->clearSelection();
  widget_->clear();
  return true;
}

std::string QtListCtrl::GetItemText(int item, int column) const {
  QTreeWidgetItem* row = Row(item);
  if (row == nullptr || column < 0 || column >= GetColumnCount()) {
    return {};
  }
  return FromQt(row->text(column));
}

bool QtListCtrl::SetItemText(int item, int column, std::string_view text) {
  QTreeWidgetItem* row = Row(item);
  if (row == nullptr || column < 0 || column >= GetColumnCount()) {
    return false;
  }
  row->setText(column, ToQt(text));
  return true;
}

void QtListCtrl::SetItemData(int item, std::intptr_t data) {
  if (QTreeWidgetItem* row = Row(item)) {
    row->setData(0, kDataRole, QVariant::fromValue<qlonglong>(data));
  }
}

std::intptr_t QtListCtrl::GetItemData(int item) const {
  QTreeWidgetItem* row = Row(item);
  return row == nullptr ? 0 : static_cast<std::intptr_t>(row->data(0, kDataRole).toLongLong());
}

void QtListCtrl::SetStateImage(int item, int image) {
  QTreeWidgetItem* row = Row(item);
  if (row == nullptr) {
    return;
  }
  row->setData(0, kStateImageRole, std::max(image, 0));
  ShowStateImage(row);
}

void QtListCtrl::SetStateImageList(const CImageList* images) {
  images_ = images;
  for (int i = 0; i < GetItemCount(); ++i) {
    ShowStateImage(Row(i));
  }
}

void QtListCtrl::ShowStateImage(QTreeWidgetItem* row) const {
  if (images_ == nullptr) {
    row->setIcon(0, QIcon());
    return;
  }
  const int image = row->data(0, kStateImageRole).toInt();
  row->setIcon(0, image > 0 && image <= images_->GetImageCount()
                      ? IconFromResource(images_->IconAt(image - 1))
                      : BlankStateImage());
}

int QtListCtrl::GetStateImage(int item) const {
  QTreeWidgetItem* row = Row(item);
  return row == nullptr ? 0 : row->data(0, kStateImageRole).toInt();
}

int QtListCtrl::GetFirstSelected() const {
  for (int i = 0; i < GetItemCount(); ++i) {
    if (Row(i)->isSelected()) {
      return i;
    }
  }
  return -1;
}

void QtListCtrl::SetItemSelected(int item, bool selected) {
  QTreeWidgetItem* row = Row(item);
  if (row == nullptr || row->isSelected() == selected) {
    return;
  }
  const QModelIndex index = widget_->model()->index(item, 0);
  const bool single = widget_->selectionMode() == QAbstractItemView::SingleSelection;
  widget_->selectionModel()->select(
      index, QItemSelectionModel::Rows | (!selected ? QItemSelectionModel::Deselect
                                          : single  ? QItemSelectionModel::ClearAndSelect
                                                    : QItemSelectionModel::Select));
}

void QtListCtrl::SetSelectionMark(int item) {
  selectionMark_ = Row(item) == nullptr ? QPersistentModelIndex()
                                        : QPersistentModelIndex(widget_->model()->index(item, 0));
}

int QtListCtrl::GetSelectionMark() const {
  return selectionMark_.isValid() ? selectionMark_.row() : -1;
}

void QtListCtrl::RedrawItems(int, int) {
  widget_->viewport()->update();
}

}  // namespace vex::fw
