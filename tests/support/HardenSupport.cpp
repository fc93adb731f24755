// Isolated headless runs for the file matrices (see HardenSupport.h).
#include "HardenSupport.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "AmbBass.h"
#include "Show2Support.h"
#include "tvCommon.h"

namespace {

// The child's report: length-prefixed fields over a pipe.
class TReport {
 public:
  void Int(int64_t v) { bytes_.append(reinterpret_cast<const char*>(&v), sizeof v); }
  void Text(const std::string& s) {
    Int(int64_t(s.size()));
    bytes_ += s;
  }
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

class TReportReader {
 public:
  explicit TReportReader(const std::string& bytes) : bytes_(bytes) {}
  int64_t Int() {
    int64_t v = 0;
    Take(&v, sizeof v);
    return v;
  }
  std::string Text() {
    std::string s(size_t(Int()), '\0');
    Take(s.data(), s.size());
    return s;
  }

 private:
  void Take(void* out, size_t n) {
    if (n > bytes_.size() - pos_) throw std::runtime_error("report cut short");
    std::memcpy(out, bytes_.data() + pos_, n);
    pos_ += n;
  }
  const std::string& bytes_;
  size_t pos_ = 0;
};

[[noreturn]] void RunChild(const std::string& dataDir, int out) {
  std::set<int32_t> parts;
  bool music = false;
  THeadlessOptions options;
  options.DataDir = dataDir;
  options.OnFrame = [&](const TGLWindow&) {
    parts.insert(CurrentPart);
    uint32_t tick = 0;
    music = music || MusicStartTick(tick);
  };
  const THeadlessResult result = RunHeadless(options);
  TReport report;
  report.Int(result.ExitCode);
  report.Int(music);
  report.Int(int64_t(parts.size()));
  for (int32_t p : parts) report.Int(p);
  report.Int(int64_t(result.Messages.size()));
  for (const TRecordedMessage& m : result.Messages) {
    report.Text(m.Caption);
    report.Text(m.Text);
  }
  const std::string& bytes = report.Bytes();
  const bool sent = write(out, bytes.data(), bytes.size()) == ssize_t(bytes.size());
  _exit(sent ? 0 : 3);
}

std::string ReadAll(int fd) {
  std::string bytes;
  char buffer[4096];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    bytes.append(buffer, size_t(n));
  }
  return bytes;
}

TIsolatedRun Decode(const std::string& bytes) {
  TIsolatedRun run;
  TReportReader in(bytes);
  run.ExitCode = int(in.Int());
  run.MusicStarted = in.Int() != 0;
  for (int64_t n = in.Int(); n > 0; --n) run.PartsDrawn.insert(int32_t(in.Int()));
  for (int64_t n = in.Int(); n > 0; --n) {
    std::string caption = in.Text();
    run.Messages.push_back({caption, in.Text()});
  }
  run.Finished = true;
  return run;
}

TIsolatedRun Failed(const std::string& why) {
  TIsolatedRun run;
  run.Fault = why;
  return run;
}

std::string Describe(int status) {
  if (WIFSIGNALED(status)) return std::string("killed by signal ") + strsignal(WTERMSIG(status));
  return "child exited with " + std::to_string(WEXITSTATUS(status));
}

}  // namespace

TIsolatedRun PlayIsolated(const std::string& dataDir, unsigned limitSeconds) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return Failed("no pipe");
  const pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    alarm(limitSeconds);  // a hang ends the child with SIGALRM
    RunChild(dataDir, pipeEnds[1]);
  }
  close(pipeEnds[1]);
  const std::string bytes = ReadAll(pipeEnds[0]);
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return Failed(Describe(status));
  try {
    return Decode(bytes);
  } catch (const std::exception& e) {
    return Failed(e.what());
  }
}

std::string ShortShowData(const std::string& omit) {
  const std::string data = CopyDemoData(omit);
  if (omit != "timesync.dat") std::ofstream(data + "/timesync.dat", std::ios::binary | std::ios::trunc);
  return data;
}

std::vector<uint8_t> ReadFileBytes(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFileBytes(const std::string& fileName, const std::vector<uint8_t>& bytes) {
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}
