#pragma once
// A real TfrmDVmain on Qt's offscreen platform, its settings file in a fresh temporary folder (as
// if installed there) and its route table a file of the test's own (none: no default route),
// shown and active so that focus moves happen as for a user.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "settings/ini_file.h"
#include "settings/ini_path.h"
#include "tests/support/settings_test_support.h"
#include "window/capture_status.h"
#include "window/main_window.h"

namespace dorvex::test {

// Settings that leave the memo empty after start-up, so that the next update cycle shows.
inline constexpr char kQuietSettings[] = "[Config]\nExpand=0\nCompatible=0\n";

// While it lives, answers each modal message box with the button `answer` picks for the n-th box
// (from 0), and notes each box as "title|icon|text".
class ModalAnswerer {
 public:
  explicit ModalAnswerer(std::function<QMessageBox::StandardButton(int)> answer) {
    QObject::connect(&poll_, &QTimer::timeout, [this, answer] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        shown.append(
            QStringList{box->windowTitle(), QString::number(box->icon()), box->text()}.join(u'|'));
        box->button(answer(static_cast<int>(shown.size()) - 1))->click();
      }
    });
    poll_.start(10);
  }
  QStringList shown;

 private:
  QTimer poll_;
};

class WindowTest : public ::testing::Test {
 public:
  WindowTest() { SetRouteTablePath(InSettingsFolder(QStringLiteral("route"))); }
  ~WindowTest() override { SetRouteTablePath(QStringLiteral("/proc/net/route")); }

  void WriteSettings(const QByteArray& text) { settings_.Write(text); }
  const QString& SettingsPath() const { return settings_.Path(); }
  QString InSettingsFolder(const QString& name) const { return settings_.Folder() + u'/' + name; }
  QString SettingsValue(const QString& section, const QString& key) const {
    return TIniFile(SettingsPath()).ReadString(section, key, QStringLiteral("<missing>"));
  }

  // Creates and shows the window, and waits until it is the active window.
  TfrmDVmain& Show() {
    window_ = std::make_unique<TfrmDVmain>();
    window_->show();
    QApplication::setActiveWindow(window_.get());
    if (!QTest::qWaitForWindowActive(window_.get())) throw std::runtime_error("window not active");
    return *window_;
  }
  TfrmDVmain& ShowQuiet(const QByteArray& more = {}) {
    WriteSettings(kQuietSettings + more);
    return Show();
  }
  TfrmDVmain& Window() { return *window_; }
  bool CloseWindow() { return window_->close(); }

  template <typename T = QWidget>
  T& Child(const char* name) {
    T* child = window_->findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) throw std::runtime_error(std::string("no control ") + name);
    return *child;
  }
  QLineEdit& Edit(const char* name) { return Child<QLineEdit>(name); }
  QPlainTextEdit& Memo() { return Child<QPlainTextEdit>("memResultString"); }
  QStringList MemoLines() { return Memo().toPlainText().split(u'\n', Qt::SkipEmptyParts); }
  QString FocusName() const {
    const QWidget* focus = QApplication::focusWidget();
    return focus != nullptr ? focus->objectName() : QStringLiteral("<none>");
  }
  // The whole status line (the label may show it shortened).
  QString StatusText() { return Child<QLabel>("lblStatus").toolTip(); }
  void Click(const char* name) { QTest::mouseClick(&Child(name), Qt::LeftButton); }

  void ClickFocus(QWidget& widget) { widget.setFocus(Qt::MouseFocusReason); }  // as a click does
  // Gives the field the focus, then empties the memo, so that the report the field's exit renders
  // stands out (leaving the field that had the focus renders one too), and types `text`.
  void TypeInto(const char* field, const QString& text) {
    ClickFocus(Edit(field));
    Memo().clear();
    Edit(field).selectAll();
    QTest::keyClicks(&Edit(field), text);
  }

 private:
  testing::TempSettingsFile settings_;
  ScopedExecutablePath executable_{settings_.Folder() + QStringLiteral("/dorvex")};
  std::unique_ptr<TfrmDVmain> window_;
};

}  // namespace dorvex::test
