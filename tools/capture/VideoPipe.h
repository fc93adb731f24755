// The --video output: raw RGB frames piped into ffmpeg, which encodes them
// to a picture-only file beside the target; afterwards a second ffmpeg run
// adds the music at its moment and writes the target.
//
// State: the open pipe to the encoder and the name of the picture-only file.
#pragma once

#include <cstdio>
#include <string>

#include "CaptureImage.h"

// The full path of a program found on PATH, or empty.
std::string FindProgram(const std::string& name);
// Quotes a word for /bin/sh.
std::string ShellQuote(const std::string& word);
// How an encoder ended, from its wait status (as pclose returns it).
std::string EncoderEnd(int status);

// The encoder command reading width x height RGB frames at fps from stdin.
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

  // Throws std::runtime_error naming the video and why when the encoder no
  // longer takes frames; the encoder has then been waited for.
  void Write(const TRgbImage& frame);
  // Ends the encoding and muxes the music (none when musicFile is empty);
  // throws std::runtime_error when either ffmpeg run fails.
  void Finish(const std::string& musicFile, double audioOffsetSeconds);

 private:
  std::string ffmpeg_, output_, pictures_;
  FILE* pipe_ = nullptr;
  int width_ = 0, height_ = 0;
};
