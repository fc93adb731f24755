// ffmpeg through popen: one encoding run fed frame by frame, one mux run.
#include "VideoPipe.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <stdexcept>

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream folders(path ? path : "/usr/bin:/bin");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

std::string ShellQuote(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string EncoderEnd(int status) {
  if (status != -1 && WIFEXITED(status)) return "ffmpeg exited with status " + std::to_string(WEXITSTATUS(status));
  if (status != -1 && WIFSIGNALED(status)) return "ffmpeg was ended by signal " + std::to_string(WTERMSIG(status));
  return "ffmpeg's end is unknown";
}

std::string EncodeCommand(const std::string& ffmpeg, unsigned fps, int width, int height, const std::string& output) {
  std::ostringstream command;
  command << ShellQuote(ffmpeg) << " -hide_banner -loglevel error -y -f rawvideo -pix_fmt bgr0 -s " << width << "x"
          << height << " -framerate " << fps << " -i - -an -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p "
          << ShellQuote(output);
  return command.str();
}

std::string MuxCommand(const std::string& ffmpeg, const std::string& pictures, const std::string& musicFile,
                       double audioOffsetSeconds, const std::string& output) {
  std::ostringstream command;
  command << ShellQuote(ffmpeg) << " -hide_banner -loglevel error -y -i " << ShellQuote(pictures);
  if (!musicFile.empty()) {
    command.precision(3);
    command << std::fixed << " -itsoffset " << audioOffsetSeconds << " -i " << ShellQuote(musicFile)
            << " -map 0:v -map 1:a -c:a aac -b:a 192k -shortest";
  }
  command << " -c:v copy -movflags +faststart " << ShellQuote(output);
  return command.str();
}

namespace {

// A few frames of slack between the demo and the encoder.
constexpr size_t MaxQueuedFrames = 6;

}  // namespace

TVideoPipe::TVideoPipe(const std::string& output, unsigned fps, int width, int height)
    : ffmpeg_(FindProgram("ffmpeg")),
      output_(output),
      pictures_(output + ".pictures.mkv"),
      width_(width),
      height_(height) {
  if (ffmpeg_.empty())
    throw std::runtime_error("--video needs ffmpeg, which is not installed (apt-get install ffmpeg, or: make video)");
  pipe_ = popen(EncodeCommand(ffmpeg_, fps, width, height, pictures_).c_str(), "w");
  if (!pipe_) throw std::runtime_error("Cannot start " + ffmpeg_ + ": " + std::strerror(errno));
  feeder_ = std::thread([this] { Feed(); });
}

TVideoPipe::~TVideoPipe() {
  StopFeeding(true);
  if (pipe_) pclose(pipe_);
  std::error_code ignored;
  std::filesystem::remove(pictures_, ignored);
}

void TVideoPipe::Write(TRawFrame frame) {
  if (frame.Width != width_ || frame.Height != height_)
    throw std::runtime_error("The window changed size during the video");
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return queue_.size() < MaxQueuedFrames || !failure_.empty(); });
  if (!failure_.empty()) throw std::runtime_error(failure_);
  queue_.push_back(std::move(frame));
  changed_.notify_all();
}

// The feeding thread: frames in order until the queue is closed and empty,
// or until the encoder stops taking them.
void TVideoPipe::Feed() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return !queue_.empty() || closing_; });
    if (queue_.empty()) return;
    const TRawFrame frame = std::move(queue_.front());
    queue_.pop_front();
    changed_.notify_all();
    lock.unlock();
    const bool written = WriteToEncoder(frame);
    lock.lock();
    if (written) continue;
    queue_.clear();
    changed_.notify_all();
    return;
  }
}

// The rows go out top row first; the frame holds them bottom row first.
bool TVideoPipe::WriteToEncoder(const TRawFrame& frame) {
  const size_t rowBytes = size_t(frame.Width) * 4;
  int y = frame.Height - 1;
  while (y >= 0 && std::fwrite(frame.Row(y), 1, rowBytes, pipe_) == rowBytes) --y;
  if (y < 0) return true;
  const std::string reason = std::strerror(errno);
  // The encoder is gone or going; waiting for it tells how it ended.
  const int status = pclose(pipe_);
  pipe_ = nullptr;
  const std::lock_guard<std::mutex> lock(mutex_);
  failure_ = "Cannot write the video " + output_ + ": ffmpeg stopped taking frames (" + reason + "; " +
             EncoderEnd(status) + ")";
  return false;
}

void TVideoPipe::StopFeeding(bool dropQueued) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (dropQueued) queue_.clear();
    closing_ = true;
  }
  changed_.notify_all();
  if (feeder_.joinable()) feeder_.join();
}

void TVideoPipe::Finish(const std::string& musicFile, double audioOffsetSeconds) {
  StopFeeding(false);
  if (!failure_.empty()) throw std::runtime_error(failure_);
  const int encoded = pclose(pipe_);
  pipe_ = nullptr;
  if (encoded != 0) throw std::runtime_error("ffmpeg could not encode " + output_);
  const int muxed = std::system(MuxCommand(ffmpeg_, pictures_, musicFile, audioOffsetSeconds, output_).c_str());
  if (muxed != 0) throw std::runtime_error("ffmpeg could not write " + output_);
}
