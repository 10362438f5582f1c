#pragma once
// libjpeg's errors for our decoder and encoder: the library's error exit jumps back to a
// frame holding only trivially destructible state, which turns it into an exception; the
// library never prints or exits the process.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

namespace tp {

struct LibjpegErrors {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  // Warnings about the compressed data (cut short, corrupt, needing resync) fail too;
  // only stray bytes between segments are let through.
  bool strict = false;
};

inline void LibjpegErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<LibjpegErrors*>(cinfo->err);
  const int code = cinfo->err->msg_code;
  if (code == JERR_NO_BACKING_STORE || code == JERR_OUT_OF_MEMORY)
    std::snprintf(err->message, sizeof err->message, "picture needs more decoder memory than allowed");
  else
    (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

inline void LibjpegMessage(j_common_ptr cinfo, int level) {
  auto* err = reinterpret_cast<LibjpegErrors*>(cinfo->err);
  if (err->strict && level == -1 && cinfo->err->msg_code != JWRN_EXTRANEOUS_DATA) LibjpegErrorExit(cinfo);
}

inline void InstallLibjpegErrors(LibjpegErrors& err, bool strict = false) {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = LibjpegErrorExit;
  err.pub.emit_message = LibjpegMessage;
  err.message[0] = 0;
  err.strict = strict;
}

[[noreturn]] inline void LibjpegFail(LibjpegErrors* err, const char* message) {
  std::snprintf(err->message, sizeof err->message, "%s", message);
  std::longjmp(err->jump, 1);
}

}  // namespace tp
