#pragma once
// The OpenGL (2.0, or ES 2.0) entry points the show's drawing uses, looked up through the
// window system's resolver (Qt's context, GLX), so that nothing links to a GL library.
#include <GL/gl.h>
#include <GL/glext.h>

namespace tp {

using GlResolver = void* (*)(const char* name);

struct GlFunctions {
  // False when any entry point is missing (nothing may be called then).
  bool Load(GlResolver resolve);

  PFNGLACTIVETEXTUREPROC ActiveTexture = nullptr;
  PFNGLATTACHSHADERPROC AttachShader = nullptr;
  PFNGLBINDATTRIBLOCATIONPROC BindAttribLocation = nullptr;
  void(APIENTRYP BindTexture)(GLenum, GLuint) = nullptr;
  void(APIENTRYP BlendFunc)(GLenum, GLenum) = nullptr;
  void(APIENTRYP Clear)(GLbitfield) = nullptr;
  void(APIENTRYP ClearColor)(GLfloat, GLfloat, GLfloat, GLfloat) = nullptr;
  PFNGLCOMPILESHADERPROC CompileShader = nullptr;
  PFNGLCREATEPROGRAMPROC CreateProgram = nullptr;
  PFNGLCREATESHADERPROC CreateShader = nullptr;
  PFNGLDELETEPROGRAMPROC DeleteProgram = nullptr;
  PFNGLDELETESHADERPROC DeleteShader = nullptr;
  void(APIENTRYP DeleteTextures)(GLsizei, const GLuint*) = nullptr;
  void(APIENTRYP Disable)(GLenum) = nullptr;
  PFNGLDISABLEVERTEXATTRIBARRAYPROC DisableVertexAttribArray = nullptr;
  void(APIENTRYP DrawArrays)(GLenum, GLint, GLsizei) = nullptr;
  void(APIENTRYP Enable)(GLenum) = nullptr;
  PFNGLENABLEVERTEXATTRIBARRAYPROC EnableVertexAttribArray = nullptr;
  void(APIENTRYP GenTextures)(GLsizei, GLuint*) = nullptr;
  PFNGLGENERATEMIPMAPPROC GenerateMipmap = nullptr;
  GLenum(APIENTRYP GetError)() = nullptr;
  void(APIENTRYP GetIntegerv)(GLenum, GLint*) = nullptr;
  PFNGLGETPROGRAMIVPROC GetProgramiv = nullptr;
  PFNGLGETSHADERIVPROC GetShaderiv = nullptr;
  const GLubyte*(APIENTRYP GetString)(GLenum) = nullptr;
  PFNGLGETUNIFORMLOCATIONPROC GetUniformLocation = nullptr;
  PFNGLLINKPROGRAMPROC LinkProgram = nullptr;
  void(APIENTRYP PixelStorei)(GLenum, GLint) = nullptr;
  void(APIENTRYP ReadPixels)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*) = nullptr;
  PFNGLSHADERSOURCEPROC ShaderSource = nullptr;
  void(APIENTRYP TexImage2D)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*) = nullptr;
  void(APIENTRYP TexParameteri)(GLenum, GLenum, GLint) = nullptr;
  void(APIENTRYP TexSubImage2D)(GLenum, GLint, GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, const void*) = nullptr;
  PFNGLUNIFORM1FPROC Uniform1f = nullptr;
  PFNGLUNIFORM1IPROC Uniform1i = nullptr;
  PFNGLUNIFORM2FPROC Uniform2f = nullptr;
  PFNGLUSEPROGRAMPROC UseProgram = nullptr;
  PFNGLVERTEXATTRIBPOINTERPROC VertexAttribPointer = nullptr;
  void(APIENTRYP Viewport)(GLint, GLint, GLsizei, GLsizei) = nullptr;
};

}  // namespace tp
