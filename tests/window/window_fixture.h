#pragma once
// A real TfrmDVmain on Qt's offscreen platform, with its settings file in a fresh temporary folder
// (as if the program were installed there), shown and active so that focus moves happen as they do
// for a user.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "ini_path.h"
#include "main_window.h"
#include "settings_test_support.h"

namespace dorvex::test {

// Settings that leave the memo empty after start-up, so that the next update cycle shows.
inline constexpr char kQuietSettings[] = "[Config]\nExpand=0\nCompatible=0\n";

class WindowTest : public ::testing::Test {
 public:
  WindowTest() : executable_(settings_.Folder() + QStringLiteral("/dorvex")) {}

  // Writes the settings file that the window reads when it is shown.
  void WriteSettings(const QByteArray& text) { settings_.Write(text); }
  QByteArray SettingsText() const { return settings_.Read(); }
  const QString& SettingsPath() const { return settings_.Path(); }
  QString SettingsValue(const QString& section, const QString& key) const;

  // Creates and shows the window, and waits until it is the active window.
  TfrmDVmain& Show();
  // Show with kQuietSettings followed by `more`.
  TfrmDVmain& ShowQuiet(const QByteArray& more = {}) {
    WriteSettings(kQuietSettings + more);
    return Show();
  }
  TfrmDVmain& Window() { return *window_; }
  // Closes the window as its close box does; true when it closed.
  bool CloseWindow() { return window_->close(); }

  template <typename T>
  T& Child(const char* name) {
    T* child = window_->findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) throw std::runtime_error(std::string("no control ") + name);
    return *child;
  }
  QLineEdit& Edit(const char* name) { return Child<QLineEdit>(name); }
  QPlainTextEdit& Memo() { return Child<QPlainTextEdit>("memResultString"); }
  QStringList MemoLines();
  QString FocusName() const;
  // The whole status line (the label may show it shortened).
  QString StatusText() { return Child<QLabel>("lblStatus").toolTip(); }

  // Moves the focus as a mouse click on `widget` would.
  void ClickFocus(QWidget& widget) { widget.setFocus(Qt::MouseFocusReason); }
  // Gives the field the focus, then empties the memo, so that the report the field's exit renders
  // stands out (leaving the field that had the focus renders one too).
  QLineEdit& Enter(const char* field);
  // Enter, then type `text` into the field.
  void TypeInto(const char* field, const QString& text);

 private:
  testing::TempSettingsFile settings_;
  ScopedExecutablePath executable_;
  std::unique_ptr<TfrmDVmain> window_;
};

// Runs `action`, which opens a modal message box, and closes that box with its default button.
// Returns the box's title, text and icon, or nullopt when no box appeared.
struct ShownMessage {
  QString title;
  QString text;
  int icon = 0;
};
std::optional<ShownMessage> AnswerMessageBox(const std::function<void()>& action);

}  // namespace dorvex::test
