#pragma once
// TfrmDVmain: the program's only window. It shows the adapter choice, one count field per world by
// world group, the temp server row, the report, the buttons and check boxes, and a status line
// that tells what is being captured. Its handlers tie the capture, the tally core and the settings
// file together; the work itself lives in those libraries.

#include <QByteArray>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>

namespace Ui {
class TfrmDVmain;
}

class TfrmDVhistory;

namespace dorvex {
class HistoryRecorder;
class ReplySession;
class TSnoopTCPData;
class WidgetFieldSet;
struct PayloadOrigin;
struct RecognisedReply;
}  // namespace dorvex

class TfrmDVmain : public QWidget {
  Q_OBJECT

 public:
  explicit TfrmDVmain(QWidget* parent = nullptr);
  ~TfrmDVmain() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Handlers.
  void SnoopTCPDataCaptureTCPData(const QByteArray& TCPData, const dorvex::PayloadOrigin& origin);
  void SessionReplyRecognised(const dorvex::RecognisedReply& reply);
  void FormCreate();
  void FormDestroy();
  void FormShow();
  void FormClose();
  void cboAdapterChange();
  void ButtonCommonClick(QObject* Sender);
  void EditCommonExit(QObject* Sender);
  void CheckCommonClick(QObject* Sender);

  // Operations.
  void UpdateAll();
  void ClearAll();
  void CopyResult();
  void ApplyAdapter();
  void LoadSettings();
  void SaveSettings();
  void FillAdapterList();
  void ShowCaptureStatus();
  void ShowPlainMessage(const QString& text);
  void ShowError(const QString& text);
  void OpenHistory();
  void RecordReply(const dorvex::RecognisedReply& reply);
  void FlushHistoryAtClose();
  void ShowHistoryWindow();

  std::unique_ptr<Ui::TfrmDVmain> ui;
  std::unique_ptr<dorvex::WidgetFieldSet> fields_;

  std::unique_ptr<dorvex::TSnoopTCPData> SnoopTCPData;
  // The count store, the login time and the world list reader.
  std::unique_ptr<dorvex::ReplySession> session_;

  QString historyFileSetting_;  // [History] File=, kept as read
  QString historyPath_;         // the history file it names, resolved once at start
  bool historyEnabled_ = true;  // [History] Enabled=
  std::unique_ptr<dorvex::HistoryRecorder> history_;
  std::unique_ptr<TfrmDVhistory> historyWindow_;  // made when first opened

  QString fontProblem_;  // no Japanese font installed: said on the status line
  int wantedAdapterIndex_ = -1;
  std::int32_t openCount_ = 1;
  bool saveFormSize_ = true;

  bool shown_ = false;             // FormShow runs on the first show only
  bool redirectingFocus_ = false;  // a focus move of our own is not the user leaving a field
};

// The application's main window.
extern TfrmDVmain* frmDVmain;
