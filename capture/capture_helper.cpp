#include "capture/capture_helper.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "capture/capture_failure.h"
#include "capture/trusted_program.h"

namespace dorvex {

namespace {

constexpr char kHelperName[] = "dorvex-capture";
constexpr int kStartBoundMs = 5000;  // for the stream to begin or the helper's failure
constexpr int kEndBoundMs = 2000;    // for the helper to end once asked

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// Waits up to `ms` for `fd` to become readable or hung up; false on a time-out.
bool WaitReadable(int fd, int ms) {
  pollfd entry{fd, POLLIN, 0};
  int result = 0;
  do {
    result = poll(&entry, 1, ms);
  } while (result < 0 && errno == EINTR);
  return result > 0;
}

// Waits up to `ms` for the child `pid` to end; true with its wait status when it did.
bool WaitForEnd(pid_t pid, int ms, int& status) {
  const int pidFd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (pidFd >= 0) {
    WaitReadable(pidFd, ms);  // readable once the process has ended
    close(pidFd);
  }
  pid_t result = 0;
  do {
    result = waitpid(pid, &status, pidFd >= 0 ? WNOHANG : 0);
  } while (result < 0 && errno == EINTR);
  return result == pid;
}

QString SystemText(int error) {
  return QString::fromLocal8Bit(std::strerror(error));
}

}  // namespace

HelperLocation FindCaptureHelper() {
  QStringList candidates;
  if (QCoreApplication::instance()) {
    // Beside the program, then in the helper folder of the prefix the program is installed in.
    const QString programDir = QCoreApplication::applicationDirPath();
    candidates.append(programDir + u'/' + QLatin1String(kHelperName));
    candidates.append(programDir + QStringLiteral("/" DORVEX_HELPER_DIR_FROM_BIN "/") +
                      QLatin1String(kHelperName));
    // A program run where its build made it uses that build's helper; an installed one never.
    if (programDir.startsWith(QStringLiteral(DORVEX_BUILD_ROOT "/"))) {
      candidates.append(QStringLiteral(DORVEX_HELPER_BUILD_PATH));
    }
  }
  QString problem;
  for (const QString& candidate : candidates) {
    const QFileInfo info(candidate);
    if (!info.exists()) continue;
    QString reason = UntrustedProgramReason(candidate);
    if (reason.isEmpty() && !(info.isFile() && info.isExecutable())) {
      reason =
          QStringLiteral("this user may not run it (%1)").arg(QLatin1String(kCaptureRightsHint));
    }
    if (reason.isEmpty()) return {candidate, {}};
    if (problem.isEmpty()) {
      problem = QStringLiteral("the capture helper %1 is not used: %2").arg(candidate, reason);
    }
  }
  if (problem.isEmpty()) {
    problem =
        QStringLiteral("the capture helper %1 is not installed").arg(QLatin1String(kHelperName));
  }
  return {{}, problem};
}

CaptureHelper::~CaptureHelper() {
  Stop();
  Finish();
}

pcap_t* CaptureHelper::Start(const HelperRequest& request, QString& error) {
  adapter_ = request.adapter;
  exitStatus_ = capture_helper::kExitOk;
  const HelperLocation location = FindCaptureHelper();
  if (location.path.isEmpty()) {
    error = QStringLiteral("Snoop Error: ") + location.problem;
    return nullptr;
  }
  const QString& path = location.path;
  int out[2] = {-1, -1};
  int err[2] = {-1, -1};
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
    error = QStringLiteral("Snoop Error: cannot make a pipe: %1").arg(SystemText(errno));
    for (int* fd : {&out[0], &out[1], &err[0], &err[1]}) CloseFd(*fd);
    return nullptr;
  }

  // The helper gets no environment, nothing on stdin and no descriptor of ours but the two pipes.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
  QByteArray program = QFile::encodeName(path);
  QByteArray promiscuous = QByteArray::number(request.promiscuous ? 1 : 0);
  QByteArray timeout = QByteArray::number(request.readTimeOut);
  QByteArray adapter = request.adapter;
  std::vector<QByteArray> options = {"--adapter", "--promiscuous", "--timeout"};
  std::vector<char*> argv = {
      program.data(),     options[0].data(), adapter.data(), options[1].data(),
      promiscuous.data(), options[2].data(), timeout.data(), nullptr};
  char* environment[] = {nullptr};
  const int spawned =
      posix_spawn(&pid_, program.constData(), &actions, nullptr, argv.data(), environment);
  posix_spawn_file_actions_destroy(&actions);
  CloseFd(out[1]);
  CloseFd(err[1]);
  if (spawned != 0) {
    pid_ = -1;
    CloseFd(out[0]);
    CloseFd(err[0]);
    error = QStringLiteral("Snoop Error: cannot run %1: %2").arg(path, SystemText(spawned));
    return nullptr;
  }
  errorFd_ = err[0];

  // The stream's file header comes once the capture is open; the pipe ends without it when the
  // helper fails.
  if (!WaitReadable(out[0], kStartBoundMs)) {
    CloseFd(out[0]);
    Stop();
    Finish();
    error = QStringLiteral("Snoop Error: the capture helper did not answer");
    return nullptr;
  }
  FILE* stream = fdopen(out[0], "rb");
  char errorBuffer[PCAP_ERRBUF_SIZE] = {};
  pcap_t* handle = stream ? pcap_fopen_offline(stream, errorBuffer) : nullptr;
  if (handle) return handle;  // it owns the stream now

  if (stream) {
    std::fclose(stream);
  } else {
    CloseFd(out[0]);
  }
  Stop();
  error = Finish();
  if (error.isEmpty()) {
    error = QStringLiteral("Snoop Error: the capture helper's stream is unreadable: %1")
                .arg(QString::fromLocal8Bit(errorBuffer));
  }
  return nullptr;
}

void CaptureHelper::Stop() const {
  if (pid_ > 0) kill(pid_, SIGTERM);
}

QString CaptureHelper::Finish() {
  if (pid_ <= 0) return {};
  int status = 0;
  if (!WaitForEnd(pid_, kEndBoundMs, status)) {
    kill(pid_, SIGKILL);
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
  pid_ = -1;
  const QString text = FailureText(status);
  CloseFd(errorFd_);
  return text;
}

QByteArray CaptureHelper::ReadErrorLine() {
  QByteArray text;
  char buffer[1024];
  // The helper has ended: what it wrote is all in the pipe, and the read ends at its end.
  while (WaitReadable(errorFd_, 0)) {
    const ssize_t got = read(errorFd_, buffer, sizeof buffer);
    if (got <= 0) break;
    text.append(buffer, got);
  }
  text = text.trimmed();
  const qsizetype lineEnd = text.indexOf('\n');
  if (lineEnd >= 0) text.truncate(lineEnd);
  // "dorvex-capture: ADAPTER: REASON": the reason is what an in-process open would have said.
  for (const QByteArray& prefix : {QByteArray(kHelperName) + ": ", adapter_ + ": "}) {
    if (text.startsWith(prefix)) text.remove(0, prefix.size());
  }
  return text;
}

QString CaptureHelper::FailureText(int waitStatus) {
  if (WIFSIGNALED(waitStatus)) {
    return QStringLiteral("Snoop Error: the capture helper was ended by signal %1")
        .arg(WTERMSIG(waitStatus));
  }
  const int exitStatus = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : capture_helper::kExitOk;
  exitStatus_ = static_cast<capture_helper::Status>(exitStatus);
  if (exitStatus == capture_helper::kExitOk) return {};
  // A read error ends the capture as one of the library's own reads would.
  if (exitStatus == capture_helper::kExitReadError) return QLatin1String(kReadErrorText);
  const QByteArray line = ReadErrorLine();
  if (line.isEmpty()) {
    return QStringLiteral("Snoop Error: the capture helper failed with status %1").arg(exitStatus);
  }
  return QString::fromLocal8Bit(line);
}

}  // namespace dorvex
