// The --video output: raw frames piped into ffmpeg, which encodes them
// to a picture-only file beside the target; afterwards a second ffmpeg run
// adds the music at its moment and writes the target. The frames go through
// a short queue emptied by a thread of its own, so the demo draws on while
// the encoder takes its time over a frame.
//
// State: the open pipe to the encoder, the name of the picture-only file,
// the frames waiting for the encoder and why it stopped taking them.
#pragma once

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "FrameGrab.h"

// The full path of a program found on PATH, or empty.
std::string FindProgram(const std::string& name);
// Quotes a word for /bin/sh.
std::string ShellQuote(const std::string& word);
// How an encoder ended, from its wait status (as pclose returns it).
std::string EncoderEnd(int status);

// The encoder command reading width x height frames of four bytes a pixel
// (blue, green, red, unused), top row first, at fps from stdin.
std::string EncodeCommand(const std::string& ffmpeg, unsigned fps, int width, int height, const std::string& output);
// The command that copies the pictures and adds the music starting
// audioOffsetSeconds into the video (no music when musicFile is empty).
std::string MuxCommand(const std::string& ffmpeg, const std::string& pictures, const std::string& musicFile,
                       double audioOffsetSeconds, const std::string& output);

class TVideoPipe {
 public:
  // Starts the encoder; throws std::runtime_error when ffmpeg is missing or
  // cannot be started.
  TVideoPipe(const std::string& output, unsigned fps, int width, int height);
  ~TVideoPipe();
  TVideoPipe(const TVideoPipe&) = delete;
  TVideoPipe& operator=(const TVideoPipe&) = delete;

  // Queues the frame (waiting while the queue is full). Throws
  // std::runtime_error naming the video and why once the encoder no longer
  // takes frames; the encoder has then been waited for.
  void Write(TRawFrame frame);
  // Ends the encoding and muxes the music (none when musicFile is empty);
  // throws std::runtime_error when either ffmpeg run fails.
  void Finish(const std::string& musicFile, double audioOffsetSeconds);

 private:
  void Feed();
  bool WriteToEncoder(const TRawFrame& frame);
  void StopFeeding(bool dropQueued);

  std::string ffmpeg_, output_, pictures_;
  FILE* pipe_ = nullptr;
  int width_ = 0, height_ = 0;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<TRawFrame> queue_;
  bool closing_ = false;
  std::string failure_;
  std::thread feeder_;
};
