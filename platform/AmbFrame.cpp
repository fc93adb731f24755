// The fixed frame: a framebuffer object the size the window was asked for,
// and its presentation scaled into the window.
//
// State: the framebuffer object and its renderbuffers (0 while there is
// none), the frame's size, whether the frame is drawn straight into the
// window. Leaves behind: the frame (or the window, when it has the frame's
// size) bound from CreateFrame to DestroyFrame; the renderbuffer binding at 0.
#define GL_GLEXT_PROTOTYPES
#include "AmbFrame.h"

#include <GL/gl.h>
#include <GL/glext.h>

namespace {

GLuint frameBuffer = 0;
GLuint colourBuffer = 0;
GLuint depthBuffer = 0;
int frameWidth = 0;
int frameHeight = 0;
// A window of the frame's very size needs no scaling: the frame is then
// drawn straight into its back buffer, which saves copying a whole frame
// every time (about 1 ms at 800 x 600 on the CPU renderer).
bool drawingToWindow = false;

GLuint MakeRenderbuffer(GLenum format, int width, int height) {
  GLuint name = 0;
  glGenRenderbuffers(1, &name);
  glBindRenderbuffer(GL_RENDERBUFFER, name);
  glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  return name;
}

void ReleaseFrame() {
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteFramebuffers(1, &frameBuffer);
  glDeleteRenderbuffers(1, &colourBuffer);
  glDeleteRenderbuffers(1, &depthBuffer);
  frameBuffer = colourBuffer = depthBuffer = 0;
  drawingToWindow = false;
}

// The blit and the clear of the bars obey the scissor test, the colour mask
// and the clear colour; the program's own drawing must find all three as it
// left them.
struct TSavedWriteState {
  GLboolean Scissor = glIsEnabled(GL_SCISSOR_TEST);
  GLboolean Mask[4] = {};
  GLfloat ClearColour[4] = {};
  TSavedWriteState() {
    glGetBooleanv(GL_COLOR_WRITEMASK, Mask);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, ClearColour);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  }
  ~TSavedWriteState() {
    glClearColor(ClearColour[0], ClearColour[1], ClearColour[2], ClearColour[3]);
    glColorMask(Mask[0], Mask[1], Mask[2], Mask[3]);
    if (Scissor) glEnable(GL_SCISSOR_TEST);
  }
};

// The frame scaled into the window's back buffer with black bars around it.
void ScaleFrameInto(int windowWidth, int windowHeight) {
  const TFrameBox box = FitFrame(frameWidth, frameHeight, windowWidth, windowHeight);
  if (box.Width <= 0 || box.Height <= 0) return;
  const TSavedWriteState saved;
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  // The back buffer holds nothing defined after a swap: the bars are drawn
  // every time.
  if (box.Width != windowWidth || box.Height != windowHeight) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  const bool unscaled = box.Width == frameWidth && box.Height == frameHeight;
  glBlitFramebuffer(0, 0, frameWidth, frameHeight, box.X, box.Y, box.X + box.Width, box.Y + box.Height,
                    GL_COLOR_BUFFER_BIT, unscaled ? GL_NEAREST : GL_LINEAR);
}

}  // namespace

bool CreateFrame(int width, int height, bool rowsTopFirst) {
  glGenFramebuffers(1, &frameBuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, frameBuffer);
  // Which pixels an edge covers depends on which way the rows run; stored
  // as the window's are, the frame holds exactly what the window would.
  if (rowsTopFirst) glFramebufferParameteri(GL_FRAMEBUFFER, GL_FRAMEBUFFER_FLIP_Y_MESA, GL_TRUE);
  // The window has no alpha planes: neither has the frame, so that blending
  // and copies see the same colours.
  colourBuffer = MakeRenderbuffer(GL_RGB8, width, height);
  depthBuffer = MakeRenderbuffer(GL_DEPTH_COMPONENT24, width, height);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    ReleaseFrame();
    return false;
  }
  frameWidth = width;
  frameHeight = height;
  // A fresh frame reads like a fresh window: the clear values are still GL's
  // own (black, the far plane) when the window is made.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  return true;
}

void DestroyFrame() {
  if (frameBuffer != 0) ReleaseFrame();
}

bool HasFrame() { return frameBuffer != 0; }

TFrameBox FitFrame(int frameWidth, int frameHeight, int windowWidth, int windowHeight) {
  TFrameBox box;
  if (frameWidth <= 0 || frameHeight <= 0 || windowWidth <= 0 || windowHeight <= 0) return box;
  const long long w = windowWidth, h = windowHeight, fw = frameWidth, fh = frameHeight;
  // Rounded to the nearest pixel; the wider side gets the bars.
  if (w * fh >= h * fw) {
    box.Height = windowHeight;
    box.Width = int((2 * h * fw + fh) / (2 * fh));
  } else {
    box.Width = windowWidth;
    box.Height = int((2 * w * fh + fw) / (2 * fw));
  }
  box.X = (windowWidth - box.Width) / 2;
  box.Y = (windowHeight - box.Height) / 2;
  return box;
}

void BindFrameFor(int windowWidth, int windowHeight) {
  drawingToWindow = windowWidth == frameWidth && windowHeight == frameHeight;
  glBindFramebuffer(GL_FRAMEBUFFER, drawingToWindow ? 0 : frameBuffer);
}

void PresentFrame(int windowWidth, int windowHeight) {
  if (!drawingToWindow) ScaleFrameInto(windowWidth, windowHeight);
  BindFrameFor(windowWidth, windowHeight);
}
