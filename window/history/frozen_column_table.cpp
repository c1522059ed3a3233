#include "window/history/frozen_column_table.h"

#include <QHeaderView>
#include <QScrollBar>

namespace dorvex {

FrozenColumnTable::FrozenColumnTable(QWidget* parent)
    : QTableView(parent), frozen_(new QTableView(this)) {
  frozen_->setObjectName(QStringLiteral("frozenColumn"));
  frozen_->setFocusPolicy(Qt::NoFocus);
  frozen_->verticalHeader()->hide();
  frozen_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setFrameShape(QFrame::NoFrame);
  setHorizontalScrollMode(ScrollPerPixel);
  setVerticalScrollMode(ScrollPerPixel);
  frozen_->setVerticalScrollMode(ScrollPerPixel);
  viewport()->stackUnder(frozen_);
  // A click on the frozen header sorts the table as a click on the table's own would.
  frozen_->horizontalHeader()->setSectionsClickable(true);
  connect(frozen_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
    const bool descending = horizontalHeader()->sortIndicatorSection() == section &&
                            horizontalHeader()->sortIndicatorOrder() == Qt::AscendingOrder;
    sortByColumn(section, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
  });
  connect(horizontalHeader(), &QHeaderView::sortIndicatorChanged, frozen_->horizontalHeader(),
          &QHeaderView::setSortIndicator);
  connect(horizontalHeader(), &QHeaderView::sectionResized, this,
          [this](int section, int, int size) {
            if (section != 0) return;
            frozen_->setColumnWidth(0, size);
            PlaceFrozen();
          });
  connect(frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
          &QAbstractSlider::setValue);
  connect(verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(),
          &QAbstractSlider::setValue);
}

void FrozenColumnTable::setModel(QAbstractItemModel* model) {
  QTableView::setModel(model);
  frozen_->setModel(model);
  frozen_->setSelectionModel(selectionModel());
  frozen_->horizontalHeader()->setSortIndicatorShown(true);
  // A reset shows every column again.
  connect(model, &QAbstractItemModel::modelReset, this, [this] { ShowFirstColumnOnly(); });
  connect(model, &QAbstractItemModel::layoutChanged, this, [this] { ShowFirstColumnOnly(); });
  ShowFirstColumnOnly();
}

void FrozenColumnTable::SetRowHeight(int pixels) {
  for (QTableView* view : {static_cast<QTableView*>(this), frozen_}) {
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(pixels);
  }
}

void FrozenColumnTable::ShowFirstColumnOnly() {
  if (!model()) return;
  for (int column = 1; column < model()->columnCount(); ++column) {
    frozen_->setColumnHidden(column, true);
  }
  frozen_->setColumnWidth(0, columnWidth(0));
  PlaceFrozen();
}

void FrozenColumnTable::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  PlaceFrozen();
}

void FrozenColumnTable::PlaceFrozen() {
  const int left = frameWidth() + (verticalHeader()->isVisible() ? verticalHeader()->width() : 0);
  frozen_->setGeometry(left, frameWidth(), columnWidth(0),
                       viewport()->height() + horizontalHeader()->height());
}

}  // namespace dorvex
