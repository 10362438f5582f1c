#include "platform/gl/GlFunctions.h"

#include <type_traits>

namespace tp {

bool GlFunctions::Load(GlResolver resolve) {
  bool all = resolve != nullptr;
  const auto get = [&](auto& entry, const char* name) {
    entry = all ? reinterpret_cast<std::remove_reference_t<decltype(entry)>>(resolve(name)) : nullptr;
    all = all && entry != nullptr;
  };
  get(ActiveTexture, "glActiveTexture");
  get(AttachShader, "glAttachShader");
  get(BindAttribLocation, "glBindAttribLocation");
  get(BindTexture, "glBindTexture");
  get(BlendFunc, "glBlendFunc");
  get(Clear, "glClear");
  get(ClearColor, "glClearColor");
  get(CompileShader, "glCompileShader");
  get(CreateProgram, "glCreateProgram");
  get(CreateShader, "glCreateShader");
  get(DeleteProgram, "glDeleteProgram");
  get(DeleteShader, "glDeleteShader");
  get(DeleteTextures, "glDeleteTextures");
  get(Disable, "glDisable");
  get(DisableVertexAttribArray, "glDisableVertexAttribArray");
  get(DrawArrays, "glDrawArrays");
  get(Enable, "glEnable");
  get(EnableVertexAttribArray, "glEnableVertexAttribArray");
  get(GenTextures, "glGenTextures");
  get(GenerateMipmap, "glGenerateMipmap");
  get(GetError, "glGetError");
  get(GetIntegerv, "glGetIntegerv");
  get(GetProgramiv, "glGetProgramiv");
  get(GetShaderiv, "glGetShaderiv");
  get(GetString, "glGetString");
  get(GetUniformLocation, "glGetUniformLocation");
  get(LinkProgram, "glLinkProgram");
  get(PixelStorei, "glPixelStorei");
  get(ReadPixels, "glReadPixels");
  get(ShaderSource, "glShaderSource");
  get(TexImage2D, "glTexImage2D");
  get(TexParameteri, "glTexParameteri");
  get(TexSubImage2D, "glTexSubImage2D");
  get(Uniform1f, "glUniform1f");
  get(Uniform1i, "glUniform1i");
  get(Uniform2f, "glUniform2f");
  get(UseProgram, "glUseProgram");
  get(VertexAttribPointer, "glVertexAttribPointer");
  get(Viewport, "glViewport");
  return all;
}

}  // namespace tp
