// libjpeg error handling shared by the JPEG reader and writer: fatal errors
// jump back to the setjmp of the calling helper and messages are never
// printed. Warnings (corrupt entropy data, a file cut short) are counted and
// the decoder goes on, filling what is missing as libjpeg does; only a file
// that ends before one whole row of blocks of its first scan could be
// decoded is refused, since nothing of its picture would be real.
#pragma once

// jpeglib.h needs FILE and size_t declared before it.
#include <cstddef>
#include <cstdio>

#include <csetjmp>

#include <jerror.h>
#include <jpeglib.h>

namespace kit::jpeg {

// Plain data only: it lives across setjmp/longjmp.
struct ErrorManager {
  jpeg_error_mgr pub; // first member: libjpeg's err pointer points here
  std::jmp_buf jump;
};

[[noreturn]] inline void ErrorExit(j_common_ptr c) {
  std::longjmp(reinterpret_cast<ErrorManager *>(c->err)->jump, 1);
}

inline void OutputMessage(j_common_ptr) {}

inline void EmitMessage(j_common_ptr c, int level) {
  if (level >= 0) return; // trace messages
  if (c->err->msg_code == JWRN_JPEG_EOF && c->is_decompressor) {
    const auto *d = reinterpret_cast<j_decompress_ptr>(c);
    if (d->input_scan_number <= 1 && d->input_iMCU_row == 0) ErrorExit(c);
  }
  ++c->err->num_warnings;
}

// Installs the handlers into `m` and returns the pointer for cinfo.err.
inline jpeg_error_mgr *InstallErrorManager(ErrorManager &m) {
  jpeg_std_error(&m.pub);
  m.pub.error_exit = ErrorExit;
  m.pub.output_message = OutputMessage;
  m.pub.emit_message = EmitMessage;
  return &m.pub;
}

} // namespace kit::jpeg
