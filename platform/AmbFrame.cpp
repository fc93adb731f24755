// The fixed frame: a framebuffer object the size the window was asked for,
// and its presentation scaled into the window.
//
// State: the framebuffer object, its colour texture and depth renderbuffer
// (0 while there is none), the frame's size and row order, the fragment
// program that presents it (0: presented by a blit), the second framebuffer
// object over the same colour without depth, the program that modulates a
// texel (0: none), whether a quad block has bound them. Leaves behind: the
// frame bound from CreateFrame to DestroyFrame, and again after every quad
// block; the renderbuffer binding at 0.
#define GL_GLEXT_PROTOTYPES
#include "AmbFrame.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>

namespace {

GLuint frameBuffer = 0;
GLuint colourTexture = 0;
GLuint depthBuffer = 0;
GLuint presentProgram = 0;
GLuint depthlessBuffer = 0;
GLuint modulateProgram = 0;
bool modulating = false;
int frameWidth = 0;
int frameHeight = 0;
int layoutWidth = 0;
int layoutHeight = 0;
bool rowsTopFirst = false;

// The library the program links exports no extension calls; these come from
// the context.
struct TProgramCalls {
  PFNGLGENPROGRAMSARBPROC Gen = nullptr;
  PFNGLDELETEPROGRAMSARBPROC Delete = nullptr;
  PFNGLBINDPROGRAMARBPROC Bind = nullptr;
  PFNGLPROGRAMSTRINGARBPROC Load = nullptr;
  PFNGLGETPROGRAMIVARBPROC Get = nullptr;
} arb;

// Only the frame's colour, alpha made opaque: a quad drawn with nothing but
// this is what Mesa's CPU renderer draws on its fast path for blits, rows of
// filtered texels copied in place of a shader run per pixel (about a
// quarter of the processor time of glBlitFramebuffer, which it cannot take
// that way). That path writes the texels into some windows with red and
// blue swapped, hence the second program, which swaps them back.
constexpr const char* SampleFrame[] = {
    "!!ARBfp1.0\n"
    "TEX result.color.xyz, fragment.texcoord[0], texture[0], 2D;\n"
    "MOV result.color.w, 1.0;\n"
    "END\n",
    "!!ARBfp1.0\n"
    "TEMP texel;\n"
    "TEX texel, fragment.texcoord[0], texture[0], 2D;\n"
    "MOV result.color.xyz, texel.zyxw;\n"
    "MOV result.color.w, 1.0;\n"
    "END\n"};

// What the fixed pipeline computes for a texture modulated by the colour,
// with fog and the colour sum off. Mesa's CPU renderer runs it, blended,
// on a shorter path than the fixed pipeline's own program once the texels
// are four-byte BGRA and no depth planes are bound.
constexpr const char* ModulateTexel =
    "!!ARBfp1.0\n"
    "TEMP texel;\n"
    "TEX texel, fragment.texcoord[0], texture[0], 2D;\n"
    "MUL result.color, texel, fragment.color;\n"
    "END\n";

GLuint MakeRenderbuffer(GLenum format, int width, int height) {
  GLuint name = 0;
  glGenRenderbuffers(1, &name);
  glBindRenderbuffer(GL_RENDERBUFFER, name);
  glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  return name;
}

// Unsized RGBA given as BGRA bytes: Mesa then keeps the texels as four bytes
// in that order, the one layout its fast path samples. The frame thus
// has alpha planes that the window lacks; nothing in the program blends with
// or copies destination alpha, and the presentation drops it.
GLuint MakeColourTexture(int width, int height) {
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glBindTexture(GL_TEXTURE_2D, GLuint(bound));
  return name;
}

template <typename T>
bool Find(T& call, const char* name, void* (*find)(const char*)) {
  call = reinterpret_cast<T>(find(name));
  return call != nullptr;
}

bool FindProgramCalls(void* (*find)(const char*)) {
  return find && Find(arb.Gen, "glGenProgramsARB", find) && Find(arb.Delete, "glDeleteProgramsARB", find) &&
         Find(arb.Bind, "glBindProgramARB", find) && Find(arb.Load, "glProgramStringARB", find) &&
         Find(arb.Get, "glGetProgramivARB", find);
}

// 0 when the context refuses it.
GLuint MakeProgram(const char* source) {
  GLuint name = 0;
  arb.Gen(1, &name);
  arb.Bind(GL_FRAGMENT_PROGRAM_ARB, name);
  arb.Load(GL_FRAGMENT_PROGRAM_ARB, GL_PROGRAM_FORMAT_ASCII_ARB, GLsizei(std::strlen(source)), source);
  const bool refused = glGetError() != GL_NO_ERROR;
  arb.Bind(GL_FRAGMENT_PROGRAM_ARB, 0);
  if (refused) arb.Delete(1, &name);
  return refused ? 0 : name;
}

void ReleaseFrame() {
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteFramebuffers(1, &frameBuffer);
  glDeleteFramebuffers(1, &depthlessBuffer);
  glDeleteTextures(1, &colourTexture);
  glDeleteRenderbuffers(1, &depthBuffer);
  for (GLuint* program : {&presentProgram, &modulateProgram})
    if (*program != 0) arb.Delete(1, program);
  frameBuffer = depthlessBuffer = colourTexture = depthBuffer = presentProgram = modulateProgram = 0;
  modulating = false;
}

// The frame's colour alone, rows stored the same way; 0 when the context
// cannot complete it.
GLuint MakeDepthlessBuffer(bool rowsTopFirst) {
  GLuint name = 0;
  glGenFramebuffers(1, &name);
  glBindFramebuffer(GL_FRAMEBUFFER, name);
  if (rowsTopFirst) glFramebufferParameteri(GL_FRAMEBUFFER, GL_FRAMEBUFFER_FLIP_Y_MESA, GL_TRUE);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colourTexture, 0);
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glBindFramebuffer(GL_FRAMEBUFFER, frameBuffer);
  if (!complete) glDeleteFramebuffers(1, &name);
  return complete ? name : 0;
}

// A texture without its picture (one that failed to load binds a name that
// holds none) leaves the fixed pipeline untextured, while the program would
// sample it as black and the renderer rounds the untextured blend past the
// depth planes a unit apart.
bool TextureComplete() {
  GLint width = 0, height = 0, filter = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
  if (width <= 0 || height <= 0) return false;
  if (filter == GL_NEAREST || filter == GL_LINEAR) return true;
  GLint last = 0, level = 0;
  for (int side = std::max(width, height); side > 1; side /= 2) ++level;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &last);
  return last == 1;
}

// The program gives the fixed pipeline's very pixels only when nothing but
// the modulated texel reaches the colour, and only for textures without
// alpha: with texel alpha below one, the renderer rounds the two paths'
// blends apart by a unit or two.
bool FixedPipelineModulates() {
  GLint mode = 0, program = 0, alphaBits = 1;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
  arb.Get(GL_FRAGMENT_PROGRAM_ARB, GL_PROGRAM_BINDING_ARB, &program);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &alphaBits);
  return mode == GL_MODULATE && program == 0 && alphaBits == 0 && glIsEnabled(GL_TEXTURE_2D) && !glIsEnabled(GL_FOG) &&
         !glIsEnabled(GL_FRAGMENT_PROGRAM_ARB) && !glIsEnabled(GL_LIGHTING) && !glIsEnabled(GL_COLOR_SUM);
}

// Whatever the program's drawing left switched on that would change the
// quad's pixels or texture coordinates.
void DisableAllButTheQuad() {
  for (GLenum cap :
       {GL_BLEND, GL_ALPHA_TEST, GL_DEPTH_TEST, GL_STENCIL_TEST, GL_CULL_FACE, GL_POLYGON_SMOOTH, GL_POLYGON_STIPPLE,
        GL_COLOR_LOGIC_OP, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q, GL_CLIP_PLANE0,
        GL_CLIP_PLANE1, GL_CLIP_PLANE2, GL_CLIP_PLANE3, GL_CLIP_PLANE4, GL_CLIP_PLANE5})
    glDisable(cap);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void LoadIdentities() {
  for (GLenum matrix : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
    glMatrixMode(matrix);
    glPushMatrix();
    glLoadIdentity();
  }
}

void RestoreMatrices() {
  for (GLenum matrix : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
    glMatrixMode(matrix);
    glPopMatrix();
  }
}

// The frame as one textured quad over the box, run through the program that
// only samples it. The attribute groups are saved by the caller; the program
// binding and the matrices are not in them.
void DrawFrameQuad(const TFrameBox& box, bool unscaled) {
  GLint program = 0;
  arb.Get(GL_FRAGMENT_PROGRAM_ARB, GL_PROGRAM_BINDING_ARB, &program);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, colourTexture);
  const GLint filter = unscaled ? GL_NEAREST : GL_LINEAR;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
  DisableAllButTheQuad();
  glEnable(GL_FRAGMENT_PROGRAM_ARB);
  arb.Bind(GL_FRAGMENT_PROGRAM_ARB, presentProgram);
  glViewport(box.X, box.Y, box.Width, box.Height);
  LoadIdentities();
  // Texture row 0 is the frame's top row when its rows run top first.
  const float top = rowsTopFirst ? 0.0f : 1.0f, bottom = 1.0f - top;
  glBegin(GL_QUADS);
  glTexCoord2f(0, bottom), glVertex2f(-1, -1);
  glTexCoord2f(1, bottom), glVertex2f(1, -1);
  glTexCoord2f(1, top), glVertex2f(1, 1);
  glTexCoord2f(0, top), glVertex2f(-1, 1);
  glEnd();
  RestoreMatrices();
  arb.Bind(GL_FRAGMENT_PROGRAM_ARB, GLuint(program));
}

// The frame scaled into the window's back buffer with black bars around it.
void ScaleFrameInto(int windowWidth, int windowHeight) {
  const TFrameBox box = FitFrame(frameWidth, frameHeight, windowWidth, windowHeight);
  if (box.Width <= 0 || box.Height <= 0) return;
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  // Saved with the window bound, so that its own draw buffer comes back.
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  // The back buffer holds nothing defined after a swap: the bars are drawn
  // every time.
  if (box.Width != windowWidth || box.Height != windowHeight) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  const bool unscaled = box.Width == frameWidth && box.Height == frameHeight;
  if (presentProgram != 0)
    DrawFrameQuad(box, unscaled);
  else
    glBlitFramebuffer(0, 0, frameWidth, frameHeight, box.X, box.Y, box.X + box.Width, box.Y + box.Height,
                      GL_COLOR_BUFFER_BIT, unscaled ? GL_NEAREST : GL_LINEAR);
  glPopAttrib();
}

// A red frame presented as it is and scaled: the window's first pixel must
// show red both times.
bool ShowsRedAsRed() {
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(0, 0, 0, 0);
  bool red = true;
  for (int scale : {1, 2}) {
    ScaleFrameInto(scale * frameWidth, scale * frameHeight);
    GLubyte pixel[4] = {};
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    glBindFramebuffer(GL_FRAMEBUFFER, frameBuffer);
    red = red && pixel[0] == 255 && pixel[1] == 0 && pixel[2] == 0;
  }
  return red;
}

// The program that shows this window the frame's colours, tried on the
// window itself; 0 when neither does, and the frame is blitted.
GLuint PickPresentProgram() {
  for (const char* source : SampleFrame) {
    presentProgram = MakeProgram(source);
    if (presentProgram != 0 && ShowsRedAsRed()) return presentProgram;
    if (presentProgram != 0) arb.Delete(1, &presentProgram);
  }
  return 0;
}

}  // namespace

bool CreateFrame(int width, int height, int layoutW, int layoutH, const TFrameSupport& support) {
  glGenFramebuffers(1, &frameBuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, frameBuffer);
  // Which pixels an edge covers depends on which way the rows run; stored
  // as the window's are, the frame holds exactly what the window would.
  if (support.RowsTopFirst) glFramebufferParameteri(GL_FRAMEBUFFER, GL_FRAMEBUFFER_FLIP_Y_MESA, GL_TRUE);
  colourTexture = MakeColourTexture(width, height);
  depthBuffer = MakeRenderbuffer(GL_DEPTH_COMPONENT24, width, height);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colourTexture, 0);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    ReleaseFrame();
    return false;
  }
  frameWidth = width;
  frameHeight = height;
  layoutWidth = layoutW;
  layoutHeight = layoutH;
  rowsTopFirst = support.RowsTopFirst;
  depthlessBuffer = MakeDepthlessBuffer(support.RowsTopFirst);
  if (FindProgramCalls(support.FindFragmentProgramCall)) {
    presentProgram = PickPresentProgram();
    modulateProgram = MakeProgram(ModulateTexel);
  }
  // A fresh frame reads like a fresh window: the clear values are still GL's
  // own (black, the far plane) when the window is made.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  return true;
}

bool ResizeFrame(int width, int height) {
  if (frameBuffer == 0 || width <= 0 || height <= 0) return false;
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  glBindTexture(GL_TEXTURE_2D, colourTexture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  glBindTexture(GL_TEXTURE_2D, GLuint(bound));
  glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, frameBuffer);
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (!complete) {
    if (width != frameWidth || height != frameHeight) ResizeFrame(frameWidth, frameHeight);
    return false;
  }
  frameWidth = width;
  frameHeight = height;
  glViewport(0, 0, width, height);
  glPushAttrib(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_SCISSOR_BIT);
  glDisable(GL_SCISSOR_TEST);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glPopAttrib();
  return true;
}

void DestroyFrame() {
  if (frameBuffer != 0) ReleaseFrame();
}

bool HasFrame() { return frameBuffer != 0; }

bool GetFrameSize(int& width, int& height) {
  if (frameBuffer == 0) return false;
  width = frameWidth;
  height = frameHeight;
  return true;
}

bool GetFrameLayout(int& width, int& height) {
  if (frameBuffer == 0) return false;
  width = layoutWidth;
  height = layoutHeight;
  return true;
}

float FrameScale() { return frameBuffer != 0 && layoutHeight > 0 ? float(frameHeight) / float(layoutHeight) : 1.0f; }

int ScaledPixels(int units) {
  if (frameBuffer == 0 || layoutHeight <= 0 || frameHeight == layoutHeight) return units;
  return int((int64_t(units) * frameHeight + layoutHeight / 2) / layoutHeight);
}

void BeginQuadsWithoutDepth() {
  if (!TextureComplete()) return;
  if (depthlessBuffer != 0) glBindFramebuffer(GL_DRAW_FRAMEBUFFER, depthlessBuffer);
  modulating = modulateProgram != 0 && FixedPipelineModulates();
  if (!modulating) return;
  glEnable(GL_FRAGMENT_PROGRAM_ARB);
  arb.Bind(GL_FRAGMENT_PROGRAM_ARB, modulateProgram);
}

void EndQuadsWithoutDepth() {
  if (depthlessBuffer != 0) glBindFramebuffer(GL_DRAW_FRAMEBUFFER, frameBuffer);
  if (!modulating) return;
  modulating = false;
  arb.Bind(GL_FRAGMENT_PROGRAM_ARB, 0);
  glDisable(GL_FRAGMENT_PROGRAM_ARB);
}

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
  if (frameWidth <= windowWidth && frameHeight <= windowHeight && box.Width - frameWidth <= 3 &&
      box.Height - frameHeight <= 3) {
    box.Width = frameWidth;
    box.Height = frameHeight;
  }
  box.X = (windowWidth - box.Width) / 2;
  box.Y = (windowHeight - box.Height) / 2;
  return box;
}

void PresentFrame(int windowWidth, int windowHeight) {
  ScaleFrameInto(windowWidth, windowHeight);
  glBindFramebuffer(GL_FRAMEBUFFER, frameBuffer);
}
