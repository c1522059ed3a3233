#pragma once
// A real TfrmDVmain on Qt's offscreen platform, its settings file in a fresh temporary folder (as
// if installed there), shown and active so that focus moves happen as for a user.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "settings/ini_file.h"
#include "settings/ini_path.h"
#include "tests/support/settings_test_support.h"
#include "window/main_window.h"

namespace dorvex::test {

// Settings that leave the memo empty after start-up, so that the next update cycle shows.
inline constexpr char kQuietSettings[] = "[Config]\nExpand=0\nCompatible=0\n";

class WindowTest : public ::testing::Test {
 public:
  WindowTest() : executable_(settings_.Folder() + QStringLiteral("/dorvex")) {}

  void WriteSettings(const QByteArray& text) { settings_.Write(text); }
  QByteArray SettingsText() const { return settings_.Read(); }
  const QString& SettingsPath() const { return settings_.Path(); }
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

  template <typename T>
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

  void ClickFocus(QWidget& widget) { widget.setFocus(Qt::MouseFocusReason); }  // as a click does
  // Gives the field the focus, then empties the memo, so that the report the field's exit renders
  // stands out (leaving the field that had the focus renders one too).
  QLineEdit& Enter(const char* field) {
    ClickFocus(Edit(field));
    Memo().clear();
    return Edit(field);
  }
  void TypeInto(const char* field, const QString& text) {
    QLineEdit& edit = Enter(field);
    edit.selectAll();
    QTest::keyClicks(&edit, text);
  }

 private:
  testing::TempSettingsFile settings_;
  ScopedExecutablePath executable_;
  std::unique_ptr<TfrmDVmain> window_;
};

}  // namespace dorvex::test
