#pragma once
// A table whose first column stays in view however far the others are scrolled: a second view
// over the same model and selection draws that column on top of the table's left edge.

#include <QTableView>

namespace dorvex {

class FrozenColumnTable : public QTableView {
 public:
  explicit FrozenColumnTable(QWidget* parent = nullptr);

  void setModel(QAbstractItemModel* model) override;
  void SetRowHeight(int pixels);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ShowFirstColumnOnly();
  void PlaceFrozen();

  QTableView* frozen_;
};

}  // namespace dorvex
