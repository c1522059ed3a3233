// Runs the fuzz target once on every file named, or found in a folder named, on the command line:
// builds without libFuzzer replay the seed corpus as a test.

#include <QDirIterator>
#include <QFile>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  QStringList paths;
  for (int i = 1; i < argc; ++i) {
    const QString path = QString::fromLocal8Bit(argv[i]);
    QDirIterator files(path, QDir::Files, QDirIterator::Subdirectories);
    if (!files.hasNext()) paths << path;  // a file, or a folder without files (read fails)
    while (files.hasNext()) paths << files.next();
  }
  for (const QString& path : paths) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
      std::fprintf(stderr, "replay: cannot read %s\n", qPrintable(path));
      return 1;
    }
    const QByteArray bytes = file.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                           static_cast<std::size_t>(bytes.size()));
  }
  std::printf("replayed %lld inputs\n", static_cast<long long>(paths.size()));
  return paths.isEmpty() ? 1 : 0;
}
